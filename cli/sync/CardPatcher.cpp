// Sections: setting up, the fields, structured values, notes, assembling.
#include "CardPatcher.h"

#include <ABookRecord.h>
#include <AsciiText.h>
#include <ContactText.h>

#include <algorithm>

namespace {

// N's components in the order the card writes them.
constexpr int32 kNameComponents[] = {kLastNameField, kFirstNameField, kMiddleNameField};

// The display name the writer gives a card: the names, else the company,
// nickname or first e-mail address.
std::string DisplayName(const card_fields& fields)
{
	std::string name;
	for (const int32 field : {kFirstNameField, kMiddleNameField, kLastNameField}) {
		if (!fields[field].empty())
			AppendSeparated(&name, " ", fields[field]);
	}
	for (const int32 fallback : {kCompanyField, kNicknameField, kEmail1Field}) {
		if (name.empty())
			name = fields[fallback];
	}
	return name;
}

bool IsDigits(std::string_view text)
{
	return !text.empty() && std::all_of(text.begin(), text.end(),
		[](char c) { return c >= '0' && c <= '9'; });
}

// A birthday's value in the card's version: a date where the book's text is
// one the reader gives back as it is, otherwise text (typed so in 4.0).
void BirthdayValue(const std::string& text, const std::string& version,
	std::vector<std::string>* parameters, std::string* value)
{
	const bool basic = version == "4.0";
	std::string date;
	if (text.size() == 10 && IsDigits(text.substr(0, 4)) && text[4] == '-'
		&& IsDigits(text.substr(5, 2)) && text[7] == '-' && IsDigits(text.substr(8, 2)))
		date = basic ? text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2) : text;
	else if (text.size() == 7 && text.compare(0, 2, "--") == 0 && IsDigits(text.substr(2, 2))
		&& text[4] == '-' && IsDigits(text.substr(5, 2)))
		date = basic ? "--" + text.substr(2, 2) + text.substr(5, 2) : text;
	if (!date.empty() && NormalizeBirthday(date) == text) {
		*value = date;
		return;
	}
	if (basic)
		parameters->push_back("VALUE=text");
	*value = EscapeValue(text);
}

// The parameters of a new telephone property of a field, in the card's version.
std::vector<std::string> PhoneParameters(int32 field, const std::string& version)
{
	const char* type = field == kCellField ? "cell" : field == kFaxField ? "fax" : "voice";
	if (version == "2.1")
		return {UpperAscii(type)};
	return {std::string("TYPE=") + (version == "4.0" ? type : UpperAscii(type))};
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
	  fLines(fText),
	  fCard(card),
	  fVersion(TrimSpace(card.version))
{
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
		_PatchValue(kTitleField, "TITLE", nullptr);
		_PatchCompany();
		_PatchAddress();
		_PatchValue(kPhoneField, "TEL", "tel:");
		_PatchValue(kCellField, "TEL", "tel:");
		_PatchValue(kFaxField, "TEL", "tel:");
		_PatchValue(kEmail1Field, "EMAIL", "mailto:");
		_PatchValue(kEmail2Field, "EMAIL", "mailto:");
		_PatchValue(kWebAddressField, "URL", nullptr);
		_PatchNote();
		_PatchBirthday();
	}
	if (!fError.empty()) {
		patch->error = fError;
		return false;
	}
	patch->bytes = _Assemble();
	const std::vector<size_t>& counted = fLines.FirstCard();
	for (size_t index = 0; index < counted.size(); index++) {
		if (fEdits.count(counted[index]) > 0)
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
		const std::optional<ContentLine> line = position == kNone ? std::nullopt
			: ContentLine::Parse(fLines.Lines()[position].text);
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
		|| static_cast<size_t>(index) >= fLines.FirstCard().size())
		return kNone;
	return fLines.FirstCard()[index];
}

std::vector<size_t> CardPatcher::_LinesNamed(const char* name) const
{
	std::vector<size_t> found;
	for (const size_t position : fLines.FirstCard()) {
		const card_line& line = fLines.Lines()[position];
		if (line.depth != 1 || line.kind != card_line_kind::kContent)
			continue;
		// A value the reader could not decode (binary, a NUL) is none of the
		// record's: such a line is left as it is.
		std::optional<ContentLine> content = ContentLine::Parse(line.text);
		if (content && content->Name() == name && content->DecodeValue())
			found.push_back(position);
	}
	return found;
}

size_t CardPatcher::_FirstLineNamed(const char* name) const
{
	const std::vector<size_t> found = _LinesNamed(name);
	return found.empty() ? kNone : found[0];
}

