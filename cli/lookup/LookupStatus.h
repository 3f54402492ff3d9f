// What the two modes of cvab-lookup share: their exit statuses and the way
// results reach standard output.
// Threading: the program's main thread.
#ifndef _LOOKUP_STATUS_H
#define _LOOKUP_STATUS_H

#include <string>

// Exit statuses of cvab-lookup.
enum {
	kExitDone = 0,
	kExitNoMatch = 1,
	kExitNotRunning = 2,
	kExitFailed = 3,
};

// Writes text to standard output at once: the caller may be waiting for it.
void WriteOutput(const std::string& text);

#endif
