// Sections: unfolding, content lines, values, properties, cards.
#include "VCardReader.h"

#include "AsciiText.h"
#include "ContactText.h"
#include "RecordBuilder.h"

#include <optional>
#include <vector>

namespace {

// --- unfolding

struct logical_line {
	int32 line = 0;  // the first physical line, from 1
	std::string text;
	bool orphan = false;  // a continuation with nothing before it
};

bool IsQuotedPrintable(const std::string& text)
{
	const size_t colon = text.find(':');
	return UpperAscii(std::string_view(text).substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
}

std::vector<logical_line> Unfold(std::string_view data)
{
	std::vector<logical_line> lines;
	bool joinNext = false;  // a quoted-printable soft break ended the last line
	int32 number = 0;
	while (!data.empty()) {
		const size_t end = data.find('\n');
		std::string_view line = data.substr(0, end);
		data.remove_prefix(end == std::string_view::npos ? data.size() : end + 1);
		number++;
		if (!line.empty() && line.back() == '\r')
			line.remove_suffix(1);

		if (joinNext && !lines.empty()) {
			lines.back().text.append(line);
		} else if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
			if (lines.empty() || lines.back().orphan)
				lines.push_back({number, std::string(line), true});
			else
				lines.back().text.append(line.substr(1));
		} else if (TrimSpace(line).empty()) {
			continue;
		} else {
			lines.push_back({number, std::string(line)});
		}
		logical_line& last = lines.back();
		joinNext = !last.text.empty() && last.text.back() == '=' && IsQuotedPrintable(last.text);
		if (joinNext)
			last.text.pop_back();
	}
	return lines;
}

// --- content lines

struct parameter {
	std::string name;  // upper case
	std::vector<std::string> values;
};

struct content_line {
	int32 line = 0;
	std::string name;   // upper case, without its group
	std::string label;  // the text before the value, for notes
	std::vector<parameter> parameters;
	std::string value;  // raw, before decoding
};

// Splits at sep outside double quotes, dropping the quotes.
std::vector<std::string> SplitUnquoted(std::string_view text, char sep)
{
	std::vector<std::string> parts(1);
	bool quoted = false;
	for (const char c : text) {
		if (c == '"')
			quoted = !quoted;
		else if (c == sep && !quoted)
			parts.emplace_back();
		else
			parts.back() += c;
	}
	return parts;
}

std::optional<content_line> ParseContentLine(const logical_line& source)
{
	const std::string& text = source.text;
	bool quoted = false;
	size_t colon = std::string::npos;
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] == '"')
			quoted = !quoted;
		else if (text[i] == ':' && !quoted) {
			colon = i;
			break;
		}
	}
	if (colon == std::string::npos || colon == 0)
		return std::nullopt;

	content_line result;
	result.line = source.line;
	result.label = text.substr(0, std::min<size_t>(colon, 60));
	result.value = text.substr(colon + 1);
	std::vector<std::string> head = SplitUnquoted(std::string_view(text).substr(0, colon), ';');
	std::string name = head[0];
	if (const size_t dot = name.rfind('.'); dot != std::string::npos)
		name.erase(0, dot + 1);  // item1.EMAIL is an EMAIL
	result.name = UpperAscii(TrimSpace(name));
	for (size_t i = 1; i < head.size(); i++) {
		const size_t equals = head[i].find('=');
		parameter p;
		// vCard 2.1 writes bare types: TEL;CELL;VOICE
		p.name = equals == std::string::npos ? "TYPE" : UpperAscii(TrimSpace(head[i].substr(0, equals)));
		const std::string values = equals == std::string::npos ? head[i] : head[i].substr(equals + 1);
		p.values = SplitUnquoted(values, ',');
		result.parameters.push_back(std::move(p));
	}
	return result;
}

const parameter* FindParameter(const content_line& line, std::string_view name)
{
	for (const parameter& p : line.parameters) {
		if (p.name == name)
			return &p;
	}
	return nullptr;
}

bool HasType(const content_line& line, std::string_view type)
{
	for (const parameter& p : line.parameters) {
		if (p.name != "TYPE")
			continue;
		for (const std::string& value : p.values) {
			if (EqualsIgnoringCase(TrimSpace(value), type))
				return true;
		}
	}
	return false;
}

// --- values

// The value as UTF-8 text, or an error message. Binary values come back as
// nullopt in text with no error.
struct decoded_value {
	std::optional<std::string> text;
	std::string error;
	size_t binarySize = 0;
};

