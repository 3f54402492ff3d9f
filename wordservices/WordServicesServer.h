// The application's side of Word Services: registration at start, the one
// current session ('Btch' starts it, 'WSAb' ends it) and the alerts.
//
// So that no client can freeze or confuse it: a 'Btch' while a session is held ends that session first,
// so its client gets its 'WStp'; a 'WSAb' that names another session than the
// current one is ignored; the "Unable to initiate Word Services session" alert
// is shown without waiting for it, and never while another one is showing.
// Threading: the application's thread.
#ifndef _WORD_SERVICES_SERVER_H
#define _WORD_SERVICES_SERVER_H

#include <Message.h>
#include <Messenger.h>

#include <functional>
#include <memory>

class CVABWordServicesSession;

extern const char kRegistrationFailedText[];
extern const char kSessionFailedText[];

class WordServicesServer {
public:
	// bookWindow answers the main window whose book a new session searches (an
	// invalid messenger when there is none).
	explicit WordServicesServer(std::function<BMessenger()> bookWindow);
	// Ends a held session (its client gets 'WStp').
	~WordServicesServer();

	// Registers the running executable; the alert only when no registration
	// could be made.
	void Register(const char* signature);
	// 'Btch'.
	void StartSession(const BMessage* request);
	// 'WSAb'.
	void EndSession(const BMessage* message);

	bool HasSession() const { return fSession != nullptr; }

private:
	void _ShowAlert(const char* text, BMessenger* shown);

	std::function<BMessenger()> fBookWindow;
	std::unique_ptr<CVABWordServicesSession> fSession;
	BMessenger fSessionAlert;
	BMessenger fRegistrationAlert;
};

#endif
