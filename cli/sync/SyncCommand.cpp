#include "SyncCommand.h"

#include "CommandLine.h"

namespace {

const char kDescription[] =
	"Keeps BOOK, an address book, and FOLDER, a vCard folder (one .vcf file per contact,\n"
	"as vdirsyncer and khard keep them), in two-way sync: one run brings them into\n"
	"agreement and exits. A card changed by the book keeps everything the book cannot\n"
	"hold. A field changed on both sides keeps the card's value; the book's goes to the\n"
	"conflict log. Exit status: 0 in sync, 1 synced with conflicts (listed on standard\n"
	"error), 2 failed with nothing changed, 64 bad usage.";

}  // namespace

int SyncCommand::Parse(int argc, const char* const* argv, sync_options* options)
{
	CommandLine line("cvab-sync", kDescription);
	CLI::App& app = line.App();
	app.add_flag("-n,--dry-run", options->dryRun, "show what would change and change nothing");
	app.add_flag("-v,--verbose", options->verbose, "list every change");
	app.add_flag("--allow-deletes", options->allowDeletes,
		"let a run delete more than a tenth of the records or of the cards (by default it "
		"stops, taking that for a lost book or folder)");
	std::vector<std::string> paths;
	app.add_option("BOOK FOLDER", paths, "the address book, and the vCard folder to sync it with");
	if (const int status = line.Parse(argc, argv); status != CommandLine::kContinue)
		return status;
	if (paths.size() != 2)
		return line.UsageError("give one BOOK and one FOLDER");
	options->book = paths[0];
	options->folder = paths[1];
	return CommandLine::kContinue;
}