decoded_value Decode(const content_line& line)
{
	decoded_value result;
	std::string bytes = line.value;
	if (const parameter* encoding = FindParameter(line, "ENCODING"); encoding != nullptr
		&& !encoding->values.empty()) {
		const std::string kind = UpperAscii(TrimSpace(encoding->values[0]));
		if (kind == "QUOTED-PRINTABLE") {
			bytes = DecodeQuotedPrintable(bytes);
		} else if (kind == "B" || kind == "BASE64") {
			result.binarySize = bytes.size() * 3 / 4;
			return result;
		}
	}
	if (line.value.compare(0, 5, "data:") == 0 && line.value.find(";base64,") != std::string::npos) {
		result.binarySize = bytes.size() * 3 / 4;
		return result;
	}
	if (bytes.find('\0') != std::string::npos) {
		result.error = "the value holds a NUL byte, which is no text";
		return result;
	}
	const parameter* charset = FindParameter(line, "CHARSET");
	std::string text;
	if (charset != nullptr && !charset->values.empty()) {
		if (!ConvertToUTF8(TrimSpace(charset->values[0]), bytes, &text)) {
			result.error = "the value is not valid " + charset->values[0] + " text";
			return result;
		}
	} else if (!IsValidUTF8(bytes)) {
		result.error = "the value is not valid UTF-8 (add a CHARSET parameter, or save the file as UTF-8)";
		return result;
	} else {
		text = std::move(bytes);
	}
	result.text = std::move(text);
	return result;
}

// Splits at unescaped sep, keeping the escapes for a split one level down.
std::vector<std::string> SplitRaw(std::string_view text, char sep)
{
	std::vector<std::string> parts(1);
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] == '\\' && i + 1 < text.size()) {
			parts.back() += text[i];
			parts.back() += text[++i];
		} else if (text[i] == sep) {
			parts.emplace_back();
		} else {
			parts.back() += text[i];
		}
	}
	return parts;
}

std::string Unescape(std::string_view text)
{
	std::string out;
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] == '\\' && i + 1 < text.size()) {
			const char next = text[++i];
			out += (next == 'n' || next == 'N') ? '\n' : next;
		} else {
			out += text[i];
		}
	}
	return out;
}

// Splits at unescaped sep and resolves the escapes of each part.
std::vector<std::string> SplitValue(std::string_view text, char sep)
{
	std::vector<std::string> parts = SplitRaw(text, sep);
	for (std::string& part : parts)
		part = Unescape(part);
	return parts;
}
bool AllDigits(std::string_view text)
{
	if (text.empty())
		return false;
	for (const char c : text) {
		if (c < '0' || c > '9')
			return false;
	}
	return true;
}

// A birthday as YYYY-MM-DD, or --MM-DD without a year; other texts as they are.
std::string NormalizeBirthday(std::string text, const content_line& line)
{
	if (const parameter* type = FindParameter(line, "VALUE");
		type != nullptr && !type->values.empty() && EqualsIgnoringCase(type->values[0], "text"))
		return text;  // free text, as the writer marks a birthday it cannot date
	if (const size_t t = text.find('T'); t != std::string::npos && t >= 6)
		text.erase(t);  // a time of day on a birthday means nothing
	std::string year, month, day;
	if (text.size() == 8 && AllDigits(text))
		year = text.substr(0, 4), month = text.substr(4, 2), day = text.substr(6, 2);
	else if (text.size() == 10 && text[4] == '-' && text[7] == '-')
		year = text.substr(0, 4), month = text.substr(5, 2), day = text.substr(8, 2);
	else if (text.size() == 6 && text.compare(0, 2, "--") == 0)
		month = text.substr(2, 2), day = text.substr(4, 2);
	else if (text.size() == 7 && text.compare(0, 2, "--") == 0 && text[4] == '-')
		month = text.substr(2, 2), day = text.substr(5, 2);
	else
		return text;
	if ((!year.empty() && !AllDigits(year)) || !AllDigits(month) || !AllDigits(day))
		return text;
	// Some address books store a birthday without a year under a stand-in year
	// that they name in a parameter.
	if (const parameter* omit = FindParameter(line, "X-APPLE-OMIT-YEAR");
		omit != nullptr && !omit->values.empty() && omit->values[0] == year)
		year.clear();
	std::string date = year.empty() ? std::string("-") : year;
	date.append("-").append(month).append("-").append(day);
	return date;
}

// --- properties

