#include "WordServicesServer.h"

#include "CVABWordServicesSession.h"
#include "WordServicesDefs.h"
#include "WordServicesRegistration.h"

#include <Alert.h>
#include <Application.h>
#include <Looper.h>
#include <OS.h>
#include <Roster.h>

#include <Path.h>
#include <Entry.h>

const char kRegistrationFailedText[] = "Error registering Corvane Address Book as a Word "
	"Services server.  This will prevent the Look Up E-Mail Address menu item from showing "
	"up in client applications.";
const char kSessionFailedText[] = "Unable to initiate Word Services session";

WordServicesServer::WordServicesServer(std::function<BMessenger()> bookWindow)
	: fBookWindow(std::move(bookWindow))
{
}

WordServicesServer::~WordServicesServer() = default;

void WordServicesServer::Register(const char* signature)
{
	app_info info;
	BPath executable;
	if (be_app == nullptr || be_app->GetAppInfo(&info) != B_OK
		|| BEntry(&info.ref).GetPath(&executable) != B_OK) {
		_ShowAlert(kRegistrationFailedText, &fRegistrationAlert);
		return;
	}
	const word_services_registration registration = RegisterWordServicesServer(
		executable.Path(), signature,
		{kAddressBookServices[kLookUpEmailService], kAddressBookServices[kLookUpPostalService]});
	if (registration.status != B_OK)
		_ShowAlert(kRegistrationFailedText, &fRegistrationAlert);
}

void WordServicesServer::StartSession(const BMessage* request)
{
	// The session held is over: its client hears so before the new one starts.
	fSession.reset();
	// 'WSAb' comes back to the looper handling the request (the application's).
	BLooper* looper = BLooper::LooperForThread(find_thread(nullptr));
	const BMessenger endTo = looper != nullptr ? BMessenger(nullptr, looper) : BMessenger(be_app);
	auto session = std::make_unique<CVABWordServicesSession>(request, fBookWindow(), endTo);
	if (session->InitCheck() != B_OK) {
		session.reset();
		_ShowAlert(kSessionFailedText, &fSessionAlert);
		return;
	}
	fSession = std::move(session);
	fSession->Execute();
}

void WordServicesServer::EndSession(const BMessage* message)
{
	int32 serial = 0;
	if (fSession != nullptr && message->FindInt32("session", &serial) == B_OK
		&& serial != fSession->Serial()) {
		return;
	}
	fSession.reset();
}

void WordServicesServer::_ShowAlert(const char* text, BMessenger* shown)
{
	if (shown->IsValid())
		return;
	BAlert* alert = new BAlert("Message", text, "OK", nullptr, nullptr, B_WIDTH_AS_USUAL,
		B_INFO_ALERT);
	// Its one button loses nothing, so a keyboard user can leave it with Escape.
	alert->SetShortcut(0, B_ESCAPE);
	*shown = BMessenger(alert);
	alert->Go(nullptr);
}
