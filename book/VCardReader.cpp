// Sections: lines, properties, cards, reading.
#include "VCardReader.h"

#include "AsciiText.h"
#include "ContactText.h"
#include "RecordBuilder.h"
#include "vcard/VCardLexer.h"
#include "vcard/VCardProperties.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace {

using value_type = vcard_value_type;

// --- lines

// A lexed line of the file and, for a content line, its parts.
struct source_line {
	const lexed_line& lexed;
	size_t position;  // in the lexer's lines
	std::optional<VCardLine> content;
	std::string_view label;  // the head, for notes
};

// Splits at unescaped sep and resolves the escapes of each part.
std::vector<std::string> SplitValue(std::string_view text, char sep)
{
	return VCardValue::SplitText(text, sep);
}

std::string Text(std::string_view raw)
{
	return VCardValue::Unescape(raw, value_type::kText);
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

// What a property is read with: the card being built, where the line is.
struct property_context {
	RecordBuilder& builder;
	const source_line& line;
	vcard_version version;
	std::string& note;

	int32 At() const { return line.lexed.number; }
	void Put(int32 field, std::string_view text) const
	{
		builder.Put(field, text, At(), line.label);
	}
};

void ApplyAddress(const property_context& in, const std::string& value)
{
	std::vector<std::string> parts = SplitValue(value, ';');
	parts.resize(std::max<size_t>(parts.size(), 7));
	bool taken = false;
	for (const int32 field : {kAddress1Field, kAddress2Field, kCityField, kStateField,
			kZipField, kCountryField})
		taken = taken || !in.builder.Value(field).empty();
	if (taken) {
		in.builder.NoField(JoinNonEmpty(SplitValue(value, ';'), ", "), in.At(),
			std::string(in.line.label) + " (a second address)");
		return;
	}
	const int32 street = VCardProperties::PlaceOf(kAddress1Field).component;
	std::vector<std::string> streetLines;
	for (size_t start = 0; start <= parts[street].size();) {
		const size_t end = std::min(parts[street].find('\n', start), parts[street].size());
		streetLines.push_back(parts[street].substr(start, end - start));
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
		if (i < 2)
			in.Put(i == 0 ? kAddress1Field : kAddress2Field, lines[i]);
		else
			in.builder.NoField(lines[i], in.At(),
				std::string(in.line.label) + " (a third address line)");
	}
	for (const int32 field : {kCityField, kStateField, kZipField})
		in.Put(field, parts[VCardProperties::PlaceOf(field).component]);
	const int32 country = VCardProperties::PlaceOf(kCountryField).component;
	in.Put(kCountryField, JoinNonEmpty({parts.begin() + country, parts.end()}, " "));
}

void ApplyName(const property_context& in, const std::string& value)
{
	in.builder.SetHasNameParts();
	std::vector<std::string> parts = VCardValue::Split(value, ';');
	parts.resize(std::max<size_t>(parts.size(), 5));
	// Each part may be a list ("Jr.,M.D."): its items joined by spaces.
	const auto joined = [](const std::string& part) {
		return JoinNonEmpty(SplitValue(part, ','), " ");
	};
	for (const int32 field : {kLastNameField, kFirstNameField, kMiddleNameField})
		in.Put(field, joined(parts[VCardProperties::PlaceOf(field).component]));
	for (size_t i = 3; i < parts.size(); i++) {
		const std::string extra = joined(parts[i]);
		if (extra.empty())
			continue;
		in.builder.NoField(extra, in.At(),
			std::string(in.line.label) + (i == 3 ? " (prefix)" : " (suffix)"));
		in.builder.AddReportedNameWords(extra);
	}
}

// Metadata that says nothing about the person.
bool IsBookkeeping(const std::string& name)
{
	return name == "VERSION" || name == "PRODID" || name == "REV" || name == "UID"
		|| name == "CLIENTPIDMAP" || name == "X-ABLABEL" || name == "KIND";
}

void ApplyProperty(const property_context& in, const std::string& value)
{
	const VCardLine& line = *in.line.content;
	const std::string& name = line.Name();
	if (name == "N") {
		ApplyName(in, value);
	} else if (name == "FN") {
		in.builder.SetFullName(Text(value), in.At(), in.line.label);
	} else if (name == "NICKNAME") {
		for (const std::string& nickname : SplitValue(value, ','))
			in.Put(kNicknameField, nickname);
	} else if (name == "ORG") {
		std::vector<std::string> parts = SplitValue(value, ';');
		in.Put(kCompanyField, parts[0]);
		parts.erase(parts.begin());
		if (const std::string units = JoinNonEmpty(parts, "; "); !units.empty())
			in.builder.NoField(units, in.At(), std::string(in.line.label) + " (unit)");
	} else if (name == "TITLE") {
		in.Put(kTitleField, Text(value));
	} else if (name == "ADR") {
		ApplyAddress(in, value);
	} else if (name == "TEL") {
		in.Put(VCardProperties::PhoneFieldOf(line),
			VCardProperties::UriText(line, Text(value), in.version));
	} else if (name == "EMAIL") {
		in.builder.PutFirstFree({kEmail1Field, kEmail2Field},
			VCardProperties::UriText(line, Text(value), in.version), in.At(), in.line.label);
	} else if (name == "URL") {
		in.Put(kWebAddressField, VCardValue::Unescape(value, VCardProperties::TypeOf(name)));
	} else if (name == "NOTE") {
		AppendSeparated(&in.note, "\n", Text(value));
	} else if (name == "BDAY") {
		in.Put(kBirthdayField, VCardProperties::BirthdayText(line, value));
	} else if (!IsBookkeeping(name)) {
		in.builder.NoField(JoinNonEmpty(SplitValue(value, ';'), "; "), in.At(), in.line.label);
	}
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
	vcard_version version = vcard_version::k30;
	std::string note;
	int32 noteLine = 0;
	std::string noteLabel;
};

// Where the lines of the first card came from, for VCardReader::ReadCard.
struct card_lines {
	std::map<int32, VCardReader::field_source> byLine;  // first physical line to its source
	std::vector<VCardReader::counted_line> lines;
	std::array<int32, kBookFieldCount> fieldLines{};  // the builder's lines
	bool made = false;  // the card made a record
	bool ended = false;  // its END:VCARD was read
	size_t insertionPoint = 0;
	std::string uid;
	std::string version;
};

// Cards inside a card are read as cards of their own, up to this depth; a
// deeper BEGIN:VCARD is taken for the start of the next card.
constexpr size_t kMaxNesting = 8;

class CardParser {
public:
	CardParser(ConversionReport* report, CVABook* book, const vcard_value_rules& rules)
		:
		fReport(report),
		fBook(book),
		fRules(rules)
	{
	}

	// Records where the first card's lines come from, and stops after it.
	void RecordFirstCard(card_lines* lines) { fFirstCard = lines; }

	int32 Run(VCardLexer& lexer)
	{
		lexed_line lexed;
		for (size_t position = 0; lexer.Next(&lexed); position++) {
			source_line source{lexed, position, std::nullopt, std::string_view()};
			if (lexed.kind == vcard_line_kind::kContent)
				source.content = VCardLine::Parse(lexed.text);
			if (source.content)
				source.label = source.content->Label();
			Take(source);
			fLines = position + 1;
			if (fFirstCard != nullptr && fNumber > 0 && fOpen.empty())
				break;
		}
		while (!fOpen.empty()) {
			fOpen.back()->builder.Note(note_kind::kWarning, fOpen.back()->start, "",
				"the card has no END:VCARD line; read to the end of the file");
			Finish();
		}
		return fKept;
	}

	// How many lines were read.
	size_t CountLines() const { return fLines; }

private:
	void Take(const source_line& source)
	{
		const std::optional<VCardLine>& line = source.content;
		const auto is = [&line](const char* name) {
			return line && line->Name() == name && EqualsIgnoringCase(TrimSpace(line->Value()), "VCARD");
		};
		if (is("BEGIN")) {
			if (fOpen.size() >= kMaxNesting)
				Finish();
			Start(source.lexed.number);
			Record(source, "BEGIN");
		} else if (fOpen.empty()) {
			TakeOutside(source, is("END"));
		} else if (is("END")) {
			if (fFirstCard != nullptr && fOpen.size() == 1 && fOpen.front()->number == 1) {
				fFirstCard->ended = true;
				fFirstCard->insertionPoint = source.position;
			}
			Finish();
		} else {
			Record(source, line ? line->Name() : "");
			TakeInside(source);
		}
	}

	void TakeOutside(const source_line& source, bool ends)
	{
		const std::optional<VCardLine>& line = source.content;
		if (source.lexed.kind == vcard_line_kind::kComment)
			return;
		// A card whose BEGIN:VCARD was lost still names itself.
		if (line && (line->Name() == "VERSION" || line->Name() == "N" || line->Name() == "FN")) {
			Start(source.lexed.number);
			Record(source, line->Name());
			fOpen.back()->builder.Note(note_kind::kWarning, source.lexed.number, "",
				"the card has no BEGIN:VCARD line; read from here");
			Apply(source);
			return;
		}
		fReport->AddMalformed(source.lexed.number, "", ends ? "END:VCARD without BEGIN:VCARD"
			: "text outside any card (a card must start with BEGIN:VCARD); left out");
	}

	void TakeInside(const source_line& source)
	{
		RecordBuilder& builder = fOpen.back()->builder;
		const int32 at = source.lexed.number;
		if (source.lexed.kind == vcard_line_kind::kComment)
			builder.Note(note_kind::kWarning, at, "", "a comment line (#); skipped");
		else if (source.lexed.kind == vcard_line_kind::kOrphan)
			builder.Note(note_kind::kMalformed, at, "",
				"a folded line has nothing to continue; left out");
		else if (!source.content)
			builder.Note(note_kind::kMalformed, at, "", "the line has no ':' (a folded "
				"line that lost its leading space?); left out " + QuoteValue(source.lexed.text));
		else
			Apply(source);
	}

	void Apply(const source_line& source)
	{
		open_card& card = *fOpen.back();
		const VCardLine& line = *source.content;
		const int32 at = source.lexed.number;
		decoded_value value = VCardValue::Decode(line, fRules);
		if (!value.warning.empty())
			card.builder.Note(note_kind::kWarning, at, source.label, value.warning);
		if (!value.error.empty()) {
			card.builder.Note(note_kind::kMalformed, at, source.label, value.error);
			return;
		}
		if (!value.text) {
			card.builder.NoField("binary data of about " + std::to_string(value.binarySize)
				+ " bytes", at, source.label);
			return;
		}
		if (line.Name() == "VERSION")
			card.version = VCardProperties::VersionOf(*value.text);
		if (fFirstCard != nullptr && fOpen.size() == 1) {
			if (line.Name() == "UID")
				fFirstCard->uid = *value.text;
			else if (line.Name() == "VERSION")
				fFirstCard->version = TrimSpace(*value.text);
		}
		ApplyProperty(property_context{card.builder, source, card.version, card.note}, *value.text);
		if (line.Name() == "NOTE")
			card.noteLine = at, card.noteLabel = source.label;
	}

	void Record(const source_line& source, const std::string& name)
	{
		if (fFirstCard == nullptr || fOpen.empty() || fOpen.front()->number != 1)
			return;
		const int32 depth = static_cast<int32>(fOpen.size());
		if (depth == 1) {
			fFirstCard->byLine[source.lexed.number] = {name,
				static_cast<int32>(fFirstCard->lines.size())};
			fFirstCard->insertionPoint = source.position + 1;
		}
		fFirstCard->lines.push_back({source.position, depth});
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
	const vcard_value_rules& fRules;
	std::vector<std::unique_ptr<open_card>> fOpen;  // the innermost last
	std::vector<std::unique_ptr<open_card>> fDone;  // closed inside an open one
	int32 fNumber = 0;
	int32 fKept = 0;
	size_t fLines = 0;
	card_lines* fFirstCard = nullptr;
};

// The file as UTF-8 text: a byte order mark skipped, UTF-16 converted; false
// when it cannot be.
bool FileText(std::string_view data, ConversionReport* report, vcard_value_rules* rules,
	std::string* converted, std::string_view* text)
{
	size_t mark = 0;
	const std::string_view form = DetectUnicodeForm(data, &mark);
	data.remove_prefix(mark);
	*text = data;
	if (form.empty() || form == "UTF-8")
		return true;
	if (!ConvertToUTF8(form, data, converted)) {
		report->AddMalformed(0, "", "the file is not valid " + std::string(form) + " text; "
			"nothing is read");
		return false;
	}
	rules->unicodeFile = true;
	*text = *converted;
	return true;
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
	vcard_value_rules rules{fEncoding};
	std::string converted;
	std::string_view text;
	if (!FileText(data, fReport, &rules, &converted, &text))
		return 0;
	VCardLexer lexer(text);
	return CardParser(fReport, book, rules).Run(lexer);
}

bool VCardReader::ReadCard(std::string_view data, card* result)
{
	*result = card();
	vcard_value_rules rules{fEncoding};
	std::string converted;
	std::string_view text;
	if (!FileText(data, fReport, &rules, &converted, &text))
		return false;
	VCardLexer lexer(text);
	CVABook book(nullptr);
	card_lines sources;
	CardParser parser(fReport, &book, rules);
	parser.RecordFirstCard(&sources);
	parser.Run(lexer);
	if (!sources.made)
		return false;  // the record of a card inside it is not this card's
	result->uid = sources.uid;
	result->version = sources.version;
	result->lines = std::move(sources.lines);
	result->unicodeFile = rules.unicodeFile;
	result->insertionPoint = sources.insertionPoint;
	// Without END:VCARD, new lines go after the card's own last line, unless
	// that ends the text in a quoted-printable soft break, which would take
	// the next line in: then they go before it.
	if (!sources.ended && sources.insertionPoint == parser.CountLines() && lexer.EndsJoining()
		&& sources.insertionPoint > 0)
		result->insertionPoint--;
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
