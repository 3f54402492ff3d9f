// A Word Services client as a separate process, for the server's tests. It
// serves each --text as one target (in a StringTextStore), sends 'Btch' to the
// running address book and records, one line each, to $CVAB_PEER_RECORD:
//   "<target> <request as text>"      every scripting message as it comes
//   "wstp <request>"                  a 'WStp' for request 1 or 2
//   "final <target> <text>"           each target's text (\n written as \\n) at
//                                     the last expected 'WStp'
// Prints "ready" once running. Options:
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
#include "TextTarget.h"
#include "WordServicesClient.h"
#include "WordServicesDefs.h"

#include <Application.h>
#include <Handler.h>
#include <OS.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string gMode = "normal";
int32 gMessages = 0;
bool gPaused = false;

void Record(const std::string& line)
{
	const char* path = getenv("CVAB_PEER_RECORD");
	if (path == nullptr)
		return;
	if (FILE* file = fopen(path, "a")) {
		fprintf(file, "%s\n", line.c_str());
		fclose(file);
	}
}

std::string Escape(const std::string& text)
{
	std::string out;
	for (const char c : text) {
		if (c == '\n')
			out += "\\n";
		else
			out += c;
	}
	return out;
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

// A target that misbehaves as the mode says before (or instead of) answering.
class PeerTarget : public WordServicesTextTarget {
public:
	PeerTarget(TextStore* store, std::string name, bool skipped)
		: WordServicesTextTarget(store, name.c_str()), fName(std::move(name)), fSkipped(skipped)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (fSkipped) {
			BMessage reply(B_REPLY);
			reply.AddInt32("error", B_OK);
			message->SendReply(&reply);
			return;
		}
		gMessages++;
		Record(fName + " " + Describe(message));
		if (fOnFirst) {
			auto first = std::move(fOnFirst);
			fOnFirst = nullptr;
			first();
		}
		const bool textQuery = message->what == B_GET_PROPERTY
			&& strstr(Describe(message).c_str(), "GET Text") != nullptr;
		if (gMode == "silent" || (gMode == "hang-text" && textQuery)) {
			// Kept unanswered: the sender hears nothing at all.
			fHeld.emplace_back(Looper()->DetachCurrentMessage());
			return;
		}
		if (gMode.rfind("die-after:", 0) == 0 && gMessages >= atoi(gMode.c_str() + 10))
			_exit(9);
		if (gMode == "fail-delete" && message->what == B_SET_PROPERTY
			&& !message->HasString("data") && !message->HasBool("data")) {
			BMessage reply(B_REPLY);
			reply.AddInt32("error", B_ERROR);
			message->SendReply(&reply);
			return;
		}
		if (gMode.rfind("pause:", 0) == 0 && textQuery && !gPaused) {
			gPaused = true;
			Record("paused");
			struct stat st;
			while (stat(gMode.c_str() + 6, &st) != 0)
				snooze(10000);
		}
		if (gMode == "huge-text" && textQuery && fName == "t1") {
			BMessage reply(B_REPLY);
			reply.AddString("result", (std::string(2 << 20, 'x') + " bob").c_str());
			reply.AddInt32("error", B_OK);
			message->SendReply(&reply);
			return;
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
	StopHandler(int32 request, std::function<void(int32)> stopped)
		: BHandler("stop"), fRequest(request), fStopped(std::move(stopped))
	{
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == kWordServicesStop)
			fStopped(fRequest);
		else
			BHandler::MessageReceived(message);
	}

private:
	int32 fRequest;
	std::function<void(int32)> fStopped;
};

class ClientPeer : public BApplication {
public:
	ClientPeer(int32 index, std::vector<std::string> texts, std::string second, int32 requests,
		int32 many)
		: BApplication("application/x-vnd.cvab-test-wsclient"),
		  fIndex(index), fSecond(std::move(second)), fRequests(requests), fMany(many)
	{
		for (const std::string& text : texts)
			fStores.push_back(std::make_unique<StringTextStore>(text));
	}

	void ReadyToRun() override
	{
		std::vector<BMessenger> targets;
		if (fMany > 1) {
			fSkippedStore = std::make_unique<StringTextStore>("");
			auto* skipped = new PeerTarget(fSkippedStore.get(), "skipped", true);
			AddHandler(skipped);
			for (int32 i = 0; i < fMany - 1; i++)
				targets.push_back(BMessenger(skipped, this));
		}
		for (size_t i = 0; i < fStores.size(); i++) {
			auto* target = new PeerTarget(fStores[i].get(), "t" + std::to_string(i + 1), false);
			AddHandler(target);
			fTargets.push_back(target);
			targets.push_back(BMessenger(target, this));
		}
		auto stopped = [this](int32 request) { _Stopped(request); };
		auto* stop1 = new StopHandler(1, stopped);
		auto* stop2 = new StopHandler(2, stopped);
		AddHandler(stop1);
		AddHandler(stop2);
		BMessenger server;
		if (ReachWordServer("application/x-vnd.tarvish-cvabdj", false, 0, &server) != B_OK) {
			Record("no server");
			PostMessage(B_QUIT_REQUESTED);
			return;
		}
		if (!fSecond.empty() && !fTargets.empty()) {
			fSecondStore = std::make_unique<StringTextStore>(fSecond);
			auto* secondTarget = new PeerTarget(fSecondStore.get(), "s1", false);
			AddHandler(secondTarget);
			const BMessenger secondMessenger(secondTarget, this);
			const BMessenger replyTo(stop2, this);
			const int32 index = fIndex;
			fTargets.front()->fOnFirst = [server, secondMessenger, replyTo, index] {
				Record("second request");
				SendWordServicesRequest(server, index, {secondMessenger}, replyTo);
			};
		}
		const status_t status = SendWordServicesRequest(server, fIndex, targets,
			BMessenger(stop1, this), 10000000);
		printf("ready %d\n", int(getpid()));
		fflush(stdout);
		if (status != B_OK)
			Record("send failed " + std::to_string(status));
	}

private:
	void _Stopped(int32 request)
	{
		Record("wstp " + std::to_string(request));
		if (++fStops < fRequests)
			return;
		for (size_t i = 0; i < fStores.size(); i++)
			Record("final t" + std::to_string(i + 1) + " " + Escape(fStores[i]->Text()));
		if (fSecondStore != nullptr)
			Record("final s1 " + Escape(fSecondStore->Text()));
		Record("done");
	}

	int32 fIndex;
	std::string fSecond;
	int32 fRequests;
	int32 fMany;
	int32 fStops = 0;
	std::vector<std::unique_ptr<StringTextStore>> fStores;
	std::unique_ptr<StringTextStore> fSecondStore;
	std::unique_ptr<StringTextStore> fSkippedStore;
	std::vector<PeerTarget*> fTargets;
};

}  // namespace

int main(int argc, char** argv)
{
	int32 index = 0;
	int32 requests = 1;
	int32 many = 0;
	std::vector<std::string> texts;
	std::string second;
	for (int i = 1; i + 1 < argc; i += 2) {
		const std::string option = argv[i];
		if (option == "--index")
			index = atoi(argv[i + 1]);
		else if (option == "--text")
			texts.push_back(argv[i + 1]);
		else if (option == "--second-text")
			second = argv[i + 1];
		else if (option == "--requests")
			requests = atoi(argv[i + 1]);
		else if (option == "--mode")
			gMode = argv[i + 1];
	}
	if (gMode.rfind("many:", 0) == 0)
		many = atoi(gMode.c_str() + 5);
	ClientPeer peer(index, texts, second, requests, many);
	if (peer.InitCheck() != B_OK)
		return 1;
	peer.Run();
	return 0;
}
