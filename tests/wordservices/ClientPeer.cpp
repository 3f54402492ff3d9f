// A Word Services client as a separate process, for the server's tests. It
// serves each --text as one target (in a StringTextStore), sends 'Btch' to the
// running address book and records, one line each, to $CVAB_PEER_RECORD:
//   "<target> <request as text>"      every scripting message as it comes
//   "wstp <request>"                  a 'WStp' for request 1 or 2
//   "final <target> <text>"           each target's text (\n written as \\n) at
//                                     the last expected 'WStp'
// Prints "ready <pid>" once its request went out. Options:
//   --index N            the service index (default 0)
//   --text T             one target (repeatable)
//   --second-text T      on the first message of request 1, send request 2 with
//                        this one target
//   --requests N         how many 'WStp' to wait for before writing the finals
//   --mode M             normal | silent (never answers) | hang-text (answers
//                        Size, never Text) | die-after:N (exits without answering
//                        the Nth message) | fail-delete (deletions answer "error"
//                        -1) | pause:PATH (holds the first Text query until PATH
//                        exists) | huge-text (the first target's Text reply is
//                        2 MiB) | many:N (N - 1 targets answer Size without
//                        "result" before the --text targets)
#include "StringTextStore.h"
#include "WordServicesClient.h"
#include "WordServicesDefs.h"
#include "WordServicesTextTarget.h"

#include <Application.h>
#include <Handler.h>
#include <OS.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

struct {
	int32 index = 0;
	std::vector<std::string> texts;
	std::string second;
	int32 requests = 1;
	std::string mode = "normal";
} gOptions;
int32 gMessages = 0;
bool gPaused = false;

bool ModeStarts(const char* prefix) { return gOptions.mode.rfind(prefix, 0) == 0; }
// The number after the mode's prefix ("die-after:3").
int32 ModeNumber() { return atoi(gOptions.mode.c_str() + gOptions.mode.find(':') + 1); }

void Record(const std::string& line)
{
	const char* path = getenv("CVAB_PEER_RECORD");
	if (FILE* file = path != nullptr ? fopen(path, "a") : nullptr) {
		fprintf(file, "%s\n", line.c_str());
		fclose(file);
	}
}

std::string Escape(std::string text)
{
	for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
		text.replace(at, 1, "\\n");
	return text;
}

std::string Describe(BMessage* message)
{
	int32 index = 0;
	BMessage specifier;
	int32 what = 0;
	const char* property = "?";
	message->GetCurrentSpecifier(&index, &specifier, &what, &property);
	std::string text = message->what == B_GET_PROPERTY ? "GET " : "SET ";
	text += property;
	if (what == B_RANGE_SPECIFIER || what == B_REVERSE_RANGE_SPECIFIER) {
		text += what == B_RANGE_SPECIFIER ? " range " : " reverse ";
		text += std::to_string(specifier.GetInt32("index", -1)) + " "
			+ std::to_string(specifier.GetInt32("range", -1));
	}
	const char* data = nullptr;
	bool on = false;
	if (message->FindString("data", &data) == B_OK)
		text += " data=" + Escape(data);
	else if (message->FindBool("data", &on) == B_OK)
		text += on ? " on" : " off";
	return text;
}

void Reply(BMessage* message, status_t error, const std::string* result = nullptr)
{
	BMessage reply(B_REPLY);
	if (result != nullptr)
		reply.AddString("result", result->c_str());
	reply.AddInt32("error", error);
	message->SendReply(&reply);
}

// A target that misbehaves as the mode says before (or instead of) answering;
// a skipped one answers Size without "result" and records nothing.
class PeerTarget : public WordServicesTextTarget {
public:
	PeerTarget(TextStore* store, std::string name, bool skipped = false)
		: WordServicesTextTarget(store, name.c_str()), fName(std::move(name)), fSkipped(skipped)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (fSkipped)
			return Reply(message, B_OK);
		gMessages++;
		const std::string described = Describe(message);
		Record(fName + " " + described);
		if (fOnFirst)
			std::exchange(fOnFirst, nullptr)();
		const bool textQuery = described.rfind("GET Text", 0) == 0;
		if (gOptions.mode == "silent" || (gOptions.mode == "hang-text" && textQuery)) {
			// Kept unanswered: the sender hears nothing at all.
			fHeld.emplace_back(Looper()->DetachCurrentMessage());
			return;
		}
		if (ModeStarts("die-after:") && gMessages >= ModeNumber())
			_exit(9);
		if (gOptions.mode == "fail-delete" && message->what == B_SET_PROPERTY
			&& !message->HasString("data") && !message->HasBool("data"))
			return Reply(message, B_ERROR);
		if (ModeStarts("pause:") && textQuery && !gPaused) {
			gPaused = true;
			Record("paused");
			struct stat st;
			while (stat(gOptions.mode.c_str() + 6, &st) != 0)
				snooze(10000);
		}
		if (gOptions.mode == "huge-text" && textQuery && fName == "t1") {
			const std::string huge = std::string(2 << 20, 'x') + " bob";
			return Reply(message, B_OK, &huge);
		}
		WordServicesTextTarget::MessageReceived(message);
	}

	std::function<void()> fOnFirst;

