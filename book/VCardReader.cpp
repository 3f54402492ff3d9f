// Sections: unfolding, content lines, values, properties, cards, reading.
#include "VCardReader.h"

#include "AsciiText.h"
#include "ContactText.h"
#include "RecordBuilder.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace {

// --- unfolding

enum class line_kind {
	kContent,
	kOrphan,   // a continuation with nothing before it
	kComment,  // '#' and anything after it: some phones write such lines
};

struct logical_line {
	int32 line = 0;  // the first physical line, from 1
	std::string text;
	line_kind kind = line_kind::kContent;
	bool quotedPrintable = false;
};

bool IsQuotedPrintable(const std::string& text)
{
	const size_t colon = text.find(':');
	return UpperAscii(std::string_view(text).substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
}

class Unfolder {
public:
	std::vector<logical_line> Run(std::string_view data)
	{
		int32 number = 0;
		while (!data.empty()) {
			const size_t end = data.find('\n');
			std::string_view line = data.substr(0, end);
			data.remove_prefix(end == std::string_view::npos ? data.size() : end + 1);
			number++;
			if (!line.empty() && line.back() == '\r')
				line.remove_suffix(1);
			Take(line, number);
		}
		return std::move(fLines);
	}

private:
	void Take(std::string_view line, int32 number)
	{
		if (fJoinNext && !fLines.empty()) {
			fLines.back().text.append(line);
		} else if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
			if (fLines.empty() || fLines.back().kind != line_kind::kContent)
				fLines.push_back({number, std::string(line), line_kind::kOrphan});
			else
				fLines.back().text.append(line.substr(1));
		} else if (TrimSpace(line).empty()) {
			fJoinNext = false;
			return;
		} else if (line[0] == '#') {
			fLines.push_back({number, std::string(line), line_kind::kComment});
		} else if (!fLines.empty() && fLines.back().quotedPrintable
			&& line.find(':') == std::string_view::npos) {
			// A raw line break inside a quoted-printable value, as phones write
			// into addresses: the line is more of the value.
			fLines.back().text.append("\n").append(line);
		} else {
			fLines.push_back({number, std::string(line)});
			fLines.back().quotedPrintable = IsQuotedPrintable(fLines.back().text);
		}
		logical_line& last = fLines.back();
		fJoinNext = last.quotedPrintable && !last.text.empty() && last.text.back() == '=';
		if (fJoinNext)
			last.text.pop_back();
	}

	std::vector<logical_line> fLines;
	bool fJoinNext = false;  // a quoted-printable soft break ended the last line
};

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
	result.label = text.substr(0, UTF8CutLength(text.data(), colon, 60));
	result.value = text.substr(colon + 1);
	std::vector<std::string> head = SplitUnquoted(std::string_view(text).substr(0, colon), ';');
	std::string name = head[0];
	if (const size_t dot = name.rfind('.'); dot != std::string::npos)
		name.erase(0, dot + 1);  // item1.EMAIL is an EMAIL
	result.name = UpperAscii(TrimSpace(name));
	for (size_t i = 1; i < head.size(); i++) {
		if (TrimSpace(head[i]).empty())
			continue;  // "N;;X=1:" or a ';' before the colon
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

// How values are read: the user's character set for those that name none, and
// whether the file was Unicode as a whole (UTF-16), which no CHARSET overrides.
struct value_rules {
	std::string encoding;
	bool unicodeFile = false;
};

// The value as UTF-8 text, or why it cannot be read. Binary values come back
// as nullopt in text with no error.
struct decoded_value {
	std::optional<std::string> text;
	std::string error;
	std::string warning;  // read by a guess
	size_t binarySize = 0;
};

std::string DroppedBytesNote(size_t dropped)
{
	return std::to_string(dropped) + (dropped == 1 ? " byte" : " bytes")
		+ " that Windows-1252 does not define dropped";
}

// Bytes in a set: a named CHARSET, the user's set, or UTF-8 with Windows-1252
// for what is not UTF-8.
void ConvertValue(const std::string& bytes, std::string_view charset, decoded_value* result)
{
	size_t dropped = 0;
	std::string text;
	if (!charset.empty() && ConvertToUTF8(charset, bytes, &text, &dropped)) {
		if (dropped > 0)
			result->warning = DroppedBytesNote(dropped);
		result->text = std::move(text);
		return;
	}
	const bool saysUTF8 = EqualsIgnoringCase(charset, "utf-8") || EqualsIgnoringCase(charset, "utf8");
	if (!charset.empty() && !saysUTF8) {
		result->error = "the value is not valid " + std::string(charset) + " text; dropped";
		return;
	}
	dropped = 0;
	if (!ConvertToUTF8("WINDOWS-1252", bytes, &text, &dropped)) {
		result->error = "the value is not text in any known character set; dropped";
		return;
	}
	result->warning = std::string(saysUTF8 ? "the value is not valid UTF-8" :
		"the value is not UTF-8 and names no character set") + ": read as Windows-1252, "
		+ QuoteValue(text) + (dropped > 0 ? "; " + DroppedBytesNote(dropped) : "");
	result->text = std::move(text);
}

decoded_value Decode(const content_line& line, const value_rules& rules)
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
	} else if (HasType(line, "QUOTED-PRINTABLE")) {
		bytes = DecodeQuotedPrintable(bytes);  // 2.1's bare parameter
	} else if (HasType(line, "BASE64")) {
		result.binarySize = bytes.size() * 3 / 4;
		return result;
	}
	if (line.value.compare(0, 5, "data:") == 0 && line.value.find(";base64") != std::string::npos) {
		result.binarySize = bytes.size() * 3 / 4;
		return result;
	}
	if (bytes.find('\0') != std::string::npos) {
		result.error = "the value holds a NUL byte, which is no text; dropped";
		return result;
	}
	const parameter* charset = FindParameter(line, "CHARSET");
	if (!rules.unicodeFile && charset != nullptr && !charset->values.empty())
		ConvertValue(bytes, TrimSpace(charset->values[0]), &result);
	else if (!rules.unicodeFile && !rules.encoding.empty())
		ConvertValue(bytes, rules.encoding, &result);
	else if (IsValidUTF8(bytes))
		result.text = std::move(bytes);
	else
		ConvertValue(bytes, "", &result);
	return result;
}

