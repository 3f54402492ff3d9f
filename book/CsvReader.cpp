// Sections: rows, columns, values, decoding, reading.
#include "CsvReader.h"

#include "AsciiText.h"
#include "ContactText.h"
#include "RecordBuilder.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// --- rows

struct csv_row {
	int32 line = 0;  // where the row starts, from 1
	std::vector<std::string> values;
	std::string error;  // why the row cannot be read; empty when it can
};

class RowScanner {
public:
	RowScanner(std::string_view data, char separator) : fData(data), fSeparator(separator) {}

	bool AtEnd() const { return fPosition >= fData.size(); }

	// Rows of a file with several columns that hold none of its separator but
	// another one are split at that one: some exports change it after a row.
	void ExpectColumns(size_t count) { fColumns = count; }

	csv_row Next()
	{
		csv_row row;
		row.line = fLine;
		const size_t start = fPosition;
		const int32 startLine = fLine;
		fRowSeparator = RowSeparator();
		row.values.emplace_back();
		while (fPosition < fData.size()) {
			const char c = fData[fPosition];
			if (c == '"' && TrimSpace(row.values.back()).empty()) {
				row.values.back().clear();
				if (!ReadQuoted(&row.values.back(), &row.error))
					break;
			} else if (c == fRowSeparator) {
				fPosition++;
				row.values.emplace_back();
			} else if (c == '\n' || c == '\r') {
				SkipLineEnd();
				return row;
			} else {
				row.values.back() += c;
				fPosition++;
			}
		}
		if (!row.error.empty()) {
			// Go on with the line after the broken row's first one, so that the
			// rows after it are read as rows.
			fPosition = start;
			fLine = startLine;
			while (fPosition < fData.size() && fData[fPosition] != '\n')
				fPosition++;
			if (fPosition < fData.size())
				fPosition++;
			fLine++;
		}
		return row;
	}

private:
	char RowSeparator() const
	{
		if (fColumns < 2)
			return fSeparator;
		const size_t end = fData.find('\n', fPosition);
		const std::string_view line = fData.substr(fPosition,
			end == std::string_view::npos ? std::string_view::npos : end - fPosition);
		if (line.find(fSeparator) != std::string_view::npos)
			return fSeparator;
		for (const char other : {'\t', ';', ','}) {
			if (line.find(other) != std::string_view::npos)
				return other;
		}
		return fSeparator;
	}

	bool ReadQuoted(std::string* value, std::string* error)
	{
		const int32 startLine = fLine;
		const char* unbalanced
			= "unbalanced quotes: the quoted value that starts on this line is not closed";
		fPosition++;
		while (fPosition < fData.size()) {
			const char c = fData[fPosition++];
			if (c == '\n')
				fLine++;
			if (c != '"') {
				*value += c;
				continue;
			}
			if (fPosition < fData.size() && fData[fPosition] == '"') {
				*value += '"';
				fPosition++;
				continue;
			}
			// The closing quote: only spaces may follow before the separator.
			while (fPosition < fData.size() && fData[fPosition] == ' ')
				fPosition++;
			if (fPosition < fData.size() && fData[fPosition] != fRowSeparator
				&& fData[fPosition] != '\n' && fData[fPosition] != '\r') {
				*error = fLine == startLine
					? "a quote inside a quoted value must be doubled (\"\")" : unbalanced;
				return false;
			}
			return true;
		}
		*error = unbalanced;
		return false;
	}

	void SkipLineEnd()
	{
		if (fData[fPosition] == '\r')
			fPosition++;
		if (fPosition < fData.size() && fData[fPosition] == '\n')
			fPosition++;
		fLine++;
	}

	std::string_view fData;
	const char fSeparator;
	char fRowSeparator = ',';
	size_t fColumns = 0;
	size_t fPosition = 0;
	int32 fLine = 1;
};

// --- columns

struct column {
	std::string header;
	column_rule rule;
	int32 typeColumn = -1;  // for kPhone: the column naming its type
};

bool HeadersHold(const std::vector<std::string>& headers, std::string_view name)
{
	for (const std::string& header : headers) {
		if (EqualsIgnoringCase(TrimSpace(header), name))
			return true;
	}
	return false;
}