ContentLine* CardPatcher::_Edit(size_t position)
{
	std::optional<ContentLine>& edit = fEdits[position];
	if (!edit) {
		edit = ContentLine::Parse(fLines.Lines()[position].text);
		if (!edit || !edit->DecodeValue()) {
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
		_Add("N", {}, EscapeValue(fields[kLastNameField]) + ";" + EscapeValue(fields[kFirstNameField])
			+ ";" + EscapeValue(fields[kMiddleNameField]) + ";;");
		return;
	}
	for (size_t component = 0; component < 3; component++) {
		const int32 field = kNameComponents[component];
		if (!_Changed(field))
			continue;
		const size_t source = _SourceLine(field);
		ContentLine* line = _Edit(source != kNone ? source : names);
		if (line == nullptr)
			return;
		std::vector<std::string> parts = SplitEscapedValue(line->Value(), ';');
		parts.resize(std::max(parts.size(), component + 1));
		parts[component] = EscapeValue(fields[field]);
		line->SetValue(JoinValue(parts, ';'));
	}
}

// FN follows the display name: the old one inside it is replaced, so a
// title or suffix around it stays.
void CardPatcher::_PatchFullName()
{
	const std::string before = DisplayName(*fOld);
	const std::string after = DisplayName(*fNew);
	if (before == after || after.empty())
		return;
	const size_t position = _FirstLineNamed("FN");
	if (position == kNone) {
		if (fVersion != "2.1")
			_Add("FN", {}, EscapeValue(after));
		return;
	}
	ContentLine* line = _Edit(position);
	if (line == nullptr)
		return;
	std::string text = UnescapeValue(line->Value());
	const size_t at = before.empty() ? std::string::npos : text.find(before);
	if (at != std::string::npos)
		text.replace(at, before.size(), after);
	else
		text = after;
	line->SetValue(EscapeValue(text));
}

// NICKNAME is a list: the book's nickname is its first item with text.
void CardPatcher::_PatchNickname()
{
	if (!_Changed(kNicknameField))
		return;
	const std::string& nickname = (*fNew)[kNicknameField];
	const size_t source = _SourceLine(kNicknameField);
	if (source == kNone) {
		_Add("NICKNAME", {}, EscapeValue(nickname));
		return;
	}
	ContentLine* line = _Edit(source);
	if (line == nullptr)
		return;
	std::vector<std::string> items = SplitEscapedValue(line->Value(), ',');
	const auto hasText = [](const std::string& item) {
		return !FlattenFieldText(UnescapeValue(item)).empty();
	};
	const auto first = std::find_if(items.begin(), items.end(), hasText);
	if (first == items.end())
		return;
	if (!nickname.empty())
		*first = EscapeValue(nickname);
	else
		items.erase(first);
	if (std::none_of(items.begin(), items.end(), hasText))
		_Remove(source);
	else
		line->SetValue(JoinValue(items, ','));
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
		_Add("ORG", {}, EscapeValue(company));
		return;
	}
	ContentLine* line = _Edit(position);
	if (line == nullptr)
		return;
	std::vector<std::string> parts = SplitEscapedValue(line->Value(), ';');
	parts[0] = EscapeValue(company);
	const bool empty = std::all_of(parts.begin(), parts.end(),
		[](const std::string& part) { return FlattenFieldText(UnescapeValue(part)).empty(); });
	if (empty)
		_Remove(position);
	else
		line->SetValue(JoinValue(parts, ';'));
}

// A property of one value: TITLE, TEL, EMAIL, URL. A value that was a URI
// ("tel:", "mailto:") stays one.
void CardPatcher::_PatchValue(int32 field, const char* property, const char* scheme)
{
	if (!_Changed(field))
		return;
	const std::string& text = (*fNew)[field];
	const bool isUrl = std::string_view(property) == "URL";
	std::string value = isUrl ? text : EscapeValue(text);
	const size_t source = _SourceLine(field);
	if (source == kNone) {
		if (scheme != nullptr && text.starts_with(scheme))
			value = scheme + value;
		std::vector<std::string> parameters;
		if (field == kPhoneField || field == kCellField || field == kFaxField)
			parameters = PhoneParameters(field, fVersion);
		else if (field == kEmail1Field || field == kEmail2Field)
			parameters = fVersion == "2.1" ? std::vector<std::string>{"INTERNET"}
										   : std::vector<std::string>{};
		_Add(property, std::move(parameters), std::move(value));
		return;
	}
	if (text.empty()) {
		_Remove(source);
		return;
	}
	ContentLine* line = _Edit(source);
	if (line == nullptr)
		return;
	if (scheme != nullptr
		&& (UnescapeValue(line->Value()).starts_with(scheme) || text.starts_with(scheme)))
		value = scheme + value;
	line->SetValue(std::move(value));
}