// Splits at unescaped sep and resolves the escapes of each part.
std::vector<std::string> SplitValue(std::string_view text, char sep)
{
	std::vector<std::string> parts = SplitEscapedValue(text, sep);
	for (std::string& part : parts)
		part = UnescapeValue(part);
	return parts;
}
// A birthday as YYYY-MM-DD, or --MM-DD without a year; free text as it is.
std::string BirthdayText(const std::string& text, const content_line& line)
{
	if (const parameter* type = FindParameter(line, "VALUE");
		type != nullptr && !type->values.empty() && EqualsIgnoringCase(type->values[0], "text"))
		return text;  // free text, as the writer marks a birthday it cannot date
	// Some address books store a birthday without a year under a stand-in year
	// that they name in a parameter.
	const parameter* omit = FindParameter(line, "X-APPLE-OMIT-YEAR");
	return NormalizeBirthday(text, omit != nullptr && !omit->values.empty()
		? std::string_view(omit->values[0]) : std::string_view());
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
	std::vector<std::string> parts = SplitEscapedValue(value, ';');
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
		builder.SetFullName(UnescapeValue(value), at, line.label);
	else if (name == "NICKNAME") {
		for (const std::string& nickname : SplitValue(value, ','))
			builder.Put(kNicknameField, nickname, at, line.label);
	} else if (name == "ORG") {
		std::vector<std::string> parts = SplitValue(value, ';');
		builder.Put(kCompanyField, parts[0], at, line.label);
		parts.erase(parts.begin());
		builder.NoField(JoinNonEmpty(parts, "; "), at, line.label + " (unit)");
	} else if (name == "TITLE")
		builder.Put(kTitleField, UnescapeValue(value), at, line.label);
	else if (name == "ADR")
		ApplyAddress(builder, line, value);
	else if (name == "TEL") {
		std::string number = UnescapeValue(value);
		if (number.compare(0, 4, "tel:") == 0)
			number.erase(0, 4);
		builder.Put(PhoneField(line), number, at, line.label);
	} else if (name == "EMAIL") {
		std::string address = UnescapeValue(value);
		if (address.compare(0, 7, "mailto:") == 0)
			address.erase(0, 7);
		builder.PutFirstFree({kEmail1Field, kEmail2Field}, address, at, line.label);
	} else if (name == "URL")
		builder.Put(kWebAddressField, value, at, line.label);  // a URI has no escapes
	else if (name == "NOTE")
		AppendSeparated(&note, "\n", UnescapeValue(value));
	else if (name == "BDAY")
		builder.Put(kBirthdayField, BirthdayText(UnescapeValue(value), line), at, line.label);
	else if (!IsBookkeeping(name))
		builder.NoField(JoinNonEmpty(SplitValue(value, ';'), "; "), at, line.label);
}

