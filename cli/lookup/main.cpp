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
// error (the preferences loader's line included).
//
// Exit status: 0 done; 1 no match (--mutt-query); 2 no address book running (the
// input is printed unchanged); 3 no book to query, or the session failed; 64 usage.
#include "CommandLine.h"
#include "MailQuery.h"
#include "PreferencesLoader.h"
#include "WordLookup.h"
#include "WordServicesDefs.h"

#include <cstring>
#include <string>
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

}  // namespace

int main(int argc, char** argv)
{
	// Standard output is for results only.
	SetPreferencesLoaderReport(stderr);
	std::string joined;
	const std::vector<const char*> arguments = JoinQueryWord(argc, argv, &joined);

	CommandLine line("cvab-lookup", kDescription);
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
	if (line.App().count("--mutt-query") > 0)
		return AnswerMailQuery(word.c_str());
	return LookUpInRunningBook(postal ? kLookUpPostalService : kLookUpEmailService);
}
