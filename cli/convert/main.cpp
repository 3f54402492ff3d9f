// cvab-convert: contacts in and out of address books (see ConvertCommand.h).
#include "CommandLine.h"
#include "ConvertCommand.h"

#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
	// A closed pipe on standard output is a write error, reported as such.
	signal(SIGPIPE, SIG_IGN);
	convert_options options;
	if (const int status = ConvertCommand::Parse(argc, argv, &options);
		status != CommandLine::kContinue)
		return status;
	return ConvertCommand::Run(options);
}
