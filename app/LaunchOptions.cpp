#include "LaunchOptions.h"

#include <cstring>

const char kLongVersion[] = "Corvane Address Book LITE 1.0d10";

namespace {

std::string Usage(const char* program)
{
	return std::string("Usage: ") + program + " [FILE...]\n"
		+ "Opens the first address book FILE in a window (a FILE that does not exist yet\n"
		+ "opens as an empty book that the first save creates). Without FILE it reopens\n"
		+ "the book last opened or saved, or starts a new one. When the address book is\n"
		+ "already running, FILE is opened there.\n"
		+ "\n"
		+ "  --help     show this text and exit\n"
		+ "  --version  show the version and exit\n";
}

}  // namespace

LaunchOptions ParseLaunchOptions(int argc, const char* const* argv)
{
	LaunchOptions options;
	const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "cvab";
	bool onlyDocuments = false;
	for (int i = 1; i < argc; i++) {
		const char* argument = argv[i];
		if (onlyDocuments || argument[0] != '-' || strcmp(argument, "-") == 0) {
			options.documents.push_back(argument);
		} else if (strcmp(argument, "--") == 0) {
			onlyDocuments = true;
		} else if (strcmp(argument, "--help") == 0 || strcmp(argument, "-h") == 0) {
			options.exitNow = true;
			options.output = Usage(program);
			return options;
		} else if (strcmp(argument, "--version") == 0) {
			options.exitNow = true;
			options.output = std::string(kLongVersion) + "\n";
			return options;
		} else {
			options.warnings += std::string(program) + ": unknown option \"" + argument
				+ "\" ignored (see --help)\n";
		}
	}
	return options;
}
