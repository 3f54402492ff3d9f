// Sections: setting up, the fields, structured values, notes, assembling.
#include "CardPatcher.h"

#include <ABookRecord.h>
#include <AsciiText.h>
#include <ContactText.h>
#include <DisplayName.h>

#include <algorithm>

namespace {

constexpr int32 kNameFields[] = {kLastNameField, kFirstNameField, kMiddleNameField};

std::string DisplayNameOf(const card_fields& fields)
{
	return DisplayName(fields.data(), kBookFieldCount);
}

std::string EscapeText(std::string_view text)
{
	return VCardValue::Escape(text, vcard_value_type::kText);
}

std::string Unescape(std::string_view raw)
{
	return VCardValue::Unescape(raw, vcard_value_type::kText);
}

// A UTF-8 byte order mark, kept in front of the patched card.
std::string MarkOf(std::string_view bytes)
{
	size_t mark = 0;
	return DetectUnicodeForm(bytes, &mark) == "UTF-8" ? std::string(bytes.substr(0, mark))
		: std::string();
}

// The card as UTF-8 text: the reader reads a UTF-16 card so, and so it is
// written back.
std::string TextOf(std::string_view bytes)
{
	size_t mark = 0;
	const std::string_view form = DetectUnicodeForm(bytes, &mark);
	std::string text;
	if (form == "UTF-16LE" || form == "UTF-16BE")
		return ConvertToUTF8(form, bytes.substr(mark), &text) ? text : std::string();
	return std::string(bytes.substr(mark));
}

}  // namespace

// --- setting up

std::string CardPatcher::CardText(std::string_view field)
{
	std::string text;
	size_t dropped = 0;
	if (IsValidUTF8(field) || !ConvertToUTF8("WINDOWS-1252", field, &text, &dropped))
		return std::string(field);
	return text;
}

CardPatcher::CardPatcher(std::string_view bytes, const VCardReader::card& card)
	: fMark(MarkOf(bytes)),
	  fText(TextOf(bytes)),
	  fCard(card),
	  fVersion(VCardProperties::VersionOf(card.version))
{
	VCardLexer lexer(fText);
	fLines = lexer.Rest();
	fLineBreak = lexer.LineBreak();
}

bool CardPatcher::Patch(const card_fields& fields, card_patch* patch)
{
	*patch = card_patch();
	fOld = &fCard.fields;
	for (int32 field = 0; field < kBookFieldCount; field++)
		fNewText[field] = CardText(fields[field]);
	fNew = &fNewText;
	fEdits.clear();
	fAdded.clear();
	fError.clear();
	if (_CheckSources()) {
		_PatchNames();
		_PatchFullName();
		_PatchNickname();
		_PatchCompany();
		_PatchAddress();
		for (const int32 field : {kTitleField, kPhoneField, kCellField, kFaxField, kEmail1Field,
				kEmail2Field, kWebAddressField, kBirthdayField})
			_PatchValue(field);
		_PatchNote();
		_PatchRevision();
	}
	if (!fError.empty()) {
		patch->error = fError;
		return false;
	}
	patch->bytes = _Assemble();
	const std::vector<VCardReader::counted_line>& counted = fCard.lines;
	for (size_t index = 0; index < counted.size(); index++) {
		if (fEdits.count(counted[index].position) > 0)
			patch->touched.push_back(static_cast<int32>(index));
	}
	return true;
}

// Every field the reader filled names a line here of the property it gave.
bool CardPatcher::_CheckSources()
{
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (fCard.fields[field].empty())
			continue;
		const size_t position = _SourceLine(field);
		const std::optional<VCardLine> line = position == kNone ? std::nullopt
			: VCardLine::Parse(_Lexed(position).text);
		if (!line || line->Name() != fCard.sources[field].property) {
			fError = std::string("the card's lines do not match what was read of ")
				+ kBookFieldNames[field];
			return false;
		}
	}
	return true;
}

size_t CardPatcher::_SourceLine(int32 field) const
{
	const int32 index = fCard.sources[field].index;
	if ((*fOld)[field].empty() || index < 0
		|| static_cast<size_t>(index) >= fCard.lines.size())
		return kNone;
	const size_t position = fCard.lines[index].position;
	return position < fLines.size() ? position : kNone;
}

