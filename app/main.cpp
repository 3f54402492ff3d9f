// The address book's entry point: for now an application that starts and quits.
#include <Application.h>

namespace {

class AddressBookApp : public BApplication {
public:
	AddressBookApp() : BApplication("application/x-vnd.tarvish-cvabdj") {}

	void ReadyToRun() override { PostMessage(B_QUIT_REQUESTED); }
};

}  // namespace

int main()
{
	AddressBookApp app;
	if (app.InitCheck() != B_OK)
		return 1;
	app.Run();
	return 0;
}
