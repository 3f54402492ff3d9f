// The baseline of the Word Services benchmark: a server that answers 'Btch'
// with exactly the messages of a one-word e-mail look-up (Size, Text, delete,
// highlight off, insert, 'WStp') and looks nothing up: it replaces the whole
// text of the first target by a fixed address.
#include "WordServicesSession.h"
#include "WordServicesDefs.h"

#include <Application.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

class BareSession : public WordServicesSession {
public:
	using WordServicesSession::WordServicesSession;

	status_t Execute() override
	{
		if (SelectTarget(0) == B_OK && Text() != nullptr) {
			const int32 length = static_cast<int32>(TextLength());
			ReplaceText("zed@example.org", length, 0);
		}
		return B_OK;
	}
};

class BareServer : public BApplication {
public:
	BareServer() : BApplication("application/x-vnd.cvab-bench-bare") {}

	void ReadyToRun() override
	{
		printf("ready %d\n", int(getpid()));
		fflush(stdout);
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == kWordServicesRequest) {
			BareSession session(message);
			if (session.InitCheck() == B_OK)
				session.Execute();
			return;  // the session's end sends 'WStp'
		}
		BApplication::MessageReceived(message);
	}
};

}  // namespace

int main()
{
	BareServer server;
	if (server.InitCheck() != B_OK)
		return 1;
	server.Run();
	return 0;
}
