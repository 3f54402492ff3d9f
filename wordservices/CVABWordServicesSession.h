// The address book's session: the word scan of every target and the
// e-mail or postal look-up of each word in the book of one main window.
//
// The session never holds the document: it keeps the main window's messenger
// and, for each word, locks that window (which guards its document, see
// CVABook.h), looks the word up and unlocks again, so no lock is held while it
// waits for the client. A window that has closed makes every later word stay
// as it is. A record whose "Email 1" is empty is no hit.
// Threading: the application's thread.
#ifndef _CVAB_WORD_SERVICES_SESSION_H
#define _CVAB_WORD_SERVICES_SESSION_H

#include "WordServicesSession.h"

#include <string>

class CVABWordServicesSession : public WordServicesSession {
public:
	// bookWindow: the main window whose book is searched (may be invalid: then
	// nothing is looked up). endTo receives 'WSAb' when Execute is done.
	CVABWordServicesSession(const BMessage* request, const BMessenger& bookWindow,
		const BMessenger& endTo);

	status_t Execute() override;
	int32 Serial() const { return fSerial; }

	enum class LookUpResult { kHit, kMiss, kNoBook };
	// Looks word up in the window's book with the window locked for just that.
	static LookUpResult LookUp(const BMessenger& bookWindow, int32 service,
		const char* word, std::string* replacement);

private:
	// Scans the current target's text and replaces the words found; false when
	// the book is gone.
	bool _ServeCurrentTarget();

	BMessenger fBookWindow;
	BMessenger fEndTo;
	int32 fSerial;
};

#endif