// --- cards

// One card being read: its values so far and where it began.
struct open_card {
	open_card(ConversionReport* report, int32 number, int32 line)
		:
		builder(report, "card", number),
		number(number),
		start(line)
	{
	}

	RecordBuilder builder;
	const int32 number;
	const int32 start;
	std::string note;
	int32 noteLine = 0;
	std::string noteLabel;
};

// Where the lines of the first card came from, for VCardReader::ReadCard.
struct card_lines {
	std::map<int32, VCardReader::field_source> byLine;  // first physical line to its source
	int32 count = 0;
	std::array<int32, kBookFieldCount> fieldLines{};  // the builder's lines
	bool made = false;  // the card made a record
	std::string uid;
	std::string version;
};

// Cards inside a card are read as cards of their own, up to this depth; a
// deeper BEGIN:VCARD is taken for the start of the next card.
constexpr size_t kMaxNesting = 8;

class CardParser {
public:
	CardParser(ConversionReport* report, CVABook* book, const value_rules& rules)
		:
		fReport(report),
		fBook(book),
		fRules(rules)
	{
	}

	// Records where the first card's lines come from, and stops after it.
	void RecordFirstCard(card_lines* lines) { fFirstCard = lines; }

	int32 Run(const std::vector<logical_line>& lines)
	{
		for (const logical_line& source : lines) {
			if (fFirstCard != nullptr && fNumber > 0 && fOpen.empty())
				break;
			Take(source);
		}
		while (!fOpen.empty()) {
			fOpen.back()->builder.Note(note_kind::kWarning, fOpen.back()->start, "",
				"the card has no END:VCARD line; read to the end of the file");
			Finish();
		}
		return fKept;
	}

private:
	void Take(const logical_line& source)
	{
		std::optional<content_line> line;
		if (source.kind == line_kind::kContent)
			line = ParseContentLine(source);
		const auto is = [&line](const char* name) {
			return line && line->name == name && EqualsIgnoringCase(TrimSpace(line->value), "VCARD");
		};
		if (is("BEGIN")) {
			if (fOpen.size() >= kMaxNesting)
				Finish();
			Start(source.line);
			Record(source, "BEGIN");
		} else if (fOpen.empty()) {
			TakeOutside(source, line, is("END"));
		} else if (is("END")) {
			Finish();
		} else {
			Record(source, line ? line->name : "");
			TakeInside(source, line);
		}
	}

	void TakeOutside(const logical_line& source, const std::optional<content_line>& line, bool ends)
	{
		if (source.kind == line_kind::kComment)
			return;
		// A card whose BEGIN:VCARD was lost still names itself.
		if (line && (line->name == "VERSION" || line->name == "N" || line->name == "FN")) {
			Start(source.line);
			Record(source, line->name);
			fOpen.back()->builder.Note(note_kind::kWarning, source.line, "",
				"the card has no BEGIN:VCARD line; read from here");
			Apply(*line);
			return;
		}
		fReport->AddMalformed(source.line, "", ends ? "END:VCARD without BEGIN:VCARD"
			: "text outside any card (a card must start with BEGIN:VCARD); left out");
	}

	void TakeInside(const logical_line& source, const std::optional<content_line>& line)
	{
		RecordBuilder& builder = fOpen.back()->builder;
		if (source.kind == line_kind::kComment)
			builder.Note(note_kind::kWarning, source.line, "", "a comment line (#); skipped");
		else if (source.kind == line_kind::kOrphan)
			builder.Note(note_kind::kMalformed, source.line, "",
				"a folded line has nothing to continue; left out");
		else if (!line)
			builder.Note(note_kind::kMalformed, source.line, "", "the line has no ':' (a folded "
				"line that lost its leading space?); left out " + QuoteValue(source.text));
		else
			Apply(*line);
	}

