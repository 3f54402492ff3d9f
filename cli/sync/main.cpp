// cvab-sync: an address book and a vCard folder in two-way sync (see SyncRunner.h).
#include "CommandLine.h"
#include "SyncCommand.h"

#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
	// A closed pipe on standard output is a write error, not the end of a run
	// that may be half-way through writing cards.
	signal(SIGPIPE, SIG_IGN);
	sync_options options;
	if (const int status = SyncCommand::Parse(argc, argv, &options);
		status != CommandLine::kContinue)
		return status;
	return SyncRunner(options, stdout, stderr).Run();
}