std::vector<size_t> CardPatcher::_LinesNamed(const char* name) const
{
	std::vector<size_t> found;
	for (const VCardReader::counted_line& counted : fCard.lines) {
		if (counted.depth != 1 || counted.position >= fLines.size())
			continue;
		const lexed_line& line = _Lexed(counted.position);
		if (line.kind != vcard_line_kind::kContent)
			continue;
		// A value the reader could not decode (binary, a NUL) is none of the
		// record's: such a line is left as it is.
		std::optional<VCardLine> content = VCardLine::Parse(line.text);
		if (content && content->Name() == name
			&& VCardValue::DecodeInPlace(&*content, fCard.unicodeFile))
			found.push_back(counted.position);
	}
	return found;
}

size_t CardPatcher::_FirstLineNamed(const char* name) const
{
	const std::vector<size_t> found = _LinesNamed(name);
	return found.empty() ? kNone : found[0];
}

VCardLine* CardPatcher::_Edit(size_t position)
{
	std::optional<VCardLine>& edit = fEdits[position];
	if (!edit) {
		edit = VCardLine::Parse(_Lexed(position).text);
		if (!edit || !VCardValue::DecodeInPlace(&*edit, fCard.unicodeFile)) {
			fError = "a property of the card cannot be read back to be rewritten";
			fEdits.erase(position);
			return nullptr;
		}
	}
	return &*edit;
}

void CardPatcher::_Add(const std::string& name, std::vector<std::string> parameters,
	std::string value)
{
	fAdded.emplace_back(name, std::move(parameters), std::move(value));
}

// --- the fields

void CardPatcher::_PatchNames()
{
	if (!_Changed(kFirstNameField) && !_Changed(kMiddleNameField) && !_Changed(kLastNameField))
		return;
	const size_t names = _FirstLineNamed("N");
	const card_fields& fields = *fNew;
	if (names == kNone) {
		// The names were split from FN: they get a property of their own.
		std::vector<std::string> parts(5);
		for (const int32 field : kNameFields)
			parts[VCardProperties::PlaceOf(field).component] = EscapeText(fields[field]);
		_Add("N", {}, VCardValue::Join(parts, ';'));
		return;
	}
	for (const int32 field : kNameFields) {
		const size_t component = static_cast<size_t>(VCardProperties::PlaceOf(field).component);
		if (!_Changed(field))
			continue;
		const size_t source = _SourceLine(field);
		VCardLine* line = _Edit(source != kNone ? source : names);
		if (line == nullptr)
			return;
		std::vector<std::string> parts = VCardValue::Split(line->Value(), ';');
		parts.resize(std::max(parts.size(), component + 1));
		parts[component] = EscapeText(fields[field]);
		line->SetValue(VCardValue::Join(parts, ';'));
	}
}

// FN follows the display name: the old one inside it is replaced, so a
// title or suffix around it stays.
void CardPatcher::_PatchFullName()
{
	const std::string before = DisplayNameOf(*fOld);
	const std::string after = DisplayNameOf(*fNew);
	if (before == after || after.empty())
		return;
	const size_t position = _FirstLineNamed("FN");
	if (position == kNone) {
		if (fVersion != vcard_version::k21)
			_Add("FN", {}, EscapeText(after));
		return;
	}
	VCardLine* line = _Edit(position);
	if (line == nullptr)
		return;
	std::string text = Unescape(line->Value());
	const size_t at = before.empty() ? std::string::npos : text.find(before);
	if (at != std::string::npos)
		text.replace(at, before.size(), after);
	else
		text = after;
	line->SetValue(EscapeText(text));
}

