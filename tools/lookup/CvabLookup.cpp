// cvab-lookup: the address book's look-ups from the shell.
//
//   cvab-lookup [--postal]       reads text on standard input, has the running
//                                address book replace the nicknames in it (by
//                                e-mail addresses, or postal address blocks) and
//                                prints the result. It never starts the address
//                                book: with none running it prints its input
//                                unchanged and exits 2.
//   cvab-lookup --mutt-query WORD
//                                a mail client's query of the book last opened or
//                                saved, read without any window: a first line of
//                                its own, then "address TAB name TAB nickname" per
//                                match; exit 1 with no match.
//
// Standard output carries only these results; everything else goes to standard
// error (the preferences loader's line included).
//
// Exit status: 0 done; 1 no match (--mutt-query); 2 no address book running (the
// input is printed unchanged); 3 no book to query, or the session failed; 64 usage.
#include "BookBody.h"
#include "MuttQuery.h"
#include "PREF.h"
#include "PreferencesLoader.h"
#include "TextTarget.h"
#include "WordServicesClient.h"
#include "WordServicesDefs.h"

#include <Application.h>
#include <Entry.h>
#include <Node.h>
#include <OS.h>
#include <Roster.h>
#include <TypeConstants.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kAddressBookSignature[] = "application/x-vnd.tarvish-cvabdj";
const char kLookupSignature[] = "application/x-vnd.tarvish-cvab-lookup";
const char kAddressBookAppName[] = "x-vnd.tarvish-cvabdj";
// Targets are cut at line ends to stay well under the server's bound.
const size_t kTargetSize = 256 * 1024;
// The whole session; the server bounds each exchange, this bounds the server.
const bigtime_t kSessionTimeout = 120000000;
constexpr uint32 kGiveUp = 'lkto';

enum {
	kExitDone = 0,
	kExitNoMatch = 1,
	kExitNotRunning = 2,
	kExitFailed = 3,
	kExitUsage = 64,
};

void WriteAll(const std::string& text)
{
	fwrite(text.data(), 1, text.size(), stdout);
	fflush(stdout);
}

// --- the look-up through the running address book

std::vector<std::string> CutIntoTargets(const std::string& text)
{
	std::vector<std::string> pieces;
	size_t start = 0;
	while (start < text.size()) {
		size_t end = std::min(text.size(), start + kTargetSize);
		if (end < text.size()) {
			const size_t lineEnd = text.rfind('\n', end - 1);
			if (lineEnd != std::string::npos && lineEnd >= start)
				end = lineEnd + 1;
		}
		pieces.push_back(text.substr(start, end - start));
		start = end;
	}
	return pieces;
}

class LookupApp : public BApplication {
public:
	LookupApp(std::string input, int32 service)
		: BApplication(kLookupSignature),
		  fService(service)
	{
		for (const std::string& piece : CutIntoTargets(input))
			fStores.push_back(std::make_unique<StringTextStore>(piece));
	}

	void ReadyToRun() override
	{
		std::vector<BMessenger> targets;
		for (auto& store : fStores) {
			auto* target = new WordServicesTextTarget(store.get());
			AddHandler(target);
			targets.push_back(BMessenger(target, this));
		}
		BMessenger server;
		if (ReachWordServer(kAddressBookSignature, false, 0, &server) != B_OK
			|| SendWordServicesRequest(server, fService, targets, BMessenger(this)) != B_OK) {
			fExit = kExitNotRunning;
			PostMessage(B_QUIT_REQUESTED);
			return;
		}
		BMessenger self(this);
		std::thread([self] {
			snooze(kSessionTimeout);
			self.SendMessage(kGiveUp);
		}).detach();
	}

	void MessageReceived(BMessage* message) override
	{
		switch (message->what) {
			case kWordServicesStop:
				fExit = kExitDone;
				PostMessage(B_QUIT_REQUESTED);
				break;
			case kGiveUp:
				fExit = kExitFailed;
				PostMessage(B_QUIT_REQUESTED);
				break;
			default:
				BApplication::MessageReceived(message);
				break;
		}
	}

	std::string Result() const
	{
		std::string text;
		for (const auto& store : fStores)
			text += store->Text();
		return text;
	}
	int ExitStatus() const { return fExit; }

private:
	int32 fService;
	std::vector<std::unique_ptr<StringTextStore>> fStores;
	int fExit = kExitFailed;
};

