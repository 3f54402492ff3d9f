#include "VCardWriter.h"

#include "ContactText.h"

namespace {

constexpr size_t kFoldWidth = 75;

// Escapes a text value; structured components also escape ';' and ','.
std::string Escape(const char* text, bool component)
{
	std::string out;
	for (const char* p = text; *p != '\0'; p++) {
		if (*p == '\\' || *p == ',' || (component && *p == ';'))
			out += '\\';
		out += *p;
	}
	return out;
}

bool IsContinuation(char c)
{
	return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void AppendLine(std::string* out, const std::string& line)
{
	size_t start = 0;
	size_t width = kFoldWidth;
	while (line.size() - start > width) {
		size_t cut = start + width;
		while (cut > start && IsContinuation(line[cut]))
			cut--;
		out->append(line, start, cut - start).append("\r\n ");
		start = cut;
		width = kFoldWidth - 1;  // the leading space counts
	}
	out->append(line, start, std::string::npos).append("\r\n");
}

void AppendProperty(std::string* out, const char* name, const std::string& value)
{
	if (!value.empty())
		AppendLine(out, std::string(name) + ":" + value);
}

// A reader takes a leading "tel:" or "mailto:" for a URI scheme and drops it,
// so a text that itself starts with the scheme is written as that URI.
std::string KeepScheme(const char* scheme, const std::string& value)
{
	return value.starts_with(scheme) ? scheme + value : value;
}

bool IsDigits(const std::string& text, size_t from, size_t count)
{
	for (size_t i = from; i < from + count; i++) {
		if (i >= text.size() || text[i] < '0' || text[i] > '9')
			return false;
	}
	return true;
}

// YYYY-MM-DD and --MM-DD become vCard dates when they are dates a reader
// gives back as they are; any other text stays text.
std::string BirthdayProperty(const char* field)
{
	const std::string text(field);
	std::string date;
	if (text.size() == 10 && IsDigits(text, 0, 4) && text[4] == '-' && IsDigits(text, 5, 2)
		&& text[7] == '-' && IsDigits(text, 8, 2))
		date = text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
	else if (text.size() == 7 && text.compare(0, 2, "--") == 0 && IsDigits(text, 2, 2)
		&& text[4] == '-' && IsDigits(text, 5, 2))
		date = "--" + text.substr(2, 2) + text.substr(5, 2);
	if (!date.empty() && NormalizeBirthday(date) == text)
		return "BDAY:" + date;
	return "BDAY;VALUE=text:" + Escape(field, false);
}

std::string JoinNames(const ABookRecord* record)
{
	std::string name;
	for (const int32 field : {kFirstNameField, kMiddleNameField, kLastNameField}) {
		if (record->Field(field)[0] != '\0')
			name += (name.empty() ? "" : " ") + std::string(record->Field(field));
	}
	return name;
}

}  // namespace

void VCardWriter::AppendCard(const ABookRecord* record, std::string* out)
{
	const auto field = [record](int32 number) { return record->Field(number); };
	const auto text = [&field](int32 number) { return Escape(field(number), false); };
	const auto part = [&field](int32 number) { return Escape(field(number), true); };
	const auto has = [&field](int32 number) { return field(number)[0] != '\0'; };

	out->append("BEGIN:VCARD\r\nVERSION:4.0\r\n");
	// FN is required; a record without names goes by its company, nickname or
	// address so that the card still has a readable title.
	std::string display = JoinNames(record);
	for (const int32 fallback : {kCompanyField, kNicknameField, kEmail1Field}) {
		if (display.empty())
			display = field(fallback);
	}
	AppendLine(out, "FN:" + Escape(display.c_str(), false));
	// N even when empty, so that a reader does not split FN into names.
	AppendLine(out, "N:" + part(kLastNameField) + ";" + part(kFirstNameField) + ";"
		+ part(kMiddleNameField) + ";;");
	AppendProperty(out, "NICKNAME", text(kNicknameField));
	AppendProperty(out, "ORG", part(kCompanyField));
	AppendProperty(out, "TITLE", text(kTitleField));
	bool hasAddress = false;
	for (int32 number = kAddress1Field; number <= kCountryField; number++)
		hasAddress = hasAddress || has(number);
	if (hasAddress) {
		std::string street = part(kAddress1Field);
		if (has(kAddress2Field))
			street += (street.empty() ? "" : "\\n") + part(kAddress2Field);
		AppendLine(out, "ADR:;;" + street + ";" + part(kCityField) + ";" + part(kStateField)
			+ ";" + part(kZipField) + ";" + part(kCountryField));
	}
	AppendProperty(out, "TEL;TYPE=voice", KeepScheme("tel:", text(kPhoneField)));
	AppendProperty(out, "TEL;TYPE=cell", KeepScheme("tel:", text(kCellField)));
	AppendProperty(out, "TEL;TYPE=fax", KeepScheme("tel:", text(kFaxField)));
	AppendProperty(out, "EMAIL", KeepScheme("mailto:", text(kEmail1Field)));
	AppendProperty(out, "EMAIL", KeepScheme("mailto:", text(kEmail2Field)));
	AppendProperty(out, "URL", field(kWebAddressField));
	std::string note = text(kCommentsField);
	if (has(kComments2Field))
		note += (note.empty() ? "" : "\\n") + text(kComments2Field);
	AppendProperty(out, "NOTE", note);
	if (has(kBirthdayField))
		AppendLine(out, BirthdayProperty(field(kBirthdayField)));
	out->append("END:VCARD\r\n");
}