std::string JoinNonEmpty(const std::vector<std::string>& parts, const char* separator)
{
	std::string out;
	for (const std::string& part : parts) {
		const std::string_view trimmed = TrimSpace(part);
		if (trimmed.empty())
			continue;
		if (!out.empty())
			out += separator;
		out += trimmed;
	}
	return out;
}

void ApplyAddress(RecordBuilder& builder, const content_line& line, const std::string& value)
{
	std::vector<std::string> parts = SplitValue(value, ';');
	parts.resize(std::max<size_t>(parts.size(), 7));
	bool taken = false;
	for (const int32 field : {kAddress1Field, kAddress2Field, kCityField, kStateField,
			kZipField, kCountryField})
		taken = taken || !builder.Value(field).empty();
	if (taken) {
		builder.NoField(JoinNonEmpty(SplitValue(value, ';'), ", "), line.line,
			line.label + " (a second address)");
		return;
	}
	std::vector<std::string> streetLines;
	for (size_t start = 0; start <= parts[2].size();) {
		const size_t end = std::min(parts[2].find('\n', start), parts[2].size());
		streetLines.push_back(parts[2].substr(start, end - start));
		start = end + 1;
	}
	streetLines.push_back(parts[1]);  // extended address
	streetLines.push_back(parts[0]);  // post office box
	std::vector<std::string> lines;
	for (const std::string& streetLine : streetLines) {
		if (!TrimSpace(streetLine).empty())
			lines.emplace_back(TrimSpace(streetLine));
	}
	for (size_t i = 0; i < lines.size(); i++) {
		if (i == 0)
			builder.Put(kAddress1Field, lines[i], line.line, line.label);
		else if (i == 1)
			builder.Put(kAddress2Field, lines[i], line.line, line.label);
		else
			builder.NoField(lines[i], line.line, line.label + " (a third address line)");
	}
	builder.Put(kCityField, parts[3], line.line, line.label);
	builder.Put(kStateField, parts[4], line.line, line.label);
	builder.Put(kZipField, parts[5], line.line, line.label);
	builder.Put(kCountryField, JoinNonEmpty({parts.begin() + 6, parts.end()}, " "), line.line,
		line.label);
}

void ApplyName(RecordBuilder& builder, const content_line& line, const std::string& value)
{
	builder.SetHasNameParts();
	std::vector<std::string> parts = SplitRaw(value, ';');
	parts.resize(std::max<size_t>(parts.size(), 5));
	// Each part may be a list ("Jr.,M.D."): its items joined by spaces.
	const auto joined = [](const std::string& part) {
		return JoinNonEmpty(SplitValue(part, ','), " ");
	};
	builder.Put(kLastNameField, joined(parts[0]), line.line, line.label);
	builder.Put(kFirstNameField, joined(parts[1]), line.line, line.label);
	builder.Put(kMiddleNameField, joined(parts[2]), line.line, line.label);
	for (size_t i = 3; i < parts.size(); i++) {
		const std::string extra = joined(parts[i]);
		builder.NoField(extra, line.line, line.label + (i == 3 ? " (prefix)" : " (suffix)"));
		builder.AddReportedNameWords(extra);
	}
}

int32 PhoneField(const content_line& line)
{
	if (HasType(line, "fax"))
		return kFaxField;
	if (HasType(line, "cell") || HasType(line, "mobile") || HasType(line, "iphone"))
		return kCellField;
	return kPhoneField;
}

// Metadata that says nothing about the person.
bool IsBookkeeping(const std::string& name)
{
	return name == "VERSION" || name == "PRODID" || name == "REV" || name == "UID"
		|| name == "CLIENTPIDMAP" || name == "X-ABLABEL" || name == "KIND";
}

