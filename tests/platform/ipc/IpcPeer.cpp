// The other application of the cross-process tests, with the signature given in
// $CVAB_PEER_SIGNATURE (so every argument is a launch argument). Prints
// "ready" once running, records launch arguments to $CVAB_PEER_RECORD, and answers:
//   'ping' -> 'pong' with "value" + 1 and its "team"
//   'hold' -> kept unanswered for ever
//   'fwd ' -> sends 'back' (with its "team") to the messenger in "target"
//   scripting: the handler "counter" has the property "Value" (get and set)
#include <Application.h>
#include <EntryRef.h>
#include <Handler.h>
#include <Messenger.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

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

class Counter : public BHandler {
public:
	Counter() : BHandler("counter") {}

	BHandler* ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier,
		int32 what, const char* property) override
	{
		if (strcmp(property, "Value") == 0 && what == B_DIRECT_SPECIFIER)
			return this;
		return BHandler::ResolveSpecifier(message, index, specifier, what, property);
	}

	void MessageReceived(BMessage* message) override
	{
		int32 index = 0;
		BMessage specifier;
		int32 what = 0;
		const char* property = nullptr;
		const bool value = message->GetCurrentSpecifier(&index, &specifier, &what, &property)
			== B_OK && strcmp(property, "Value") == 0;
		if (value && message->what == B_GET_PROPERTY) {
			BMessage reply(B_REPLY);
			reply.AddInt32("result", fValue);
			reply.AddInt32("error", B_OK);
			message->SendReply(&reply);
			return;
		}
		if (value && message->what == B_SET_PROPERTY) {
			fValue = message->GetInt32("data", fValue);
			BMessage reply(B_REPLY);
			reply.AddInt32("error", B_OK);
			message->SendReply(&reply);
			return;
		}
		BHandler::MessageReceived(message);
	}

private:
	int32 fValue = 7;
};

class Peer : public BApplication {
public:
	explicit Peer(const char* signature) : BApplication(signature)
	{
		AddHandler(&fCounter);
	}
	~Peer() override
	{
		Lock();
		RemoveHandler(&fCounter);
	}

	void ReadyToRun() override
	{
		printf("ready %d\n", int(getpid()));
		fflush(stdout);
	}

	void ArgvReceived(int32 argc, char** argv) override
	{
		std::string line = "argv";
		for (int32 i = 1; i < argc; i++)
			line += std::string(" ") + argv[i];
		Record(line);
	}

	void RefsReceived(BMessage* message) override
	{
		entry_ref ref;
		for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++)
			Record("ref " + ref.DirectoryPath() + "/" + ref.name);
	}

	void MessageReceived(BMessage* message) override
	{
		switch (message->what) {
			case 'ping': {
				BMessage reply('pong');
				reply.AddInt32("value", message->GetInt32("value", 0) + 1);
				reply.AddInt32("team", getpid());
				reply.AddBool("remote", message->IsSourceRemote());
				message->SendReply(&reply);
				break;
			}
			case 'hold':
				fHeld.emplace_back(DetachCurrentMessage());
				break;
			case 'fwd ': {
				BMessenger target;
				BMessage back('back');
				back.AddInt32("team", getpid());
				status_t status = message->FindMessenger("target", &target);
				if (status == B_OK)
					status = target.SendMessage(&back);
				BMessage reply('done');
				reply.AddInt32("status", status);
				message->SendReply(&reply);
				break;
			}
			default:
				BApplication::MessageReceived(message);
		}
	}

private:
	Counter fCounter;
	std::vector<std::unique_ptr<BMessage>> fHeld;
};

}  // namespace

int main()
{
	const char* signature = getenv("CVAB_PEER_SIGNATURE");
	if (signature == nullptr)
		return 2;
	Peer peer(signature);
	if (peer.InitCheck() != B_OK)
		return 1;
	peer.Run();
	return 0;
}
