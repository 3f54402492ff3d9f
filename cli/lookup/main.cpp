// cvab-lookup: the address book's look-ups from the shell.
//
//   cvab-lookup [--postal]       reads text on standard input, has the running
//                                address book replace the nicknames in it (by
//                                e-mail addresses, or postal address blocks) and
//                                prints the result.
//   cvab-lookup --mutt-query WORD
//                                a mail client's query of the book last opened or
//                                saved, read without any window.
//
// Standard output carries only these results; everything else goes to standard
// error (the preferences loader's line included). A mail client shows standard
// error over its screen, so --mutt-query writes nothing there at all: its
// answer, errors and bad usage are lines on standard output.
//
// Exit status: 0 done; 1 no match, or no answer (--mutt-query); 2 no address
// book running (the input is printed unchanged); 3 the look-up session failed;
// 64 bad usage.
#include "CommandLine.h"
#include "MailQuery.h"
#include "PreferencesLoader.h"
#include "WordLookup.h"
#include "WordServicesDefs.h"

#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

const char kDescription[] =
	"Replaces the nicknames in standard input's text by the e-mail (or postal)\n"
	"addresses of the running address book, or answers a mail client's query.";

// A mail client passes whatever was typed, a leading '-' included: the word
// after --mutt-query is always the word.
std::vector<const char*> JoinQueryWord(int argc, char** argv, std::string* joined)
{
	std::vector<const char*> arguments(argv, argv + argc);
	for (int i = 1; i + 1 < argc; i++) {
		if (strcmp(argv[i], "--mutt-query") == 0) {
			*joined = std::string("--mutt-query=") + argv[i + 1];
			arguments[i] = joined->c_str();
			arguments.erase(arguments.begin() + i + 1);
			break;
		}
	}
	return arguments;
}

bool IsMailQuery(int argc, char** argv)
{
	for (int i = 1; i < argc; i++) {
		const std::string_view argument = argv[i];
		if (argument == "--mutt-query" || argument.starts_with("--mutt-query="))
			return true;
	}
	return false;
}

// Standard error goes nowhere, so that no library's line can reach the mail
// client's screen either.
void SilenceStandardError()
{
	const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
	if (null < 0)
		return;
	dup2(null, STDERR_FILENO);
	close(null);
}

}  // namespace

int main(int argc, char** argv)
{
	// Standard output is for results only.
	SetPreferencesLoaderReport(stderr);
	const bool mailQuery = IsMailQuery(argc, argv);
	if (mailQuery)
		SilenceStandardError();
	std::string joined;
	const std::vector<const char*> arguments = JoinQueryWord(argc, argv, &joined);

	CommandLine line("cvab-lookup", kDescription);
	if (mailQuery)
		line.SetUsageStream(stdout);
	bool postal = false;
	std::string word;
	CLI::Option* postalOption = line.App().add_flag("--postal", postal,
		"replace nicknames by postal addresses instead of e-mail addresses");
	line.App().add_option("--mutt-query", word,
		"answer a mail client's query for WORD from the book last opened or saved")
		->type_name("WORD")->excludes(postalOption);
	if (const int status = line.Parse(static_cast<int>(arguments.size()), arguments.data());
		status != CommandLine::kContinue)
		return status;
	if (mailQuery)
		return AnswerMailQuery(word.c_str());
	return LookUpInRunningBook(postal ? kLookUpPostalService : kLookUpEmailService);
}
