// Registering a program as a Word Services server: the volume index
// "WordServicesServer" and four attributes on the executable, so the query
// "WordServicesServer = 1" finds it; the signature ("BEOS:APP_SIG") goes with
// them so that a client can reach the server it found.
//
// An installed executable belongs to root and a user cannot write its
// attributes; the emulated volume indexes are kept per user, so even attributes
// written at install would not be in a new user's index. When the executable
// cannot be registered (or found by the query) the registration is made on a
// small per-user file instead ($XDG_DATA_HOME/cvab/word-services/<signature>),
// which carries the same attributes and which the same query finds. Only when
// neither works is registration a failure.
// Threading: any thread; the index store locks itself.
#ifndef _WORD_SERVICES_REGISTRATION_H
#define _WORD_SERVICES_REGISTRATION_H

#include <SupportDefs.h>

#include <string>
#include <vector>

struct word_services_registration {
	// B_OK when the query finds a registration of the server.
	status_t status = B_NO_INIT;
	// The node the query finds: the executable or the per-user file.
	std::string path;
	bool perUser = false;
	// Whether this call wrote any attribute (a second start writes nothing).
	bool wrote = false;
};

word_services_registration RegisterWordServicesServer(const char* executablePath,
	const char* signature, const std::vector<std::string>& menuStrings);

// Where the per-user registration of signature lives.
std::string PerUserRegistrationPath(const char* signature);

// Whether the query "WordServicesServer = 1" on path's volume finds path.
bool QueryFindsServer(const std::string& path);

#endif