// NICKNAME is a list: the book's nickname is its first item with text.
void CardPatcher::_PatchNickname()
{
	if (!_Changed(kNicknameField))
		return;
	const std::string& nickname = (*fNew)[kNicknameField];
	const size_t source = _SourceLine(kNicknameField);
	if (source == kNone) {
		_Add("NICKNAME", {}, EscapeText(nickname));
		return;
	}
	VCardLine* line = _Edit(source);
	if (line == nullptr)
		return;
	std::vector<std::string> items = VCardValue::Split(line->Value(), ',');
	const auto hasText = [](const std::string& item) {
		return !FlattenFieldText(Unescape(item)).empty();
	};
	const auto first = std::find_if(items.begin(), items.end(), hasText);
	if (first == items.end())
		return;
	if (!nickname.empty())
		*first = EscapeText(nickname);
	else
		items.erase(first);
	if (std::none_of(items.begin(), items.end(), hasText))
		_Remove(source);
	else
		line->SetValue(VCardValue::Join(items, ','));
}

// ORG's first component is the company; its units stay.
void CardPatcher::_PatchCompany()
{
	if (!_Changed(kCompanyField))
		return;
	const std::string& company = (*fNew)[kCompanyField];
	size_t position = _SourceLine(kCompanyField);
	if (position == kNone)
		position = _FirstLineNamed("ORG");
	if (position == kNone) {
		_Add("ORG", {}, EscapeText(company));
		return;
	}
	VCardLine* line = _Edit(position);
	if (line == nullptr)
		return;
	std::vector<std::string> parts = VCardValue::Split(line->Value(), ';');
	parts[0] = EscapeText(company);
	const bool empty = std::all_of(parts.begin(), parts.end(),
		[](const std::string& part) { return FlattenFieldText(Unescape(part)).empty(); });
	if (empty)
		_Remove(position);
	else
		line->SetValue(VCardValue::Join(parts, ';'));
}

// A property of one value: TITLE, TEL, EMAIL, URL, BDAY. A line that held a
// URI ("tel:", "mailto:") keeps its parameters and holds one again; any other
// gets the value parameters its text needs in the card's version.
void CardPatcher::_PatchValue(int32 field)
{
	if (!_Changed(field))
		return;
	const std::string& text = (*fNew)[field];
	vcard_value value;
	VCardProperties::ValueOf(field, text, fVersion, &value);
	const size_t source = _SourceLine(field);
	if (source == kNone) {
		std::vector<std::string> parameters;
		for (std::string* parameter : {&value.valueParameter, &value.typeParameter}) {
			if (!parameter->empty())
				parameters.push_back(std::move(*parameter));
		}
		if (!text.empty())
			_Add(VCardProperties::PlaceOf(field).property, std::move(parameters),
				std::move(value.value));
		return;
	}
	if (text.empty()) {
		_Remove(source);
		return;
	}
	VCardLine* line = _Edit(source);
	if (line == nullptr)
		return;
	const std::string_view scheme = VCardProperties::UriScheme(*line, fVersion);
	if (!scheme.empty() && StartsWithIgnoringCase(Unescape(line->Value()), scheme)
		&& !VCardProperties::LooksLikeUri(text)) {
		line->SetValue(std::string(scheme) + value.value);
		return;
	}
	// The type of a telephone number's or a birthday's value is the text's.
	if (field == kBirthdayField || VCardProperties::PlaceOf(field).phoneType != nullptr) {
		line->RemoveParameter("VALUE");
		line->RemoveParameter("X-APPLE-OMIT-YEAR");
	}
	if (!value.valueParameter.empty())
		line->AddParameter(std::move(value.valueParameter));
	line->SetValue(std::move(value.value));
}

// A card that changes gets the revision as its REV.
void CardPatcher::_PatchRevision()
{
	if (fRevision.empty() || (fEdits.empty() && fAdded.empty()))
		return;
	const size_t position = _FirstLineNamed("REV");
	if (position == kNone) {
		_Add("REV", {}, fRevision);
		return;
	}
	if (VCardLine* line = _Edit(position); line != nullptr) {
		line->RemoveParameter("VALUE");
		line->SetValue(fRevision);
	}
}

// --- structured values

