#include "LaunchOptions.h"

#include "CommandLine.h"

const char kLongVersion[] = "Corvane Address Book LITE 1.0d10";

namespace {

const char kDescription[] =
	"Opens the first address book FILE in a window (a FILE that does not exist yet\n"
	"opens as an empty book that the first save creates). Without FILE it reopens\n"
	"the book last opened or saved, or starts a new one. When the address book is\n"
	"already running, FILE is opened there.";

}  // namespace

int ParseLaunchOptions(int argc, const char* const* argv, LaunchOptions* options)
{
	CommandLine line("cvab", kDescription, kLongVersion);
	line.App().add_option("FILE", options->documents, "address books to open");
	return line.Parse(argc, argv);
}
