// The client side of Word Services: finding the servers (the query
// "WordServicesServer = 1" on every mounted volume), reading their menu
// strings, reaching a running server by its signature (launching it when the
// caller wants that) and sending it a request with text targets.
// Threading: any thread.
#ifndef _WORD_SERVICES_CLIENT_H
#define _WORD_SERVICES_CLIENT_H

#include <Messenger.h>

#include <string>
#include <vector>

struct word_server {
	std::string path;        // the node the query found
	std::string signature;   // "BEOS:APP_SIG"
	std::vector<std::string> menuStrings;  // index n is service n
};

// Every server the query finds, one per signature, in the order found.
std::vector<word_server> FindWordServers();
// The server registered on the node at path.
status_t ReadWordServer(const char* path, word_server* server);

// The program to start for a server: its executable, or the one its per-user
// registration names.
std::string ServerExecutable(const word_server& server);

// The running server's application. With launch, a server that is not running
// is started by its signature (or, when the roster does not know it yet, from
// executable) and waited for up to timeout.
status_t ReachWordServer(const char* signature, bool launch, bigtime_t timeout,
	BMessenger* server, const std::string& executable = std::string());

// Sends 'Btch' with "Index" and one "Target" per messenger; 'WStp' will come to
// replyTo. Asynchronous, with a send time-out.
status_t SendWordServicesRequest(const BMessenger& server, int32 index,
	const std::vector<BMessenger>& targets, const BMessenger& replyTo,
	bigtime_t timeout = 3000000);

#endif