void CardPatcher::_PatchBirthday()
{
	if (!_Changed(kBirthdayField))
		return;
	const std::string& text = (*fNew)[kBirthdayField];
	const size_t source = _SourceLine(kBirthdayField);
	if (text.empty()) {
		if (source != kNone)
			_Remove(source);
		return;
	}
	std::vector<std::string> parameters;
	std::string value;
	BirthdayValue(text, fVersion, &parameters, &value);
	if (source == kNone) {
		_Add("BDAY", std::move(parameters), std::move(value));
		return;
	}
	ContentLine* line = _Edit(source);
	if (line == nullptr)
		return;
	line->RemoveParameter("VALUE");
	line->RemoveParameter("X-APPLE-OMIT-YEAR");
	for (std::string& parameter : parameters)
		line->AddParameter(std::move(parameter));
	line->SetValue(std::move(value));
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
	ContentLine* line = nullptr;
	if (source != kNone) {
		if ((line = _Edit(source)) == nullptr)
			return;
		parts = SplitEscapedValue(line->Value(), ';');
		parts.resize(std::max<size_t>(parts.size(), 7));
	}
	_PatchStreet(&parts);
	for (int32 field = kCityField; field <= kCountryField; field++) {
		if (_Changed(field))
			parts[3 + field - kCityField] = EscapeValue(fields[field]);
	}
	if (_Changed(kCountryField))
		parts.resize(7);  // the reader joins any further components into the country
	const bool empty = std::all_of(parts.begin(), parts.end(),
		[](const std::string& part) { return FlattenFieldText(UnescapeValue(part)).empty(); });
	if (line == nullptr && !empty)
		_Add("ADR", {}, JoinValue(parts, ';'));
	else if (line != nullptr && empty)
		_Remove(source);
	else if (line != nullptr)
		line->SetValue(JoinValue(parts, ';'));
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
	return !TrimSpace(UnescapeValue(raw)).empty();
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
		const std::string value = EscapeValue((*fNew)[field]);
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
			_Add("NOTE", {}, EscapeValue(note));
		return;
	}
	for (size_t i = 1; i < notes.size(); i++)
		_Remove(notes[i]);
	if (note.empty()) {
		_Remove(notes[0]);
		return;
	}
	if (ContentLine* line = _Edit(notes[0]); line != nullptr)
		line->SetValue(EscapeValue(note));
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
		std::optional<ContentLine> content = ContentLine::Parse(fLines.Lines()[position].text);
		content->DecodeValue();
		AppendSeparated(&note, "\n", UnescapeValue(content->Value()));
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
	const std::vector<card_line>& lines = fLines.Lines();
	const auto removed = [this](size_t at) {
		const auto edit = fEdits.find(at);
		return edit != fEdits.end() && !edit->second;
	};
	const size_t next = position + 1;
	if (next >= lines.size() || removed(next) || fEdits.count(next) > 0
		|| lines[next].kind != card_line_kind::kContent || lines[next].colonFirst)
		return false;
	size_t first = position;
	while (first > 0 && removed(first - 1))
		first--;
	if (first == 0)
		return false;
	const auto before = fEdits.find(first - 1);
	return before != fEdits.end() ? LooksQuotedPrintable(before->second->Text())
		: lines[first - 1].quotedPrintable;
}

std::string CardPatcher::_LineText(ContentLine line) const
{
	if (fVersion == "2.1" && !IsAscii(line.Value()) && !line.HasParameter("CHARSET"))
		line.AddParameter("CHARSET=UTF-8");
	return FoldLine(line.Text(), fLines.LineBreak());
}

std::string CardPatcher::_Assemble() const
{
	const std::vector<card_line>& lines = fLines.Lines();
	std::string out = fMark;
	out.reserve(fText.size() + 256);
	size_t copied = 0;
	const auto copyTo = [&](size_t position) {
		out.append(fText, copied, position - copied);
		copied = position;
	};
	const size_t insertion = fLines.InsertionPoint();
	const auto add = [&] {
		copyTo(insertion < lines.size() ? lines[insertion].begin : fText.size());
		if (!fAdded.empty() && !out.empty() && out.back() != '\n')
			out += fLines.LineBreak();
		for (const ContentLine& line : fAdded)
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
			std::optional<ContentLine> empty = ContentLine::Parse(lines[position].text);
			empty->SetValue(std::string());
			out += _LineText(*empty);
		}
	}
	if (!added)
		add();
	copyTo(fText.size());
	return out;
}
