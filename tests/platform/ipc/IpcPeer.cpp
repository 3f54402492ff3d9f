// The other application of the cross-process tests, with the signature given in
// $CVAB_PEER_SIGNATURE (so every argument is a launch argument). Prints
// "ready" once running, records launch arguments to $CVAB_PEER_RECORD, and answers:
//   'ping' -> 'pong' with "value" + 1 and its "team"
//   'hold' -> kept unanswered for ever
#include <Application.h>
#include <EntryRef.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
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

class Peer : public BApplication {
public:
	explicit Peer(const char* signature) : BApplication(signature) {}

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
			default:
				BApplication::MessageReceived(message);
		}
	}

private:
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
