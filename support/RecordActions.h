// Opening web addresses in the desktop's browser. Books are shared files, so a
// record's web address is checked before anything is launched with it.
// Threading: any thread.
#ifndef _RECORD_ACTIONS_H
#define _RECORD_ACTIONS_H

#include <SupportDefs.h>

#include <string>

class BMessage;

// The maker's pages, carried by the Info menu's messages.
extern const char kMakerWebAddress[];
extern const char kMakerSupportAddress[];

// The address to open for a text typed into a record: http and https addresses
// as they are, a text without a scheme as "http://" plus the text. False (and
// nothing to open) for another scheme, an empty text, a text starting with '-'
// or one holding a control character.
bool WebAddressForLaunch(const char* text, std::string* url);

// Launches the web browser with the checked address; B_BAD_VALUE when the text
// is refused.
status_t LaunchBrowser(const char* url);
// LaunchBrowser with the message's "URL" string.
status_t LaunchBrowserFromMessage(const BMessage* message);

#endif
