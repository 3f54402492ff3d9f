// The conventions every command of the address book keeps on its command line,
// over one argument parser: --help prints the usage on standard output and
// exits 0, --version prints one line and exits 0, and bad usage prints one line
// saying what is wrong (on standard error unless told otherwise) and exits 64.
// Threading: used by the program's main thread before anything else runs.
#ifndef _COMMAND_LINE_H
#define _COMMAND_LINE_H

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

// The status of bad usage, as sysexits.h names it.
constexpr int kExitUsage = 64;

extern const char kProductVersion[];

class CommandLine {
public:
	// name is the command's name as typed; description the help's first lines;
	// version the --version line, "name (Corvane Address Book LITE 1.0)" by
	// default.
	CommandLine(const char* name, const char* description, const char* version = nullptr);

	// Where the one line of bad usage goes; a mail client's query, for one,
	// must keep its screen clean of standard error.
	void SetUsageStream(FILE* stream) { fUsageStream = stream; }

	// The parser, to add options and positionals to before Parse.
	CLI::App& App() { return fApp; }

	// Parses argv. kContinue when the command should run; otherwise the exit
	// status, with --help, --version or the usage error already printed.
	static constexpr int kContinue = -1;
	int Parse(int argc, const char* const* argv);

	// Prints "name: text (see --help)" where usage errors go and returns 64:
	// for checks the parser cannot make (two options that exclude each other).
	int UsageError(const std::string& text) const;

private:
	std::string fName;
	CLI::App fApp;
	FILE* fUsageStream = stderr;
};

#endif
