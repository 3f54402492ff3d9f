// cvab-sync: the command line of a run that keeps an address book and a vCard
// folder in two-way sync (see SyncRunner.h for the run itself).
// Threading: the program's one thread.
#ifndef _SYNC_COMMAND_H
#define _SYNC_COMMAND_H

#include "SyncRunner.h"

class SyncCommand {
public:
	// CommandLine::kContinue to run, or the exit status with --help,
	// --version or the usage error printed.
	static int Parse(int argc, const char* const* argv, sync_options* options);
};

#endif
