// The command line: documents to open, and the few options a desktop user
// expects of a program started from a terminal.
// Threading: the program's main thread, before the application starts.
#ifndef _LAUNCH_OPTIONS_H
#define _LAUNCH_OPTIONS_H

#include <string>
#include <vector>

struct LaunchOptions {
	// Every argument that is not an option, in order (all after "--"): a
	// document to open.
	std::vector<std::string> documents;
};

// CommandLine::kContinue to start, or the exit status with --help, --version or
// the usage error already printed.
int ParseLaunchOptions(int argc, const char* const* argv, LaunchOptions* options);

extern const char kLongVersion[];

#endif