void LinkPhoneTypes(std::vector<column>& columns)
{
	for (column& c : columns) {
		if (c.rule.kind != column_kind::kPhone)
			continue;
		for (size_t i = 0; i < columns.size(); i++) {
			if (EqualsIgnoringCase(columns[i].header, PhoneTypeHeader(c.header, "Type"))
				|| EqualsIgnoringCase(columns[i].header, PhoneTypeHeader(c.header, "Label")))
				c.typeColumn = static_cast<int32>(i);
		}
	}
}

std::vector<column> MakeColumns(const std::vector<std::string>& headers,
	const ContactFieldMap& map)
{
	std::vector<column> columns;
	// Where a "Job Title" column exists, "Title" holds Mr or Dr: not our Title.
	const bool titleIsPrefix = HeadersHold(headers, "Job Title");
	const column_rule prefix = map.RuleFor("Title");
	bool monthColumn = false;
	for (size_t i = 0; i < headers.size(); i++) {
		column c{std::string(TrimSpace(headers[i])), map.RuleFor(headers[i])};
		if (titleIsPrefix && EqualsIgnoringCase(c.header, "Title")
			&& prefix.kind == column_kind::kField && prefix.field == kTitleField)
			c.rule = {};
		if (const column_rule user = map.RuleForColumn(static_cast<int32>(i) + 1);
			user.kind != column_kind::kUnknown)
			c.rule = user;
		monthColumn = monthColumn || c.rule.kind == column_kind::kBirthMonth;
		columns.push_back(std::move(c));
	}
	// Where the month has a column of its own, a birthday column holds the day.
	for (column& c : columns) {
		if (monthColumn && c.rule.kind == column_kind::kBirthday)
			c.rule = {column_kind::kBirthDay, -1};
	}
	LinkPhoneTypes(columns);
	return columns;
}

bool IsEmailAddress(std::string_view text)
{
	const size_t at = text.find('@');
	return at != std::string_view::npos && at > 0 && text.find('@', at + 1) == text.npos
		&& text.find_first_of(" \t,;") == text.npos && text.find('.', at) != text.npos
		&& text.back() != '.';
}

bool IsTelephoneNumber(std::string_view text)
{
	int digits = 0;
	for (const char c : text) {
		if (c >= '0' && c <= '9')
			digits++;
		else if (c != ' ' && c != '+' && c != '-' && c != '(' && c != ')' && c != '.' && c != '/')
			return false;
	}
	return digits >= 5;
}

// For a file without a header row: the user's column numbers, else what every
// value of a column is.
std::vector<column> ColumnsByContent(const std::vector<csv_row>& rows,
	const ContactFieldMap& map, std::string* found)
{
	size_t count = 0;
	for (const csv_row& row : rows)
		count = std::max(count, row.values.size());
	std::vector<column> columns(count);
	for (size_t i = 0; i < count; i++) {
		columns[i].header = "column " + std::to_string(i + 1);
		columns[i].rule = map.RuleForColumn(static_cast<int32>(i) + 1);
		if (columns[i].rule.kind != column_kind::kUnknown)
			continue;
		bool any = false, emails = true, phones = true;
		for (const csv_row& row : rows) {
			const std::string_view value = i < row.values.size() ? TrimSpace(row.values[i]) : "";
			if (value.empty())
				continue;
			any = true;
			emails = emails && IsEmailAddress(value);
			phones = phones && IsTelephoneNumber(value);
		}
		if (any && emails)
			columns[i].rule = {column_kind::kEmail, -1};
		else if (any && phones)
			columns[i].rule = {column_kind::kField, kPhoneField};
		if (any && (emails || phones)) {
			AppendSeparated(found, ", ", columns[i].header + (emails ? " holds e-mail addresses"
				: " holds telephone numbers"));
		}
	}
	return columns;
}

// --- values

int32 PhoneFieldForType(std::string_view type)
{
	const std::string lower = FoldAscii(type);
	if (lower.find("fax") != std::string::npos)
		return kFaxField;
	if (lower.find("mobile") != std::string::npos || lower.find("cell") != std::string::npos)
		return kCellField;
	return kPhoneField;
}

