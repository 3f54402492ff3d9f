// cvab-convert: contacts between address-book files, vCard and CSV. Parses
// the command line, reads the whole input, reports on standard error every
// value that did not fit, and writes the output through a temporary file so
// that a failed conversion never leaves half a file.
// Threading: runs in the program's one thread.
#ifndef _CONVERT_COMMAND_H
#define _CONVERT_COMMAND_H

#include <string>
#include <vector>

enum class contact_format { kBook, kVCard, kCsv };

// Exit statuses.
constexpr int kConvertOk = 0;
constexpr int kConvertFailed = 1;   // unreadable input, unwritable output, or
                                    // malformed input (all that could be read is written)
constexpr int kConvertStrict = 2;   // --strict and something would be lost: nothing written
// Bad usage is 64, as for every command.

struct convert_options {
	std::string from;  // a format name, or empty to guess from the file name
	std::string to;
	std::string input;  // "-" is standard input
	std::string output; // "-" is standard output
	std::vector<std::string> maps;
	std::string encoding;  // the input's character set; empty to guess
	std::string separator; // CSV: ",", ";", "tab" (or a TAB); empty to guess
	std::string vcardVersion = "4.0";  // of the cards written: "3.0" or "4.0"
	std::string csvStyle;  // the CSV header written: empty for the book's own
	bool strict = false;
};

class ConvertCommand {
public:
	// CommandLine::kContinue to run, or the exit status with --help, --version
	// or the usage error printed.
	static int Parse(int argc, const char* const* argv, convert_options* options);

	// The format of a name: .vcf and .vcard are vCard, .csv is CSV, anything
	// else (standard input and output too) a book.
	static contact_format GuessFormat(const std::string& path);

	// The separator --separator names, 0 for none.
	static char SeparatorChar(const std::string& text);

	// Does the conversion; returns the exit status.
	static int Run(const convert_options& options);
};

#endif
