#include "ContactImport.h"

#include "AsciiText.h"
#include "ContactText.h"
#include "CsvReader.h"
#include "VCardReader.h"

namespace {

// Detection looks at the start of a file only.
constexpr size_t kLookedAt = 64 * 1024;
constexpr int32 kLinesLookedAt = 200;

// The start of the file as UTF-8 (a legacy file's ASCII stays ASCII).
std::string StartAsText(std::string_view bytes)
{
	size_t mark = 0;
	const std::string_view form = DetectUnicodeForm(bytes, &mark);
	bytes = bytes.substr(mark, kLookedAt);
	std::string text;
	if (form.starts_with("UTF-16")) {
		bytes = bytes.substr(0, bytes.size() & ~size_t(1));
		if (ConvertToUTF8(form, bytes, &text))
			return text;
		return "";
	}
	if (IsValidUTF8(bytes) || IsMostlyUTF8(bytes)
		|| !ConvertToUTF8(GuessLegacyCharset(bytes), bytes, &text))
		return std::string(bytes);
	return text;
}

bool IsBeginLine(std::string_view line)
{
	line = TrimSpace(line);
	const size_t colon = line.find(':');
	if (colon == std::string_view::npos || !EqualsIgnoringCase(TrimSpace(line.substr(colon + 1)), "VCARD"))
		return false;
	std::string_view name = line.substr(0, colon);
	if (const size_t dot = name.rfind('.'); dot != std::string_view::npos)
		name.remove_prefix(dot + 1);  // a group: "home.begin:vcard"
	return EqualsIgnoringCase(name, "BEGIN");
}

bool IsVCard(const std::string& text)
{
	std::string_view rest = text;
	for (int32 line = 0; line < kLinesLookedAt && !rest.empty(); line++) {
		const size_t end = rest.find('\n');
		if (IsBeginLine(rest.substr(0, end)))
			return true;
		rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
	}
	return false;
}

bool IsCsvExport(const std::string& text)
{
	const std::string_view row = std::string_view(text).substr(0, text.find_first_of("\r\n"));
	const char separator = CsvReader::GuessSeparator(row);
	const ContactFieldMap map;
	int32 known = 0;
	for (size_t start = 0; start <= row.size();) {
		const size_t end = std::min(row.find(separator, start), row.size());
		std::string_view name = TrimSpace(row.substr(start, end - start));
		if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
			name = name.substr(1, name.size() - 2);
		known += map.RuleFor(name).kind != column_kind::kUnknown;
		start = end + 1;
	}
	return known >= 2;
}

std::string Counted(int32 count, const char* one, const char* many)
{
	return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

contact_file_kind ContactImport::Detect(std::string_view name, std::string_view bytes)
{
	const std::string text = StartAsText(bytes);
	if (IsVCard(text))
		return contact_file_kind::kVCard;
	if (EndsWithIgnoringCase(name, ".csv") && IsCsvExport(text))
		return contact_file_kind::kCsv;
	return contact_file_kind::kNone;
}

int32 ContactImport::Read(contact_file_kind kind, std::string_view bytes, CVABook* book,
	ConversionReport* report, const options& how)
{
	if (kind == contact_file_kind::kVCard) {
		VCardReader reader(report);
		reader.SetEncoding(how.encoding);
		return reader.Read(bytes, book);
	}
	if (kind == contact_file_kind::kCsv) {
		const ContactFieldMap none;
		CsvReader reader(how.map != nullptr ? *how.map : none, report);
		reader.SetEncoding(how.encoding);
		reader.SetSeparator(how.separator);
		return reader.Read(bytes, book);
	}
	return 0;
}

std::string ContactImport::Summary(int32 read, const ConversionReport& report, size_t shown)
{
	std::string summary = Counted(read, "contact read", "contacts read");
	if (report.IsEmpty())
		return summary + ".";
	std::string counts;
	if (report.CountLosses() > 0)
		counts = Counted(report.CountLosses(), "value did not fit", "values did not fit");
	if (report.CountMalformed() > 0) {
		AppendSeparated(&counts, ", ", Counted(report.CountMalformed(), "part could not be read",
			"parts could not be read"));
	}
	if (report.CountWarnings() > 0)
		AppendSeparated(&counts, ", ", Counted(report.CountWarnings(), "warning", "warnings"));
	summary += "; " + counts + ":";
	const std::vector<conversion_note>& notes = report.Notes();
	for (size_t i = 0; i < notes.size() && i < shown; i++)
		summary += "\n" + ConversionReport::DescribeNote("", notes[i]);
	if (notes.size() > shown)
		summary += "\n(and " + std::to_string(notes.size() - shown) + " more)";
	return summary;
}