void ApplyProperty(RecordBuilder& builder, const content_line& line, const std::string& value,
	std::string& note)
{
	const std::string& name = line.name;
	const int32 at = line.line;
	if (name == "N")
		ApplyName(builder, line, value);
	else if (name == "FN")
		builder.SetFullName(Unescape(value), at, line.label);
	else if (name == "NICKNAME") {
		for (const std::string& nickname : SplitValue(value, ','))
			builder.Put(kNicknameField, nickname, at, line.label);
	} else if (name == "ORG") {
		std::vector<std::string> parts = SplitValue(value, ';');
		builder.Put(kCompanyField, parts[0], at, line.label);
		parts.erase(parts.begin());
		builder.NoField(JoinNonEmpty(parts, "; "), at, line.label + " (unit)");
	} else if (name == "TITLE")
		builder.Put(kTitleField, Unescape(value), at, line.label);
	else if (name == "ADR")
		ApplyAddress(builder, line, value);
	else if (name == "TEL") {
		std::string number = Unescape(value);
		if (number.compare(0, 4, "tel:") == 0)
			number.erase(0, 4);
		builder.Put(PhoneField(line), number, at, line.label);
	} else if (name == "EMAIL") {
		std::string address = Unescape(value);
		if (address.compare(0, 7, "mailto:") == 0)
			address.erase(0, 7);
		builder.PutFirstFree({kEmail1Field, kEmail2Field}, address, at, line.label);
	} else if (name == "URL")
		builder.Put(kWebAddressField, value, at, line.label);  // a URI has no escapes
	else if (name == "NOTE")
		AppendSeparated(&note, "\n", Unescape(value));
	else if (name == "BDAY")
		builder.Put(kBirthdayField, NormalizeBirthday(Unescape(value), line), at, line.label);
	else if (!IsBookkeeping(name))
		builder.NoField(JoinNonEmpty(SplitValue(value, ';'), "; "), at, line.label);
}

// --- cards

class CardParser {
public:
	CardParser(ConversionReport* report, CVABook* book) : fReport(report), fBook(book) {}

	int32 Run(const std::vector<logical_line>& lines)
	{
		for (const logical_line& source : lines)
			Take(source);
		if (fCard)
			Fail(fStart, "the card has no END:VCARD line");
		return fKept;
	}

private:
	void Take(const logical_line& source)
	{
		std::optional<content_line> line;
		if (!source.orphan)
			line = ParseContentLine(source);
		const bool begins = line && line->name == "BEGIN" && EqualsIgnoringCase(TrimSpace(line->value), "VCARD");
		const bool ends = line && line->name == "END" && EqualsIgnoringCase(TrimSpace(line->value), "VCARD");
		if (begins) {
			if (fCard)
				Fail(fStart, "the card has no END:VCARD line");
			Start(source.line);
			return;
		}
		if (!fCard) {
			fReport->AddMalformed(source.line, "", source.orphan || !ends
				? "text outside any card (a card must start with BEGIN:VCARD)"
				: "END:VCARD without BEGIN:VCARD");
			return;
		}
		if (ends) {
			Finish();
			return;
		}
		if (fError.empty()) {
			if (source.orphan)
				SetError(source.line, "a folded line has nothing to continue");
			else if (!line)
				SetError(source.line,
					"the line has no ':' (a folded line that lost its leading space?)");
			else
				Apply(*line);
		}
	}

	void Apply(const content_line& line)
	{
		decoded_value value = Decode(line);
		if (!value.error.empty()) {
			SetError(line.line, line.label + ": " + value.error);
			return;
		}
		if (!value.text) {
			fBuilder->NoField("binary data of about " + std::to_string(value.binarySize)
				+ " bytes", line.line, line.label);
			return;
		}
		ApplyProperty(*fBuilder, line, *value.text, fNote);
		if (line.name == "NOTE")
			fNoteLine = line.line, fNoteLabel = line.label;
	}

	void Start(int32 line)
	{
		fCard = true;
		fStart = line;
		fNumber++;
		fBuilder.emplace(fReport, "card", fNumber);
		fNote.clear();
		fError.clear();
	}

	void SetError(int32 line, std::string text)
	{
		fErrorLine = line;
		fError = std::move(text);
	}

	void Fail(int32 line, const std::string& text)
	{
		fReport->AddMalformed(line, fBuilder->ItemName(), text + "; the card is left out");
		fBuilder->Discard();
		fCard = false;
	}

	void Finish()
	{
		if (!fError.empty()) {
			Fail(fErrorLine, fError);
			return;
		}
		fBuilder->PutNote(fNote, fNoteLine, fNoteLabel);
		fCard = false;
		fKept += fBuilder->Commit(fBook) ? 1 : 0;
	}

	ConversionReport* const fReport;
	CVABook* const fBook;
	std::optional<RecordBuilder> fBuilder;
	bool fCard = false;
	int32 fStart = 0;
	int32 fNumber = 0;
	int32 fKept = 0;
	std::string fNote;
	int32 fNoteLine = 0;
	std::string fNoteLabel;
	std::string fError;
	int32 fErrorLine = 0;
};

}  // namespace

VCardReader::VCardReader(ConversionReport* report)
	:
	fReport(report)
{
}

int32 VCardReader::Read(std::string_view data, CVABook* book)
{
	if (data.substr(0, 3) == "\xEF\xBB\xBF")
		data.remove_prefix(3);
	return CardParser(fReport, book).Run(Unfold(data));
}
