// The command line: documents to open, and the few options a desktop user
// expects of a program started from a terminal.
// Threading: pure.
#ifndef _LAUNCH_OPTIONS_H
#define _LAUNCH_OPTIONS_H

#include <string>
#include <vector>

struct LaunchOptions {
	// --help or --version: print `output` and exit 0 without a window.
	bool exitNow = false;
	std::string output;
	// One line for standard error per option not understood; the program
	// still starts.
	std::string warnings;
	// Every other argument, in order: a document to open.
	std::vector<std::string> documents;
};

LaunchOptions ParseLaunchOptions(int argc, const char* const* argv);

extern const char kLongVersion[];

#endif
