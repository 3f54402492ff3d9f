#include "WordLookup.h"

#include "LookupStatus.h"
#include "StringTextStore.h"
#include "WordServicesClient.h"
#include "WordServicesDefs.h"
#include "WordServicesTextTarget.h"

#include <Application.h>
#include <OS.h>
#include <Roster.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kAddressBookSignature[] = "application/x-vnd.tarvish-cvabdj";
const char kLookupSignature[] = "application/x-vnd.tarvish-cvab-lookup";
// Targets are cut at line ends to stay well under the server's bound.
const size_t kTargetSize = 256 * 1024;
// The whole session; the server bounds each exchange, this bounds the server.
const bigtime_t kSessionTimeout = 120000000;
constexpr uint32 kGiveUp = 'lkto';


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

}  // namespace

int LookUpInRunningBook(int32 service)
{
	std::string input((std::istreambuf_iterator<char>(std::cin)),
		std::istreambuf_iterator<char>());
	if (!be_roster->IsRunning(kAddressBookSignature)) {
		WriteOutput(input);
		fprintf(stderr, "cvab-lookup: the address book is not running\n");
		return kExitNotRunning;
	}
	int status = kExitFailed;
	std::string output = input;
	{
		LookupApp app(input, service);
		if (app.InitCheck() != B_OK) {
			WriteOutput(input);
			fprintf(stderr, "cvab-lookup: cannot start\n");
			return kExitFailed;
		}
		app.Run();
		status = app.ExitStatus();
		// Only a finished session's text: a half-done one goes back as it came.
		if (status == kExitDone)
			output = app.Result();
	}
	WriteOutput(output);
	if (status == kExitNotRunning)
		fprintf(stderr, "cvab-lookup: the address book is not running\n");
	else if (status != kExitDone)
		fprintf(stderr, "cvab-lookup: the address book did not finish\n");
	return status;
}

