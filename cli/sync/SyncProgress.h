// A progress line on standard error for a run that takes more than a second,
// when standard error is a terminal: "cvab-sync: reading cards 3400/10000",
// rewritten in place a few times a second and cleared at the end.
// Threading: the program's one thread.
#ifndef _SYNC_PROGRESS_H
#define _SYNC_PROGRESS_H

#include <SupportDefs.h>

#include <chrono>
#include <cstdio>

class SyncProgress {
public:
	explicit SyncProgress(FILE* stream);
	~SyncProgress();

	// what is a phrase such as "reading cards".
	void Step(const char* what, size_t done, size_t total);
	// Clears the line, if one was shown.
	void Done();

private:
	using clock = std::chrono::steady_clock;

	FILE* const fStream;
	const bool fTerminal;
	const clock::time_point fStart;
	clock::time_point fLast;
	bool fShown = false;
};

#endif