// The first line of a value for a field, which holds one: the rest is reported.
std::string_view OneLine(RecordBuilder& builder, std::string_view value, int32 line,
	const std::string& header)
{
	const size_t end = value.find_first_of("\t\r\n");
	if (end == std::string_view::npos)
		return value;
	const std::string_view rest = TrimSpace(value.substr(end));
	if (!rest.empty()) {
		builder.Note(note_kind::kLoss, line, header, QuoteValue(rest)
			+ " dropped: a field holds one line, without TABs");
	}
	return value.substr(0, end);
}

// A birthday given in three columns.
struct birth_parts {
	std::string year, month, day;
	int32 line = 0;
	std::string headers;
};

void ApplyPhone(RecordBuilder& builder, const column& c, const csv_row& row,
	std::string_view value)
{
	const bool typed = c.typeColumn >= 0 && static_cast<size_t>(c.typeColumn) < row.values.size();
	// A value column may list several numbers: "a ::: b".
	while (!value.empty()) {
		const size_t split = value.find(":::");
		builder.Put(PhoneFieldForType(typed ? row.values[c.typeColumn] : ""),
			value.substr(0, split), row.line, c.header);
		value = split == std::string_view::npos ? "" : value.substr(split + 3);
	}
}

// An address goes to the first free e-mail field, the one of its column's
// rank first: a second address column's value is Email 2 when the first
// column is empty.
void ApplyEmail(RecordBuilder& builder, const std::vector<column>& columns, const csv_row& row,
	size_t index, std::string_view address)
{
	bool first = true;
	for (size_t i = 0; i < index && first; i++)
		first = columns[i].rule.kind != column_kind::kEmail;
	const std::string& header = columns[index].header;
	if (first || !builder.Value(kEmail2Field).empty())
		builder.PutFirstFree({kEmail1Field, kEmail2Field}, address, row.line, header);
	else
		builder.Put(kEmail2Field, address, row.line, header);
}

// A note without the labelled lines ("Nickname: bo") a styled export puts
// there for fields it has no column for, each of which goes to its field. The
// first line is the first comment's, whatever it says.
std::string WithoutLabelledLines(RecordBuilder& builder, std::string_view note, int32 line,
	const std::string& header)
{
	std::string kept;
	size_t start = 0;
	for (size_t number = 0; start <= note.size(); number++) {
		const size_t end = std::min(note.find('\n', start), note.size());
		std::string_view text = note.substr(start, end - start);
		start = end + 1;
		if (!text.empty() && text.back() == '\r')
			text.remove_suffix(1);
		int32 labelled = -1;
		for (int32 field = 0; number > 0 && field < kBookFieldCount && labelled < 0; field++) {
			const std::string_view name = kBookFieldNames[field];
			if (text.size() > name.size() + 1 && text.substr(0, name.size()) == name
				&& text.substr(name.size(), 2) == ": ")
				labelled = field;
		}
		if (labelled >= 0)
			builder.Put(labelled, text.substr(strlen(kBookFieldNames[labelled]) + 2), line, header);
		else
			AppendSeparated(&kept, "\n", text);
	}
	return kept;
}

