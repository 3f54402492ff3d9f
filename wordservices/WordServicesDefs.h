// The Word Services protocol as both sides use it: message codes, the
// registration attributes and index, the two services of the address book, the
// scripting properties of a client's text target, and the bounds and time-outs
// the address book keeps to, so that no client can freeze it.
// Threading: constants only.
#ifndef _WORD_SERVICES_DEFS_H
#define _WORD_SERVICES_DEFS_H

#include <SupportDefs.h>

// Client to server: start a session; int32 "Index", messengers "Target".
constexpr uint32 kWordServicesRequest = 'Btch';
// Session to application: end and discard the session (int32 "session", when
// present, names the session it is meant for).
constexpr uint32 kWordServicesEnd = 'WSAb';
// Server to the request's return address: the session is over.
constexpr uint32 kWordServicesStop = 'WStp';
// Status: the requested service index is not one the server offers.
constexpr status_t kWordServicesBadIndex = 'ErIx';

// Registration: attributes of the server's executable (or of its per-user
// registration file) and the volume index the clients query.
extern const char kWordServicesServerAttr[];    // "WordServicesServer", int32 1
extern const char kMenuStringCountAttr[];       // "Menu String Count", int32
extern const char kMenuStringAttrPrefix[];      // "Menu String " + n, string
extern const char kAppSignatureAttr[];          // "BEOS:APP_SIG", string
// The query "WordServicesServer = 1" in the platform query syntax.
extern const char kWordServicesQuery[];         // "WordServicesServer == 1"

// The address book's services, by index.
constexpr int32 kLookUpEmailService = 0;
constexpr int32 kLookUpPostalService = 1;
extern const char* const kAddressBookServices[2];

// Properties of a client's text target.
extern const char kSizeProperty[];        // "Size"
extern const char kTextProperty[];        // "Text"
extern const char kHiliteProperty[];      // "BackgroundHilite"

// Time-outs of the exchanges with a client (microseconds): the Size query keeps
// the one second clients expect; every other exchange gets a few seconds. 'WStp'
// is sent with a send time-out and no reply is awaited.
constexpr bigtime_t kSizeQueryTimeout = 1000000;
constexpr bigtime_t kExchangeTimeout = 3000000;
constexpr bigtime_t kStopNoticeTimeout = 1000000;
// Taking a main window's lock for one look-up.
constexpr bigtime_t kBookLockTimeout = 3000000;

// The largest target text a session takes (a "Size" or a "Text" reply beyond it
// is refused and the target skipped); clients cut bigger texts into targets.
constexpr int32 kMaxTargetTextSize = 1 << 20;

#endif
