// Sections: rows, columns, reading.
#include "CsvReader.h"

#include "AsciiText.h"
#include "ContactText.h"
#include "RecordBuilder.h"

#include <optional>
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

	csv_row Next()
	{
		csv_row row;
		row.line = fLine;
		const size_t start = fPosition;
		const int32 startLine = fLine;
		row.values.emplace_back();
		while (fPosition < fData.size()) {
			const char c = fData[fPosition];
			if (c == '"' && TrimSpace(row.values.back()).empty()) {
				row.values.back().clear();
				if (!ReadQuoted(&row.values.back(), &row.error))
					break;
			} else if (c == fSeparator) {
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
			if (fPosition < fData.size() && fData[fPosition] != fSeparator
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
	size_t fPosition = 0;
	int32 fLine = 1;
};

// The separator the header row uses most outside quotes; a comma on a tie.
char GuessSeparator(std::string_view data)
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

std::vector<column> MakeColumns(const std::vector<std::string>& headers,
	const ContactFieldMap& map)
{
	std::vector<column> columns;
	// Where a "Job Title" column exists, "Title" holds Mr or Dr: not our Title.
	const bool titleIsPrefix = HeadersHold(headers, "Job Title");
	const column_rule prefix = map.RuleFor("Title");
	for (const std::string& header : headers) {
		column c{std::string(TrimSpace(header)), map.RuleFor(header)};
		if (titleIsPrefix && EqualsIgnoringCase(c.header, "Title")
			&& prefix.kind == column_kind::kField && prefix.field == kTitleField)
			c.rule = {};
		columns.push_back(std::move(c));
	}
	for (column& c : columns) {
		if (c.rule.kind != column_kind::kPhone)
			continue;
		for (size_t i = 0; i < columns.size(); i++) {
			if (EqualsIgnoringCase(columns[i].header, PhoneTypeHeader(c.header, "Type"))
				|| EqualsIgnoringCase(columns[i].header, PhoneTypeHeader(c.header, "Label")))
				c.typeColumn = static_cast<int32>(i);
		}
	}
	return columns;
}

int32 PhoneFieldForType(std::string_view type)
{
	const std::string lower = FoldAscii(type);
	if (lower.find("fax") != std::string::npos)
		return kFaxField;
	if (lower.find("mobile") != std::string::npos || lower.find("cell") != std::string::npos)
		return kCellField;
	return kPhoneField;
}

void ApplyValue(RecordBuilder& builder, const std::vector<column>& columns, const csv_row& row,
	size_t index)
{
	const std::string& value = row.values[index];
	if (index >= columns.size()) {
		builder.NoField(value, row.line, "column " + std::to_string(index + 1) + " (no header)");
		return;
	}
	const column& c = columns[index];
	switch (c.rule.kind) {
		case column_kind::kUnknown:
			builder.NoField(value, row.line, c.header);
			break;
		case column_kind::kIgnore:
			break;
		case column_kind::kField:
			builder.Put(c.rule.field, value, row.line, c.header);
			break;
		case column_kind::kPhone: {
			const bool typed = c.typeColumn >= 0
				&& static_cast<size_t>(c.typeColumn) < row.values.size();
			// A value column may list several numbers: "a ::: b".
			std::string_view rest = value;
			while (!rest.empty()) {
				const size_t split = rest.find(":::");
				builder.Put(PhoneFieldForType(typed ? row.values[c.typeColumn] : ""),
					rest.substr(0, split), row.line, c.header);
				rest = split == std::string_view::npos ? "" : rest.substr(split + 3);
			}
			break;
		}
		case column_kind::kEmail:
			builder.PutFirstFree({kEmail1Field, kEmail2Field}, value, row.line, c.header);
			break;
		case column_kind::kNote:
			builder.PutNote(value, row.line, c.header);
			break;
		case column_kind::kFullName:
			builder.SetFullName(value, row.line, c.header);
			break;
	}
}

bool IsBlank(const csv_row& row)
{
	for (const std::string& value : row.values) {
		if (!TrimSpace(value).empty())
			return false;
	}
	return true;
}

}  // namespace

// --- reading

CsvReader::CsvReader(const ContactFieldMap& map, ConversionReport* report)
	:
	fMap(map),
	fReport(report)
{
}

int32 CsvReader::Read(std::string_view data, CVABook* book)
{
	std::string converted;
	if (data.substr(0, 3) == "\xEF\xBB\xBF") {
		data.remove_prefix(3);
	} else if (data.substr(0, 2) == "\xFF\xFE" || data.substr(0, 2) == "\xFE\xFF") {
		if (!ConvertToUTF8("UTF-16", data, &converted)) {
			fReport->AddMalformed(1, "", "the file is not valid UTF-16 text");
			return 0;
		}
		data = converted;
		if (data.substr(0, 3) == "\xEF\xBB\xBF")
			data.remove_prefix(3);
	}

	RowScanner scanner(data, GuessSeparator(data));
	if (scanner.AtEnd())
		return 0;
	const csv_row header = scanner.Next();
	std::string headerError = header.error;
	for (const std::string& name : header.values) {
		if (headerError.empty() && !IsValidUTF8(name))
			headerError = "the text is not valid UTF-8 (save the file as UTF-8)";
	}
	if (!headerError.empty()) {
		fReport->AddMalformed(header.line, "the header row", headerError + "; nothing is read");
		return 0;
	}
	const std::vector<column> columns = MakeColumns(header.values, fMap);

	int32 kept = 0;
	for (int32 number = 1; !scanner.AtEnd(); number++) {
		const csv_row row = scanner.Next();
		std::string error = row.error;
		for (size_t i = 0; error.empty() && i < row.values.size(); i++) {
			if (!IsValidUTF8(row.values[i]))
				error = "the text is not valid UTF-8 (save the file as UTF-8)";
			else if (row.values[i].find('\0') != std::string::npos)
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
		RecordBuilder builder(fReport, "row", number);
		for (size_t i = 0; i < row.values.size(); i++)
			ApplyValue(builder, columns, row, i);
		kept += builder.Commit(book) ? 1 : 0;
	}
	return kept;
}