int LookUp(int32 service)
{
	std::string input((std::istreambuf_iterator<char>(std::cin)),
		std::istreambuf_iterator<char>());
	if (!be_roster->IsRunning(kAddressBookSignature)) {
		WriteAll(input);
		fprintf(stderr, "cvab-lookup: the address book is not running\n");
		return kExitNotRunning;
	}
	int status = kExitFailed;
	std::string output = input;
	{
		LookupApp app(input, service);
		if (app.InitCheck() != B_OK) {
			WriteAll(input);
			fprintf(stderr, "cvab-lookup: cannot start\n");
			return kExitFailed;
		}
		app.Run();
		status = app.ExitStatus();
		// Only a finished session's text: a half-done one goes back as it came.
		if (status == kExitDone)
			output = app.Result();
	}
	WriteAll(output);
	if (status == kExitNotRunning)
		fprintf(stderr, "cvab-lookup: the address book is not running\n");
	else if (status != kExitDone)
		fprintf(stderr, "cvab-lookup: the address book did not finish\n");
	return status;
}

// --- the mail client's query

std::string LastBookPath()
{
	PREFAppHandle app = nullptr;
	if (PREFInit(kAddressBookAppName, &app) != B_OK)
		return std::string();
	std::string path;
	PREFSetHandle set = nullptr;
	if (PREFLoadSet(app, "settings", true, &set) == B_OK) {
		const void* data = nullptr;
		ssize_t size = 0;
		type_code type = 0;
		if (PREFGetData(set, "LastFileSaved", &data, &size, &type) == B_OK
			&& type == B_STRING_TYPE && size > 1) {
			const char* text = static_cast<const char*>(data);
			path.assign(text, strnlen(text, size));
		}
		PREFDisposeSet(&set);
	}
	PREFShutdown(app);
	return path;
}

int MuttQueryMode(const char* word)
{
	const std::string path = LastBookPath();
	if (path.empty()) {
		WriteAll("No address book to search\n");
		fprintf(stderr, "cvab-lookup: no book was opened or saved yet\n");
		return kExitFailed;
	}
	// Read as the address book reads it, but one record at a time: a document
	// of 10,000 records would cost more than the whole search.
	std::string body;
	const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	struct stat st;
	if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
		if (fd >= 0)
			close(fd);
		WriteAll("No address book to search\n");
		fprintf(stderr, "cvab-lookup: %s: %s\n", path.c_str(), strerror(errno));
		return kExitFailed;
	}
	body.resize(st.st_size);
	size_t filled = 0;
	while (filled < body.size()) {
		const ssize_t got = read(fd, body.data() + filled, body.size() - filled);
		if (got <= 0)
			break;
		filled += got;
	}
	body.resize(filled);
	close(fd);
	BNode node(path.c_str());
	char type[kBookFileTypeSize + 8] = {};
	const ssize_t typeSize = node.ReadAttr(kTypeAttrName, B_STRING_TYPE, 0, type, sizeof(type));
	const book_layout layout = typeSize >= 0 ? LayoutForType(type, typeSize)
		: LayoutForTypelessBody(body.data(), body.size());
	const std::vector<mutt_match> matches = MuttQueryBody(body.data(), body.size(), layout,
		word);
	if (matches.empty()) {
		WriteAll("No match for \"" + std::string(word) + "\" in Corvane Address Book\n");
		return kExitNoMatch;
	}
	WriteAll("Corvane Address Book: " + std::to_string(matches.size()) + " match"
		+ (matches.size() == 1 ? "" : "es") + "\n" + FormatMuttMatches(matches));
	return kExitDone;
}

int Usage()
{
	fputs("usage: cvab-lookup [--postal] < text\n"
		"       cvab-lookup --mutt-query WORD\n", stderr);
	return kExitUsage;
}

}  // namespace

int main(int argc, char** argv)
{
	// Standard output is for results only.
	SetPreferencesLoaderReport(stderr);
	if (argc == 1)
		return LookUp(kLookUpEmailService);
	if (argc == 2 && strcmp(argv[1], "--postal") == 0)
		return LookUp(kLookUpPostalService);
	if (argc == 3 && strcmp(argv[1], "--mutt-query") == 0)
		return MuttQueryMode(argv[2]);
	if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
		Usage();
		return kExitDone;
	}
	return Usage();
}
