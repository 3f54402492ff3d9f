// Sections: the command line, reading, writing, the conversion.
#include "ConvertCommand.h"

#include <AsciiText.h>
#include <BookBody.h>
#include <BookFile.h>
#include <ContactFieldMap.h>
#include <ContactText.h>
#include <ConversionReport.h>
#include <CsvReader.h>
#include <CsvWriter.h>
#include <Entry.h>
#include <VCardReader.h>
#include <VCardWriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// --- the command line

namespace {

const char kUsage[] =
	"usage: cvab-convert [--from FORMAT] [--to FORMAT] [--map HEADER=FIELD]... [--strict]\n"
	"                    INPUT OUTPUT\n"
	"Converts contacts between address books, vCard and CSV files.\n"
	"FORMAT is book, vcard or csv; without it, .vcf and .vcard are vCard, .csv is CSV\n"
	"and anything else an address book. '-' is standard input or output.\n"
	"  --map HEADER=FIELD  read the CSV column HEADER into FIELD (a field name such as\n"
	"                      \"Cell Number\"); HEADER= leaves the column out silently\n"
	"  --strict            fail (exit 2) without writing anything when a value would\n"
	"                      be lost or the input is malformed\n";

bool ParseFormat(const std::string& name, contact_format* format)
{
	if (EqualsIgnoringCase(name, "book"))
		*format = contact_format::kBook;
	else if (EqualsIgnoringCase(name, "vcard") || EqualsIgnoringCase(name, "vcf"))
		*format = contact_format::kVCard;
	else if (EqualsIgnoringCase(name, "csv"))
		*format = contact_format::kCsv;
	else
		return false;
	return true;
}

}  // namespace

bool ConvertCommand::Parse(int argc, const char* const* argv, convert_options* options,
	std::string* message, bool* exitNow)
{
	*exitNow = false;
	std::vector<std::string> files;
	bool optionsEnd = false;
	for (int i = 1; i < argc; i++) {
		const std::string argument = argv[i];
		if (optionsEnd || argument == "-" || argument.compare(0, 1, "-") != 0) {
			files.push_back(argument);
			continue;
		}
		if (argument == "--") {
			optionsEnd = true;
			continue;
		}
		if (argument == "--help" || argument == "-h") {
			*message = kUsage;
			*exitNow = true;
			return false;
		}
		if (argument == "--version") {
			*message = "cvab-convert (Corvane Address Book LITE) " CVAB_VERSION "\n";
			*exitNow = true;
			return false;
		}
		if (argument == "--strict") {
			options->strict = true;
			continue;
		}
		std::string name = argument, value;
		if (const size_t equals = argument.find('='); equals != std::string::npos) {
			name = argument.substr(0, equals);
			value = argument.substr(equals + 1);
		} else if (argument == "--from" || argument == "--to" || argument == "--map") {
			if (i + 1 >= argc) {
				*message = "cvab-convert: " + argument + " needs a value\n" + kUsage;
				return false;
			}
			value = argv[++i];
		}
		contact_format ignored;
		if ((name == "--from" || name == "--to") && !ParseFormat(value, &ignored)) {
			*message = "cvab-convert: unknown format \"" + value
				+ "\" (the formats are book, vcard and csv)\n";
			return false;
		}
		if (name == "--from")
			options->from = value;
		else if (name == "--to")
			options->to = value;
		else if (name == "--map")
			options->maps.push_back(value);
		else {
			*message = "cvab-convert: unknown option " + argument + "\n" + kUsage;
			return false;
		}
	}
	if (files.size() != 2) {
		*message = std::string("cvab-convert: give one INPUT and one OUTPUT\n") + kUsage;
		return false;
	}
	options->input = files[0];
	options->output = files[1];
	return true;
}

contact_format ConvertCommand::GuessFormat(const std::string& path)
{
	if (EndsWithIgnoringCase(path, ".vcf") || EndsWithIgnoringCase(path, ".vcard"))
		return contact_format::kVCard;
	if (EndsWithIgnoringCase(path, ".csv"))
		return contact_format::kCsv;
	return contact_format::kBook;
}

// --- reading

namespace {

bool ReadAll(int fd, std::string* bytes)
{
	char buffer[65536];
	for (;;) {
		const ssize_t got = read(fd, buffer, sizeof(buffer));
		if (got < 0 && errno == EINTR)
			continue;
		if (got < 0)
			return false;
		if (got == 0)
			return true;
		bytes->append(buffer, static_cast<size_t>(got));
	}
}

std::string ErrnoText()
{
	return strerror(errno);
}

// A book file keeps its layout in its type attribute, so it is read through
// the book file layer; from standard input the body tells the layout.
bool ReadBook(const std::string& path, const std::string& bytes, CVABook* book,
	ConversionReport* report, std::string* error)
{
	book_read_losses losses;
	if (path == "-") {
		ReadBookBody(book, bytes.data(), bytes.size(),
			LayoutForTypelessBody(bytes.data(), bytes.size()), &losses);
	} else {
		entry_ref ref;
		status_t status = get_ref_for_path(path.c_str(), &ref);
		if (status == B_OK)
			status = LoadBookFile(&ref, book, nullptr, &losses);
		if (status != B_OK) {
			*error = std::string("cannot read it because ") + DescribeFileError(status);
			return false;
		}
	}
	if (losses.Any())
		report->AddLoss(0, "the book", "", DescribeLosses(losses));
	return true;
}

}  // namespace