	void Apply(const content_line& line)
	{
		open_card& card = *fOpen.back();
		decoded_value value = Decode(line, fRules);
		if (!value.warning.empty())
			card.builder.Note(note_kind::kWarning, line.line, line.label, value.warning);
		if (!value.error.empty()) {
			card.builder.Note(note_kind::kMalformed, line.line, line.label, value.error);
			return;
		}
		if (!value.text) {
			card.builder.NoField("binary data of about " + std::to_string(value.binarySize)
				+ " bytes", line.line, line.label);
			return;
		}
		if (fFirstCard != nullptr && fOpen.size() == 1) {
			if (line.name == "UID")
				fFirstCard->uid = *value.text;
			else if (line.name == "VERSION")
				fFirstCard->version = TrimSpace(*value.text);
		}
		ApplyProperty(card.builder, line, *value.text, card.note);
		if (line.name == "NOTE")
			card.noteLine = line.line, card.noteLabel = line.label;
	}

	void Record(const logical_line& source, const std::string& name)
	{
		if (fFirstCard == nullptr || fOpen.empty() || fOpen.front()->number != 1)
			return;
		if (fOpen.size() == 1)
			fFirstCard->byLine[source.line] = {name, fFirstCard->count};
		fFirstCard->count++;
	}

	void Start(int32 line)
	{
		fOpen.push_back(std::make_unique<open_card>(fReport, ++fNumber, line));
	}

	// Closes the innermost card; the records are made in the order the cards
	// began once no card is open.
	void Finish()
	{
		std::unique_ptr<open_card> card = std::move(fOpen.back());
		fOpen.pop_back();
		card->builder.PutNote(card->note, card->noteLine, card->noteLabel);
		fDone.push_back(std::move(card));
		if (!fOpen.empty())
			return;
		std::sort(fDone.begin(), fDone.end(),
			[](const auto& a, const auto& b) { return a->number < b->number; });
		for (const std::unique_ptr<open_card>& done : fDone) {
			const bool made = done->builder.Commit(fBook, done->start);
			fKept += made ? 1 : 0;
			if (fFirstCard == nullptr || done->number != 1)
				continue;
			fFirstCard->made = made;
			for (int32 field = 0; field < kBookFieldCount; field++)
				fFirstCard->fieldLines[field] = done->builder.FieldLine(field);
		}
		fDone.clear();
	}

	ConversionReport* const fReport;
	CVABook* const fBook;
	const value_rules& fRules;
	std::vector<std::unique_ptr<open_card>> fOpen;  // the innermost last
	std::vector<std::unique_ptr<open_card>> fDone;  // closed inside an open one
	int32 fNumber = 0;
	int32 fKept = 0;
	card_lines* fFirstCard = nullptr;
};

// The file as UTF-8 lines: a byte order mark skipped, UTF-16 converted.
std::vector<logical_line> UnfoldFile(std::string_view data, ConversionReport* report,
	value_rules* rules)
{
	size_t mark = 0;
	const std::string_view form = DetectUnicodeForm(data, &mark);
	data.remove_prefix(mark);
	if (form.empty() || form == "UTF-8")
		return Unfolder().Run(data);
	std::string text;
	if (!ConvertToUTF8(form, data, &text)) {
		report->AddMalformed(0, "", "the file is not valid " + std::string(form) + " text; "
			"nothing is read");
		return {};
	}
	rules->unicodeFile = true;
	return Unfolder().Run(text);
}

}  // namespace

// --- reading

VCardReader::VCardReader(ConversionReport* report)
	:
	fReport(report)
{
}

int32 VCardReader::Read(std::string_view data, CVABook* book)
{
	value_rules rules{fEncoding};
	const std::vector<logical_line> lines = UnfoldFile(data, fReport, &rules);
	return CardParser(fReport, book, rules).Run(lines);
}

bool VCardReader::ReadCard(std::string_view data, card* result)
{
	value_rules rules{fEncoding};
	const std::vector<logical_line> lines = UnfoldFile(data, fReport, &rules);
	CVABook book(nullptr);
	card_lines sources;
	CardParser parser(fReport, &book, rules);
	parser.RecordFirstCard(&sources);
	*result = card();
	parser.Run(lines);
	if (!sources.made)
		return false;  // the record of a card inside it is not this card's
	result->uid = sources.uid;
	result->version = sources.version;
	const ABookRecord* record = book.FirstRecord();
	for (int32 field = 0; field < kBookFieldCount; field++) {
		result->fields[field] = record->Field(field);
		if (result->fields[field].empty())
			continue;
		const auto found = sources.byLine.find(sources.fieldLines[field]);
		if (found != sources.byLine.end())
			result->sources[field] = found->second;
	}
	return true;
}
