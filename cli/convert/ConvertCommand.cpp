// Sections: the command line, reading, writing, the conversion.
#include "ConvertCommand.h"

#include "CommandLine.h"

#include <AsciiText.h>
#include <BookBody.h>
#include <BookFile.h>
#include <ContactFieldMap.h>
#include <ContactImport.h>
#include <ContactText.h>
#include <ConversionReport.h>
#include <CsvWriter.h>
#include <Entry.h>
#include <ReadOnlyBookFile.h>
#include <ReplacingFile.h>
#include <VCardWriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

// --- the command line

namespace {

const char kDescription[] =
	"Converts contacts between address books, vCard and CSV files.\n"
	"FORMAT is book, vcard or csv; without it, .vcf and .vcard are vCard, .csv is CSV\n"
	"and anything else an address book. '-' is standard input or output.";

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

char ConvertCommand::SeparatorChar(const std::string& text)
{
	if (text == "," || text == ";" || text == "\t")
		return text[0];
	if (EqualsIgnoringCase(text, "tab"))
		return '\t';
	if (EqualsIgnoringCase(text, "comma"))
		return ',';
	if (EqualsIgnoringCase(text, "semicolon"))
		return ';';
	return 0;
}

int ConvertCommand::Parse(int argc, const char* const* argv, convert_options* options)
{
	CommandLine line("cvab-convert", kDescription);
	CLI::App& app = line.App();
	const auto format = [](const std::string& name) {
		contact_format ignored;
		return ParseFormat(name, &ignored) ? std::string()
			: "unknown format \"" + name + "\" (the formats are book, vcard and csv)";
	};
	app.add_option("--from", options->from, "the input's format")
		->type_name("FORMAT")->check(format);
	app.add_option("--to", options->to, "the output's format")
		->type_name("FORMAT")->check(format);
	app.add_option("--map", options->maps,
		"read the CSV column HEADER into FIELD (a field name such as \"Cell Number\"); "
		"a HEADER of digits is a column number from 1 (\"3=Email 1\"), which is how a file "
		"without a header row is read; HEADER= leaves the column out silently")
		->type_name("HEADER=FIELD")->allow_extra_args(false);  // one mapping per --map
	app.add_option("--encoding", options->encoding,
		"the input's character set (such as windows-1252, shift_jis, utf-16), for a file "
		"that does not say; for vCards, that of the values that name none")
		->type_name("NAME");
	app.add_option("--separator", options->separator,
		"the CSV separator: \",\", \";\" or \"tab\" (by default the first row's)")
		->type_name("SEP")->check([](const std::string& text) {
			return SeparatorChar(text) != 0 ? std::string()
				: "the separator is \",\", \";\" or \"tab\"";
		});
	std::string styles;
	size_t count = 0;
	const csv_style* all = ContactFieldMap::Styles(&count);
	for (size_t i = 0; i < count; i++)
		styles += std::string(i == 0 ? "" : i + 1 == count ? " or " : ", ") + all[i].name
			+ " (" + all[i].exporter + ")";
	app.add_option("--csv-style", options->csvStyle,
		"write the CSV header of another program's export, which that program and "
		"cvab-convert map back: " + styles + "; fields without a column of their own go "
		"into Notes as labelled lines (the report names them). Without it, the header "
		"is the 21 field names")
		->type_name("STYLE")->check([](const std::string& name) {
			return ContactFieldMap::StyleNamed(name) != nullptr ? std::string()
				: "unknown CSV style \"" + name + "\"";
		});
	app.add_option("--vcard-version", options->vcardVersion,
		"the vCard version written: 4.0 (the default) or 3.0, which phones and older "
		"clients read")
		->type_name("VERSION")->check(CLI::IsMember({"3.0", "4.0"}));
	app.add_flag("--strict", options->strict,
		"fail (exit 2) without writing anything when a value would be lost, the input "
		"is malformed, or reading it took a guess");
	// Counted here rather than by the parser, so an unknown option is what a
	// mistyped command line hears about first.
	std::vector<std::string> files;
	app.add_option("INPUT OUTPUT", files, "the contacts to read, and where to write them");
	if (const int status = line.Parse(argc, argv); status != CommandLine::kContinue)
		return status;
	if (files.size() != 2)
		return line.UsageError("give one INPUT and one OUTPUT");
	options->input = files[0];
	options->output = files[1];
	return CommandLine::kContinue;
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

// The vCard or CSV text of the book; each field a CSV style has no column for
// is named in the report, with how many contacts' notes hold it instead.
std::string ContactBytes(const CVABook& book, contact_format format,
	const convert_options& options, ConversionReport* report)
{
	std::string out;
	const csv_style* style = ContactFieldMap::StyleNamed(options.csvStyle);
	const vcard_version version = VCardProperties::VersionOf(options.vcardVersion);
	if (format == contact_format::kCsv)
		CsvWriter::AppendHeader(&out, style);
	int32 labelled[kBookFieldCount] = {};
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
		if (format == contact_format::kVCard) {
			VCardWriter::AppendCard(r, &out, version);
			continue;
		}
		const uint32 fields = CsvWriter::AppendRow(r, &out, style);
		for (int32 field = 0; field < kBookFieldCount; field++)
			labelled[field] += (fields >> field) & 1;
	}
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (labelled[field] == 0)
			continue;
		report->AddWarning(0, "", std::string("the ") + style->name + " style has no column that "
			"keeps " + kBookFieldNames[field] + " as it is: written as a line \"" + kBookFieldNames[field]
			+ ": ...\" of Notes for " + std::to_string(labelled[field])
			+ (labelled[field] == 1 ? " contact" : " contacts"));
	}
	return out;
}

