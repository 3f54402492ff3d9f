#include "CommandLine.h"

#include <algorithm>

const char kProductVersion[] = "Corvane Address Book LITE 1.0";

namespace {

// The parser's messages may span lines; a usage error is one line.
std::string OneLine(std::string text)
{
	std::replace(text.begin(), text.end(), '\n', ' ');
	while (!text.empty() && text.back() == ' ')
		text.pop_back();
	return text;
}

}  // namespace

CommandLine::CommandLine(const char* name, const char* description, const char* version)
	: fName(name),
	  fApp("", name)
{
	// Usage first, as a terminal user expects; then what the command does.
	fApp.footer(description);
	fApp.set_help_flag("-h,--help", "show this text and exit");
	fApp.set_version_flag("--version",
		version != nullptr ? std::string(version) : fName + " (" + kProductVersion + ")",
		"show the version and exit");
}

int CommandLine::Parse(int argc, const char* const* argv)
{
	try {
		fApp.parse(argc, argv);
	} catch (const CLI::CallForHelp&) {
		fputs(fApp.help().c_str(), stdout);
		return 0;
	} catch (const CLI::CallForVersion& version) {
		printf("%s\n", version.what());
		return 0;
	} catch (const CLI::ParseError& error) {
		return UsageError(OneLine(error.what()));
	}
	return kContinue;
}

int CommandLine::UsageError(const std::string& text) const
{
	fprintf(fUsageStream, "%s: %s (see --help)\n", fName.c_str(), text.c_str());
	fflush(fUsageStream);
	return kExitUsage;
}
