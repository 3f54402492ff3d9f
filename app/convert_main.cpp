// cvab-convert: contacts in and out of address books (see ConvertCommand.h).
#include "ConvertCommand.h"

#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
	// A closed pipe on standard output is a write error, reported as such.
	signal(SIGPIPE, SIG_IGN);
	convert_options options;
	std::string message;
	bool exitNow = false;
	if (!ConvertCommand::Parse(argc, argv, &options, &message, &exitNow)) {
		fputs(message.c_str(), exitNow ? stdout : stderr);
		return exitNow ? kConvertOk : kConvertFailed;
	}
	return ConvertCommand::Run(options);
}