void CardPatcher::_PatchAddress()
{
	bool changed = false;
	size_t source = kNone;
	for (int32 field = kAddress1Field; field <= kCountryField; field++) {
		changed = changed || _Changed(field);
		if (source == kNone)
			source = _SourceLine(field);
	}
	if (!changed)
		return;
	const card_fields& fields = *fNew;
	std::vector<std::string> parts(7);
	VCardLine* line = nullptr;
	if (source != kNone) {
		if ((line = _Edit(source)) == nullptr)
			return;
		parts = VCardValue::Split(line->Value(), ';');
		parts.resize(std::max<size_t>(parts.size(), 7));
	}
	_PatchStreet(&parts);
	for (int32 field = kCityField; field <= kCountryField; field++) {
		if (_Changed(field))
			parts[3 + field - kCityField] = EscapeText(fields[field]);
	}
	if (_Changed(kCountryField))
		parts.resize(7);  // the reader joins any further components into the country
	const bool empty = std::all_of(parts.begin(), parts.end(),
		[](const std::string& part) { return FlattenFieldText(Unescape(part)).empty(); });
	if (line == nullptr && !empty)
		_Add("ADR", {}, VCardValue::Join(parts, ';'));
	else if (line != nullptr && empty)
		_Remove(source);
	else if (line != nullptr)
		line->SetValue(VCardValue::Join(parts, ';'));
}

namespace {

// A street component's lines, split at escaped (or decoded) line breaks.
std::vector<std::string> StreetSegments(const std::string& raw)
{
	std::vector<std::string> segments(1);
	for (size_t i = 0; i < raw.size(); i++) {
		if (raw[i] == '\\' && i + 1 < raw.size() && (raw[i + 1] == 'n' || raw[i + 1] == 'N')) {
			segments.emplace_back();
			i++;
		} else if (raw[i] == '\\' && i + 1 < raw.size()) {
			segments.back() += raw.substr(i, 2);
			i++;
		} else if (raw[i] == '\n') {
			segments.emplace_back();
		} else {
			segments.back() += raw[i];
		}
	}
	return segments;
}

bool HasText(const std::string& raw)
{
	return !TrimSpace(Unescape(raw)).empty();
}

}  // namespace

// The reader takes the street's lines, then the extended address, then the
// post office box, and keeps the first two with text as the two address
// lines: each changed one is rewritten where it came from.
void CardPatcher::_PatchStreet(std::vector<std::string>* parts)
{
	if (!_Changed(kAddress1Field) && !_Changed(kAddress2Field))
		return;
	std::vector<std::string> street = StreetSegments((*parts)[2]);
	// Each address line as (component, segment); the segment of 1 and 0 is 0.
	std::vector<std::pair<int, size_t>> lines;
	for (size_t i = 0; i < street.size(); i++) {
		if (HasText(street[i]))
			lines.emplace_back(2, i);
	}
	for (const int component : {1, 0}) {
		if (HasText((*parts)[component]))
			lines.emplace_back(component, 0);
	}
	for (const int32 field : {kAddress1Field, kAddress2Field}) {
		const size_t n = static_cast<size_t>(field - kAddress1Field);
		if (!_Changed(field))
			continue;
		const std::string value = EscapeText((*fNew)[field]);
		if (n < lines.size()) {
			std::string& target = lines[n].first == 2 ? street[lines[n].second]
													  : (*parts)[lines[n].first];
			target = value;  // an emptied line is left out when joined
			continue;
		}
		// A new line after the last: moved into the street with those before it.
		std::vector<std::string> moved;
		for (const auto& [component, segment] : lines) {
			moved.push_back(component == 2 ? street[segment] : (*parts)[component]);
			if (component != 2)
				(*parts)[component].clear();
		}
		moved.push_back(value);
		street = moved;
		lines.clear();
		for (size_t i = 0; i < street.size(); i++)
			lines.emplace_back(2, i);
	}
	std::string joined;
	for (const std::string& segment : street) {
		if (HasText(segment))
			joined.append(joined.empty() ? "" : "\\n").append(segment);
	}
	(*parts)[2] = joined;
}

// --- notes

// Both comment fields are one NOTE: the first, a line break, the second, and
// whatever of the old note the fields could not hold after that.
void CardPatcher::_PatchNote()
{
	if (!_Changed(kCommentsField) && !_Changed(kComments2Field))
		return;
	const card_fields& fields = *fNew;
	std::string note = fields[kCommentsField];
	if (!fields[kComments2Field].empty())
		AppendSeparated(&note, "\n", fields[kComments2Field] + _NoteTail());
	const std::vector<size_t> notes = _LinesNamed("NOTE");
	if (notes.empty()) {
		if (!note.empty())
			_Add("NOTE", {}, EscapeText(note));
		return;
	}
	for (size_t i = 1; i < notes.size(); i++)
		_Remove(notes[i]);
	if (note.empty()) {
		_Remove(notes[0]);
		return;
	}
	if (VCardLine* line = _Edit(notes[0]); line != nullptr)
		line->SetValue(EscapeText(note));
}