private:
	std::string fName;
	bool fSkipped;
	std::vector<std::unique_ptr<BMessage>> fHeld;
};

class StopHandler : public BHandler {
public:
	explicit StopHandler(std::function<void()> stopped) : BHandler("stop"), fStopped(std::move(stopped)) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == kWordServicesStop)
			fStopped();
		else
			BHandler::MessageReceived(message);
	}

private:
	std::function<void()> fStopped;
};

class ClientPeer : public BApplication {
public:
	ClientPeer() : BApplication("application/x-vnd.cvab-test-wsclient")
	{
		for (const std::string& text : gOptions.texts)
			fStores.push_back(std::make_unique<StringTextStore>(text));
		if (!gOptions.second.empty())
			fStores.push_back(std::make_unique<StringTextStore>(gOptions.second));
	}

	void ReadyToRun() override
	{
		std::vector<BMessenger> targets;
		if (ModeStarts("many:")) {
			auto* skipped = new PeerTarget(&fSkippedStore, "skipped", true);
			AddHandler(skipped);
			targets.assign(ModeNumber() - 1, BMessenger(skipped, this));
		}
		std::vector<PeerTarget*> peers;
		for (size_t i = 0; i < fStores.size(); i++) {
			const bool second = !gOptions.second.empty() && i + 1 == fStores.size();
			peers.push_back(new PeerTarget(fStores[i].get(), second ? "s1" : "t" + std::to_string(i + 1)));
			AddHandler(peers.back());
			if (!second)
				targets.push_back(BMessenger(peers.back(), this));
		}
		BHandler* stops[2] = {new StopHandler([this] { _Stopped(1); }),
			new StopHandler([this] { _Stopped(2); })};
		AddHandler(stops[0]);
		AddHandler(stops[1]);
		BMessenger server;
		if (ReachWordServer("application/x-vnd.tarvish-cvabdj", false, 0, &server) != B_OK) {
			Record("no server");
			PostMessage(B_QUIT_REQUESTED);
			return;
		}
		if (!gOptions.second.empty() && peers.size() > 1) {
			const BMessenger second(peers.back(), this);
			const BMessenger replyTo(stops[1], this);
			peers.front()->fOnFirst = [server, second, replyTo] {
				Record("second request");
				SendWordServicesRequest(server, gOptions.index, {second}, replyTo);
			};
		}
		const status_t status = SendWordServicesRequest(server, gOptions.index, targets,
			BMessenger(stops[0], this), 10000000);
		printf("ready %d\n", int(getpid()));
		fflush(stdout);
		if (status != B_OK)
			Record("send failed " + std::to_string(status));
	}

private:
	void _Stopped(int32 request)
	{
		Record("wstp " + std::to_string(request));
		if (++fStops < gOptions.requests)
			return;
		for (size_t i = 0; i < gOptions.texts.size(); i++)
			Record("final t" + std::to_string(i + 1) + " " + Escape(fStores[i]->Text()));
		if (!gOptions.second.empty())
			Record("final s1 " + Escape(fStores.back()->Text()));
		Record("done");
	}

	int32 fStops = 0;
	std::vector<std::unique_ptr<StringTextStore>> fStores;
	StringTextStore fSkippedStore;
};

}  // namespace

int main(int argc, char** argv)
{
	for (int i = 1; i + 1 < argc; i += 2) {
		const std::string option = argv[i];
		if (option == "--index")
			gOptions.index = atoi(argv[i + 1]);
		else if (option == "--text")
			gOptions.texts.push_back(argv[i + 1]);
		else if (option == "--second-text")
			gOptions.second = argv[i + 1];
		else if (option == "--requests")
			gOptions.requests = atoi(argv[i + 1]);
		else if (option == "--mode")
			gOptions.mode = argv[i + 1];
	}
	ClientPeer peer;
	if (peer.InitCheck() != B_OK)
		return 1;
	peer.Run();
	return 0;
}
