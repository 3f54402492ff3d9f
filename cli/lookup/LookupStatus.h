// What the two modes of cvab-lookup share: their exit statuses and the way
// results reach standard output.
// Threading: the program's main thread.
#ifndef _LOOKUP_STATUS_H
#define _LOOKUP_STATUS_H

#include <string>
#include <string_view>

// Exit statuses of cvab-lookup.
enum {
	kExitDone = 0,
	kExitNoMatch = 1,      // --mutt-query: nothing matched, or no answer (its line says why)
	kExitNotRunning = 2,
	kExitFailed = 3,       // the look-up session failed
};

// Writes text to standard output at once: the caller may be waiting for it.
void WriteOutput(const std::string& text);

// text with its control characters (a line feed among them) as spaces: a
// message that must stay one line may quote a word or a path.
std::string OneLine(std::string_view text);

#endif
