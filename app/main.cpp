// The address book's entry point: the command line, a hand-over to an instance
// already running, then the application.
#include "CVABapp.h"
#include "CommandLine.h"
#include "InstanceHandover.h"
#include "LaunchOptions.h"

#include <csignal>
#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
	LaunchOptions options;
	if (const int status = ParseLaunchOptions(argc, argv, &options);
		status != CommandLine::kContinue)
		return status;
	// A save beyond a file-size limit must fail with an error the user is
	// told about, not end the program and every other window's book.
	signal(SIGXFSZ, SIG_IGN);
	signal(SIGPIPE, SIG_IGN);

	if (HandOverToRunningInstance(options.documents, 3000000))
		return 0;

	auto app = std::make_unique<CVABapp>();
	if (app->InitCheck() != B_OK)
		return 1;
	app->Run();
	return 0;
}