// --- writing

namespace {

bool WriteAll(int fd, const std::string& bytes)
{
	size_t done = 0;
	while (done < bytes.size()) {
		const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
		if (written < 0 && errno == EINTR)
			continue;
		if (written <= 0)
			return false;
		done += static_cast<size_t>(written);
	}
	return true;
}

// Writes bytes to a new file beside path and renames it over path once it is
// complete on disk. An existing file keeps its permissions.
bool WriteFileSafely(const std::string& path, const std::string& bytes, std::string* error)
{
	const size_t slash = path.rfind('/');
	const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
	const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
	std::string temporary = directory + "/." + leaf + ".XXXXXX";
	const int fd = mkstemp(temporary.data());
	if (fd < 0) {
		*error = ErrnoText();
		return false;
	}
	struct stat old;
	mode_t mode;
	if (stat(path.c_str(), &old) == 0) {
		mode = old.st_mode & 07777;
	} else {
		const mode_t mask = umask(0);
		umask(mask);
		mode = 0666 & ~mask;
	}
	bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
	if (!ok)
		*error = ErrnoText();
	if (close(fd) != 0 && ok) {
		ok = false;
		*error = ErrnoText();
	}
	if (ok && rename(temporary.c_str(), path.c_str()) != 0) {
		ok = false;
		*error = ErrnoText();
	}
	if (!ok)
		unlink(temporary.c_str());
	return ok;
}

std::string ContactBytes(const CVABook& book, contact_format format)
{
	std::string out;
	if (format == contact_format::kCsv)
		CsvWriter::AppendHeader(&out);
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
		if (format == contact_format::kCsv)
			CsvWriter::AppendRow(r, &out);
		else
			VCardWriter::AppendCard(r, &out);
	}
	return out;
}

bool WriteOutput(const std::string& path, contact_format format, const CVABook& book,
	std::string* error)
{
	if (format == contact_format::kBook && path != "-") {
		entry_ref ref;
		status_t status = get_ref_for_path(path.c_str(), &ref);
		// No window frame yet: the window chooses its own the first time.
		if (status == B_OK)
			status = SaveBookFile(&ref, &book, book_frame{0, 0, -1, -1}, nullptr);
		if (status != B_OK)
			*error = DescribeFileError(status);
		return status == B_OK;
	}
	const std::string bytes = format == contact_format::kBook ? BookBodyBytes(&book)
		: ContactBytes(book, format);
	if (path == "-") {
		if (!WriteAll(STDOUT_FILENO, bytes)) {
			*error = ErrnoText();
			return false;
		}
		return true;
	}
	return WriteFileSafely(path, bytes, error);
}

}  // namespace

// --- the conversion

int ConvertCommand::Run(const convert_options& options)
{
	contact_format from = GuessFormat(options.input);
	contact_format to = GuessFormat(options.output);
	if (!options.from.empty())
		ParseFormat(options.from, &from);
	if (!options.to.empty())
		ParseFormat(options.to, &to);

	ContactFieldMap map;
	for (const std::string& mapping : options.maps) {
		std::string error;
		if (!map.AddMapping(mapping, &error)) {
			fprintf(stderr, "cvab-convert: --map %s: %s\n", mapping.c_str(), error.c_str());
			return kConvertFailed;
		}
	}

	const std::string& input = options.input;
	const char* inputName = input == "-" ? "standard input" : input.c_str();
	std::string bytes;
	if (from != contact_format::kBook || input == "-") {
		const int fd = input == "-" ? STDIN_FILENO : open(input.c_str(), O_RDONLY | O_CLOEXEC);
		const bool read = fd >= 0 && ReadAll(fd, &bytes);
		if (!read) {
			fprintf(stderr, "cvab-convert: cannot read %s: %s\n", inputName, ErrnoText().c_str());
			return kConvertFailed;
		}
		if (fd != STDIN_FILENO)
			close(fd);
	}

	CVABook book(nullptr);
	ConversionReport report;
	std::string error;
	if (from == contact_format::kVCard)
		VCardReader(&report).Read(bytes, &book);
	else if (from == contact_format::kCsv)
		CsvReader(map, &report).Read(bytes, &book);
	else if (!ReadBook(input, bytes, &book, &report, &error)) {
		fprintf(stderr, "cvab-convert: %s: %s\n", inputName, error.c_str());
		return kConvertFailed;
	}

	fputs(report.Describe(inputName).c_str(), stderr);
	if (options.strict && !report.IsEmpty()) {
		fprintf(stderr, "cvab-convert: nothing written: %d values would be lost and %d "
			"items are malformed (--strict)\n", report.CountLosses(), report.CountMalformed());
		return kConvertStrict;
	}
	if (!WriteOutput(options.output, to, book, &error)) {
		fprintf(stderr, "cvab-convert: cannot write %s: %s\n",
			options.output == "-" ? "standard output" : options.output.c_str(), error.c_str());
		return kConvertFailed;
	}
	if (!report.IsEmpty()) {
		fprintf(stderr, "cvab-convert: %d contacts converted; %d values not kept, %d cards or "
			"rows left out as malformed (listed above)\n", book.CountRecords(),
			report.CountLosses(), report.CountMalformed());
	}
	return report.CountMalformed() > 0 ? kConvertFailed : kConvertOk;
}