void ApplyValue(RecordBuilder& builder, const std::vector<column>& columns, const csv_row& row,
	size_t index, birth_parts* birth)
{
	const std::string& value = row.values[index];
	if (index >= columns.size()) {
		builder.NoField(value, row.line, "column " + std::to_string(index + 1) + " (no header)");
		return;
	}
	const column& c = columns[index];
	const column_kind kind = c.rule.kind;
	if (kind == column_kind::kUnknown)
		builder.NoField(value, row.line, c.header);
	else if (kind == column_kind::kNote)
		builder.PutNote(WithoutLabelledLines(builder, value, row.line, c.header), row.line, c.header);
	else if (kind == column_kind::kBirthYear || kind == column_kind::kBirthMonth
		|| kind == column_kind::kBirthDay) {
		std::string& part = kind == column_kind::kBirthYear ? birth->year
			: kind == column_kind::kBirthMonth ? birth->month : birth->day;
		part = TrimSpace(value);
		birth->line = row.line;
		if (!part.empty())
			AppendSeparated(&birth->headers, ", ", c.header);
	} else if (kind != column_kind::kIgnore) {
		const std::string_view line = OneLine(builder, value, row.line, c.header);
		if (kind == column_kind::kField)
			builder.Put(c.rule.field, line, row.line, c.header);
		else if (kind == column_kind::kPhone)
			ApplyPhone(builder, c, row, line);
		else if (kind == column_kind::kEmail)
			ApplyEmail(builder, columns, row, index, line);
		else if (kind == column_kind::kFullName)
			builder.SetFullName(line, row.line, c.header);
		else if (kind == column_kind::kBirthday)
			builder.Put(kBirthdayField, NormalizeBirthday(line), row.line, c.header);
	}
}

void ApplyBirthParts(RecordBuilder& builder, const birth_parts& birth)
{
	if (birth.headers.empty())
		return;
	const auto digits = [](const std::string& text) {
		return !text.empty() && text.size() <= 4
			&& text.find_first_not_of("0123456789") == std::string::npos;
	};
	std::string date;
	if (digits(birth.month) && digits(birth.day) && (birth.year.empty() || digits(birth.year))) {
		date = (birth.year.empty() ? "-" : birth.year) + "-" + (birth.month.size() < 2 ? "0" : "")
			+ birth.month + "-" + (birth.day.size() < 2 ? "0" : "") + birth.day;
	} else {
		date = birth.year;
		AppendSeparated(&date, "-", birth.month);
		AppendSeparated(&date, "-", birth.day);
	}
	builder.Put(kBirthdayField, NormalizeBirthday(date), birth.line, birth.headers);
}

bool IsBlank(const csv_row& row)
{
	for (const std::string& value : row.values) {
		if (!TrimSpace(value).empty())
			return false;
	}
	return true;
}

bool IsHeaderRow(const csv_row& row, const ContactFieldMap& map)
{
	for (const std::string& value : row.values) {
		if (map.RuleFor(value).kind != column_kind::kUnknown)
			return true;
	}
	return false;
}

// A value of a mostly UTF-8 file that is not: read as Windows-1252.
std::string FixedValue(const std::string& value, std::string* warning)
{
	std::string text;
	size_t dropped = 0;
	ConvertToUTF8("WINDOWS-1252", value, &text, &dropped);
	*warning = "the value is not UTF-8: read as Windows-1252, " + QuoteValue(text);
	if (dropped > 0)
		*warning += "; " + std::to_string(dropped) + " undefined bytes dropped";
	return text;
}

std::vector<csv_row> ReadRows(std::string_view text, char separator)
{
	RowScanner scanner(text, separator);
	std::vector<csv_row> rows;
	while (!scanner.AtEnd()) {
		rows.push_back(scanner.Next());
		if (rows.size() == 1)
			scanner.ExpectColumns(rows[0].values.size());
	}
	return rows;
}

// In a mostly UTF-8 file, the values that are not UTF-8, converted: the note
// for each row.
std::vector<std::string> FixValues(std::vector<csv_row>& rows)
{
	std::vector<std::string> warnings(rows.size());
	for (size_t r = 0; r < rows.size(); r++) {
		for (std::string& value : rows[r].values) {
			std::string warning;
			if (!IsValidUTF8(value)) {
				value = FixedValue(value, &warning);
				AppendSeparated(&warnings[r], "; ", warning);
			}
		}
	}
	return warnings;
}

std::vector<column> HeaderlessColumns(const std::vector<csv_row>& rows,
	const ContactFieldMap& map, ConversionReport* report)
{
	std::string found;
	std::vector<column> columns = ColumnsByContent(rows, map, &found);
	report->AddWarning(1, "", "the first row holds no known column name, so the file has "
		"no header row: columns are read by number (--map 3=\"Email 1\" reads column 3 "
		"into Email 1)" + std::string(found.empty() ? "" : " and by content: " + found));
	return columns;
}

}  // namespace