bool WriteOutput(const std::string& path, contact_format format, const CVABook& book,
	const std::string& contacts, std::string* error)
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
		: contacts;
	const status_t status = path == "-" ? WriteWholeFd(STDOUT_FILENO, bytes)
		: ReplacingFile::WriteWhole(path, bytes);
	if (status != B_OK)
		*error = DescribeFileError(status);
	return status == B_OK;
}

}  // namespace

// --- the conversion

namespace {

bool AddMappings(const std::vector<std::string>& mappings, ContactFieldMap* map)
{
	for (const std::string& mapping : mappings) {
		std::string error;
		if (!map->AddMapping(mapping, &error)) {
			fprintf(stderr, "cvab-convert: --map %s: %s\n", mapping.c_str(), error.c_str());
			return false;
		}
	}
	return true;
}

// The whole of a file, or of standard input for "-", refused past the size
// a book may have (a pipe from /dev/zero must not exhaust memory); errno
// tells a failure, EFBIG one past the limit.
bool ReadInput(const std::string& input, std::string* bytes)
{
	const int fd = input == "-" ? STDIN_FILENO : open(input.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	const status_t status = ReadWholeFd(fd, bytes, static_cast<size_t>(kLargestBookFile));
	const int readError = status == B_FILE_TOO_LARGE ? EFBIG : errno;
	if (fd != STDIN_FILENO)
		close(fd);
	errno = readError;
	return status == B_OK;
}

std::string ReadErrorText()
{
	if (errno != EFBIG)
		return ErrnoText();
	return "it holds more than the " + std::to_string(kLargestBookFile >> 20)
		+ " MiB an address book may have";
}

}  // namespace

int ConvertCommand::Run(const convert_options& options)
{
	contact_format from = GuessFormat(options.input);
	contact_format to = GuessFormat(options.output);
	if (!options.from.empty())
		ParseFormat(options.from, &from);
	if (!options.to.empty())
		ParseFormat(options.to, &to);

	ContactFieldMap map;
	if (!AddMappings(options.maps, &map))
		return kConvertFailed;

	const std::string& input = options.input;
	const char* inputName = input == "-" ? "standard input" : input.c_str();
	std::string bytes;
	// A book file is read by the book's own reader, with its attributes.
	if ((from != contact_format::kBook || input == "-") && !ReadInput(input, &bytes)) {
		fprintf(stderr, "cvab-convert: cannot read %s: %s\n", inputName, ReadErrorText().c_str());
		return kConvertFailed;
	}

	CVABook book(nullptr);
	ConversionReport report;
	std::string error;
	const ContactImport::options how{options.encoding, SeparatorChar(options.separator), &map};
	if (from == contact_format::kVCard)
		ContactImport::Read(contact_file_kind::kVCard, bytes, &book, &report, how);
	else if (from == contact_format::kCsv)
		ContactImport::Read(contact_file_kind::kCsv, bytes, &book, &report, how);
	else if (!ReadBook(input, bytes, &book, &report, &error)) {
		fprintf(stderr, "cvab-convert: %s: %s\n", inputName, error.c_str());
		return kConvertFailed;
	}

	const std::string contacts = to == contact_format::kBook ? std::string()
		: ContactBytes(book, to, options, &report);
	fputs(report.Describe(inputName).c_str(), stderr);
	if (options.strict && !report.IsEmpty()) {
		fprintf(stderr, "cvab-convert: nothing written: %d values would be lost, %d parts are "
			"malformed and %d warnings (--strict)\n", report.CountLosses(),
			report.CountMalformed(), report.CountWarnings());
		return kConvertStrict;
	}
	if (!WriteOutput(options.output, to, book, contacts, &error)) {
		fprintf(stderr, "cvab-convert: cannot write %s: %s\n",
			options.output == "-" ? "standard output" : options.output.c_str(), error.c_str());
		return kConvertFailed;
	}
	if (!report.IsEmpty()) {
		fprintf(stderr, "cvab-convert: %d contacts converted; %d values not kept, %d lines, "
			"properties, cards or rows unreadable, %d warnings (listed above)\n",
			book.CountRecords(), report.CountLosses(), report.CountMalformed(),
			report.CountWarnings());
	}
	return report.CountMalformed() > 0 ? kConvertFailed : kConvertOk;
}
