#include "CsvWriter.h"

#include "ContactText.h"

#include <cstring>

namespace {

void AppendValue(std::string_view text, std::string* out)
{
	const bool quote = text.find_first_of(",;\"\r\n\t") != std::string_view::npos
		|| (!text.empty() && (text.front() == ' ' || text.back() == ' '));
	if (!quote) {
		out->append(text);
		return;
	}
	*out += '"';
	for (const char c : text) {
		if (c == '"')
			*out += '"';
		*out += c;
	}
	*out += '"';
}

// Whether the style's column keeps the field's text as it is; a birthday
// that the reader would read as another text is kept as a labelled line.
bool Keeps(const csv_style& style, int32 field, std::string_view text)
{
	if (!ContactFieldMap::StyleHasColumn(style, field))
		return false;
	if (field == kPhoneField || field == kCellField || field == kFaxField)
		return text.find(":::") == std::string_view::npos;  // a reader splits numbers there
	if (field != kBirthdayField)
		return true;
	std::string_view parts[3];
	for (size_t i = 0; i < style.count; i++) {
		if (style.columns[i].cell == csv_cell::kBirthYear)
			return BirthdayParts(text, parts);
	}
	return NormalizeBirthday(text) == text;
}

// The comments, and after them a labelled line for each field the style
// cannot hold; the reader takes a labelled line back from any line but the
// first, so a lone second comment is labelled too, or it would come back as
// the first.
std::string Notes(const ABookRecord* record, const csv_style& style, uint32* labelled)
{
	std::string notes = record->Field(kCommentsField);
	const std::string_view second = record->Field(kComments2Field);
	if (!second.empty()) {
		const bool lone = notes.empty();
		notes.append("\n").append(lone ? std::string(kBookFieldNames[kComments2Field]) + ": " : "").append(second);
	}
	for (int32 field = 0; field < kBookFieldCount; field++) {
		const char* text = record->Field(field);
		if (field == kCommentsField || field == kComments2Field || *text == '\0'
			|| Keeps(style, field, text))
			continue;
		notes.append("\n").append(kBookFieldNames[field]).append(": ").append(text);
		*labelled |= 1u << field;
	}
	return notes;
}

std::string Cell(const ABookRecord* record, const csv_style& style,
	const csv_style_column& column, uint32* labelled)
{
	const char* field = column.field >= 0 ? record->Field(column.field) : "";
	std::string_view parts[3];
	const bool date = BirthdayParts(record->Field(kBirthdayField), parts);
	switch (column.cell) {
		case csv_cell::kField:
			return Keeps(style, column.field, field) ? field : "";
		case csv_cell::kLabel:
			return *field != '\0' ? column.label : "";
		case csv_cell::kNames: {
			std::string names;
			for (const int32 name : {kFirstNameField, kMiddleNameField, kLastNameField}) {
				if (*record->Field(name) != '\0')
					AppendSeparated(&names, " ", record->Field(name));
			}
			return names;
		}
		case csv_cell::kNotes: return Notes(record, style, labelled);
		case csv_cell::kBirthYear: return date ? std::string(parts[0]) : "";
		case csv_cell::kBirthMonth: return date ? std::string(parts[1]) : "";
		case csv_cell::kBirthDay: return date ? std::string(parts[2]) : "";
	}
	return "";
}

}  // namespace

void CsvWriter::AppendHeader(std::string* out, const csv_style* style)
{
	const size_t count = style != nullptr ? style->count : kBookFieldCount;
	for (size_t i = 0; i < count; i++) {
		if (i > 0)
			*out += ',';
		AppendValue(style != nullptr ? style->columns[i].header : kBookFieldNames[i], out);
	}
	out->append("\r\n");
}

uint32 CsvWriter::AppendRow(const ABookRecord* record, std::string* out, const csv_style* style)
{
	uint32 labelled = 0;
	const size_t count = style != nullptr ? style->count : kBookFieldCount;
	for (size_t i = 0; i < count; i++) {
		if (i > 0)
			*out += ',';
		if (style == nullptr)
			AppendValue(record->Field(static_cast<int32>(i)), out);
		else
			AppendValue(Cell(record, *style, style->columns[i], &labelled), out);
	}
	out->append("\r\n");
	return labelled;
}