// --- decoding

char CsvReader::GuessSeparator(std::string_view data)
{
	int counts[3] = {0, 0, 0};
	const char separators[3] = {',', ';', '\t'};
	bool quoted = false;
	for (const char c : data) {
		if (c == '"')
			quoted = !quoted;
		else if (!quoted && (c == '\n' || c == '\r'))
			break;
		for (int i = 0; i < 3; i++)
			counts[i] += !quoted && c == separators[i];
	}
	int best = 0;
	for (int i = 1; i < 3; i++) {
		if (counts[i] > counts[best])
			best = i;
	}
	return separators[best];
}

bool CsvReader::_Decode(std::string_view data, std::string* text, bool* mixed) const
{
	size_t mark = 0;
	std::string_view form = DetectUnicodeForm(data, &mark);
	data.remove_prefix(mark);
	std::string charset = fEncoding;
	if (!charset.empty() && StartsWithIgnoringCase(charset, "UTF-16") && !form.empty())
		charset = form;  // the mark tells the byte order
	*mixed = false;
	if (charset.empty() && (form.empty() || form == "UTF-8")) {
		if (IsValidUTF8(data) || IsMostlyUTF8(data)) {
			*mixed = !IsValidUTF8(data);
			*text = data;
			return true;
		}
		charset = GuessLegacyCharset(data);
		fReport->AddWarning(0, "", "the file is not UTF-8: read as "
			+ std::string(charset == "CP932" ? "Shift_JIS (CP932)" : "Windows-1252")
			+ " (cvab-convert --encoding NAME says which it is)");
	} else if (charset.empty()) {
		charset = form;
	}
	size_t dropped = 0;
	if (!ConvertToUTF8(charset, data, text, &dropped)) {
		fReport->AddMalformed(0, "", "the file is not valid " + charset + " text; nothing is read");
		return false;
	}
	if (dropped > 0) {
		fReport->AddWarning(0, "", std::to_string(dropped)
			+ " bytes that Windows-1252 does not define were dropped");
	}
	if (text->starts_with("\xEF\xBB\xBF"))
		text->erase(0, 3);
	return true;
}

// --- reading

CsvReader::CsvReader(const ContactFieldMap& map, ConversionReport* report)
	:
	fMap(map),
	fReport(report)
{
}

int32 CsvReader::Read(std::string_view data, CVABook* book)
{
	std::string text;
	bool mixed = false;
	if (!_Decode(data, &text, &mixed))
		return 0;
	std::vector<csv_row> rows = ReadRows(text, fSeparator != 0 ? fSeparator : GuessSeparator(text));
	if (rows.empty())
		return 0;
	const std::vector<std::string> warnings = mixed ? FixValues(rows)
		: std::vector<std::string>(rows.size());
	const bool header = IsHeaderRow(rows[0], fMap) && rows[0].error.empty();
	const std::vector<column> columns = header ? MakeColumns(rows[0].values, fMap)
		: HeaderlessColumns(rows, fMap, fReport);

	int32 kept = 0;
	for (size_t r = header ? 1 : 0, number = 1; r < rows.size(); r++, number++) {
		const csv_row& row = rows[r];
		std::string error = row.error;
		for (size_t i = 0; error.empty() && i < row.values.size(); i++) {
			if (row.values[i].find('\0') != std::string::npos)
				error = "the row holds a NUL byte, which is no text";
		}
		if (!error.empty()) {
			fReport->AddMalformed(row.line, "row " + std::to_string(number),
				error + "; the row is left out");
			continue;
		}
		if (IsBlank(row)) {
			number--;
			continue;
		}
		RecordBuilder builder(fReport, "row", static_cast<int32>(number));
		if (!warnings[r].empty())
			builder.Note(note_kind::kWarning, row.line, "", warnings[r]);
		birth_parts birth;
		for (size_t i = 0; i < row.values.size(); i++)
			ApplyValue(builder, columns, row, i, &birth);
		ApplyBirthParts(builder, birth);
		kept += builder.Commit(book, row.line) ? 1 : 0;
	}
	return kept;
}