// What the old note held past the second comment field, worked out the way
// the reader splits a note; "" when nothing was cut.
std::string CardPatcher::_NoteTail() const
{
	const card_fields& old = *fOld;
	if (old[kComments2Field].empty())
		return std::string();
	std::string note;
	for (const size_t position : _LinesNamed("NOTE")) {
		std::optional<VCardLine> content = VCardLine::Parse(_Lexed(position).text);
		VCardValue::DecodeInPlace(&*content, fCard.unicodeFile);
		AppendSeparated(&note, "\n", Unescape(content->Value()));
	}
	std::string flat = FlattenFieldText(note);
	const std::string& first = old[kCommentsField];
	if (flat.compare(0, first.size(), first) != 0)
		return std::string();
	std::string rest = FlattenFieldText(std::string_view(flat).substr(first.size()));
	const size_t kept = UTF8CutLength(rest.data(), rest.size(), kFieldTextLength);
	if (kept >= rest.size() || rest.compare(0, old[kComments2Field].size(), old[kComments2Field]) != 0)
		return std::string();
	return rest.substr(kept);
}

// --- assembling

// Whether, were the removed line at position (the last of a run of removed
// lines) gone, the line after it would be read as more of the line before
// the run: that one looks quoted-printable, this one has no ':' at its start.
bool CardPatcher::_JoinsWithoutIt(size_t position) const
{
	const std::vector<lexed_line>& lines = fLines;
	const auto removed = [this](size_t at) {
		const auto edit = fEdits.find(at);
		return edit != fEdits.end() && !edit->second;
	};
	const size_t next = position + 1;
	if (next >= lines.size() || removed(next) || fEdits.count(next) > 0
		|| lines[next].kind != vcard_line_kind::kContent || lines[next].colonFirst)
		return false;
	size_t first = position;
	while (first > 0 && removed(first - 1))
		first--;
	if (first == 0)
		return false;
	const auto before = fEdits.find(first - 1);
	return before != fEdits.end() ? VCardLexer::LooksQuotedPrintable(before->second->Text())
		: lines[first - 1].quotedPrintable;
}

std::string CardPatcher::_LineText(VCardLine line) const
{
	if (fVersion == vcard_version::k21 && !IsAscii(line.Value()) && line.Parameter("CHARSET") == nullptr)
		line.AddParameter("CHARSET=UTF-8");
	std::string out;
	VCardValue::AppendFolded(line.Text(), fLineBreak, &out);
	return out;
}

std::string CardPatcher::_Assemble() const
{
	const std::vector<lexed_line>& lines = fLines;
	std::string out = fMark;
	out.reserve(fText.size() + 256);
	size_t copied = 0;
	const auto copyTo = [&](size_t position) {
		out.append(fText, copied, position - copied);
		copied = position;
	};
	const size_t insertion = fCard.insertionPoint;
	const auto add = [&] {
		copyTo(insertion < lines.size() ? lines[insertion].begin : fText.size());
		if (!fAdded.empty() && !out.empty() && out.back() != '\n')
			out += fLineBreak;
		for (const VCardLine& line : fAdded)
			out += _LineText(line);
	};
	bool added = false;
	for (const auto& [position, edit] : fEdits) {
		if (!added && position >= insertion) {
			add();
			added = true;
		}
		copyTo(lines[position].begin);
		copied = lines[position].end;
		if (edit) {
			out += _LineText(*edit);
		} else if (_JoinsWithoutIt(position)) {
			// Gone, it would let the next line join a quoted-printable one
			// before it: it stays with no value instead.
			std::optional<VCardLine> empty = VCardLine::Parse(lines[position].text);
			empty->SetValue(std::string());
			out += _LineText(*empty);
		}
	}
	if (!added)
		add();
	copyTo(fText.size());
	return out;
}
