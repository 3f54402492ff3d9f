#include "RecordBuilder.h"

#include "CVABook.h"
#include "ContactText.h"
#include "DisplayName.h"

#include <algorithm>

namespace {

std::vector<std::string> Words(std::string_view text)
{
	std::vector<std::string> words;
	for (size_t start = 0; start < text.size();) {
		const size_t end = std::min(text.find(' ', start), text.size());
		if (end > start)
			words.emplace_back(text.substr(start, end - start));
		start = end + 1;
	}
	return words;
}

bool ContainsWord(std::string_view text, const std::string& word)
{
	for (const std::string& candidate : Words(text)) {
		if (candidate == word)
			return true;
	}
	return false;
}

}  // namespace

RecordBuilder::RecordBuilder(ConversionReport* report, const char* kind, int32 number)
	:
	fReport(report),
	fKind(kind),
	fNumber(number)
{
}

bool RecordBuilder::Put(int32 field, std::string_view text, int32 line,
	std::string_view property)
{
	return PutFirstFree({field}, text, line, property);
}

bool RecordBuilder::PutFirstFree(std::initializer_list<int32> fields, std::string_view text,
	int32 line, std::string_view property)
{
	const std::string flat = FlattenFieldText(text);
	if (flat.empty())
		return true;
	for (const int32 field : fields) {
		if (fFields[field].empty()) {
			fFields[field] = flat;
			fOrigins[field] = {line, std::string(property)};
			return true;
		}
	}
	std::string names;
	for (const int32 field : fields)
		AppendSeparated(&names, ", ", kBookFieldNames[field]);
	Lose(line, property, QuoteValue(flat) + " dropped: " + names + " already taken");
	return false;
}

void RecordBuilder::PutNote(std::string_view text, int32 line, std::string_view property)
{
	text = TrimSpace(text);
	if (text.empty())
		return;
	const size_t lineEnd = text.find_first_of("\r\n");
	std::string first, rest;
	if (lineEnd != std::string_view::npos && lineEnd <= kFieldTextLength) {
		first = TrimSpace(text.substr(0, lineEnd));
		rest = TrimSpace(text.substr(lineEnd));
	} else if (text.size() > kFieldTextLength) {
		// Break at a space when the rest then still fits, else where the most is kept.
		size_t cut = UTF8CutLength(text.data(), text.size(), kFieldTextLength);
		const size_t space = text.substr(0, cut + 1).find_last_of(' ');
		if (space != std::string_view::npos && space >= kFieldTextLength / 2
			&& TrimSpace(text.substr(space)).size() <= kFieldTextLength)
			cut = space;
		first = TrimSpace(text.substr(0, cut));
		rest = TrimSpace(text.substr(cut));
	} else {
		first = text;
	}
	for (char& c : rest) {
		if (c == '\r' || c == '\n')
			c = ' ';
	}
	if (!fFields[kCommentsField].empty()) {
		// A second note: what the second comment field can hold of it.
		std::string both = first;
		AppendSeparated(&both, " ", rest);
		rest = std::move(both);
		first.clear();
	}
	Put(kCommentsField, first, line, property);
	Put(kComments2Field, rest, line, property);
}

void RecordBuilder::NoField(std::string_view text, int32 line, std::string_view property)
{
	text = TrimSpace(text);
	if (!text.empty())
		Lose(line, property, QuoteValue(text) + " dropped: no field holds it");
}

void RecordBuilder::SetFullName(std::string_view text, int32 line, std::string_view property)
{
	const std::string flat = FlattenFieldText(text);
	if (flat.empty())
		return;
	if (!fFullName.empty()) {
		NoField(flat, line, property);
		return;
	}
	fFullName = flat;
	fFullNameOrigin = {line, std::string(property)};
}

void RecordBuilder::AddReportedNameWords(std::string_view text)
{
	fReportedNameWords.append(" ").append(text);
}

void RecordBuilder::ApplyFullName()
{
	if (fFullName.empty())
		return;
	const int32 line = fFullNameOrigin.line;
	const std::string& property = fFullNameOrigin.property;
	const bool hasNames = !fFields[kFirstNameField].empty()
		|| !fFields[kMiddleNameField].empty() || !fFields[kLastNameField].empty();
	if (!hasNames && !fHasNameParts) {
		std::vector<std::string> words = Words(fFullName);
		if (words.empty())
			return;
		if (words.size() == 1) {
			fFields[kFirstNameField] = words[0];
			fOrigins[kFirstNameField] = fFullNameOrigin;
			return;
		}
		fFields[kFirstNameField] = words.front();
		fFields[kLastNameField] = words.back();
		std::string middle;
		for (size_t i = 1; i + 1 < words.size(); i++)
			AppendSeparated(&middle, " ", words[i]);
		fFields[kMiddleNameField] = middle;
		for (const int32 field : {kFirstNameField, kMiddleNameField, kLastNameField})
			fOrigins[field] = fFullNameOrigin;
		return;
	}
	// A display name made of what the record keeps loses nothing: its names,
	// or for a card without them its company, nickname or e-mail address, or
	// the stand-in the writer gives such a card.
	std::string known = fReportedNameWords;
	for (const int32 field : {kFirstNameField, kMiddleNameField, kLastNameField, kCompanyField,
			kNicknameField, kEmail1Field})
		known += " " + fFields[field];
	bool standIn = false;  // the stand-in is added only when needed: it is rare
	for (const std::string& word : Words(fFullName)) {
		if (!ContainsWord(known, word) && !standIn) {
			known += " " + DisplayName(fFields.data(), kBookFieldCount);
			standIn = true;
		}
		if (!ContainsWord(known, word)) {
			Lose(line, property,
				QuoteValue(fFullName) + " dropped: the name fields do not hold all of it");
			return;
		}
	}
}

std::string RecordBuilder::ItemName() const
{
	std::string name;
	for (const int32 field : {kFirstNameField, kMiddleNameField, kLastNameField}) {
		if (!fFields[field].empty())
			AppendSeparated(&name, " ", fFields[field]);
	}
	if (name.empty())
		name = fFullName;
	for (const int32 field : {kCompanyField, kNicknameField, kEmail1Field}) {
		if (name.empty())
			name = fFields[field];
	}
	std::string item = fKind;
	item += ' ';
	item += std::to_string(fNumber);
	if (!name.empty()) {
		item += ' ';
		item += QuoteValue(name);
	}
	return item;
}

void RecordBuilder::Note(note_kind kind, int32 line, std::string_view property,
	std::string text)
{
	fPending.push_back({kind, line, std::string(property), std::move(text)});
}

bool RecordBuilder::Commit(CVABook* book, int32 line)
{
	ApplyFullName();
	bool any = false;
	for (const std::string& value : fFields)
		any = any || !value.empty();
	ABookRecord* record = any ? book->AddRecord() : nullptr;
	for (int32 field = 0; any && field < kBookFieldCount; field++) {
		const std::string& text = fFields[field];
		size_t kept = UTF8CutLength(text.data(), text.size(), kFieldTextLength);
		if (kept < text.size()) {
			while (kept > 0 && text[kept - 1] == ' ')
				kept--;  // a cut before a space leaves no space at the end
			Lose(fOrigins[field].line, fOrigins[field].property,
				std::string(kBookFieldNames[field]) + " cut to " + std::to_string(kept)
					+ " bytes, dropped " + QuoteValue(std::string_view(text).substr(kept)));
		}
		record->SetField(field, text.data(), kept);
	}
	if (!any) {
		Note(note_kind::kWarning, line, "",
			std::string("the ") + fKind + " holds nothing a field can keep: no contact is made of it");
	}
	std::stable_sort(fPending.begin(), fPending.end(),
		[](const pending_note& a, const pending_note& b) { return a.line < b.line; });
	const std::string item = ItemName();
	for (const pending_note& note : fPending)
		fReport->Add(note.kind, note.line, item, note.property, note.text);
	fPending.clear();
	return any;
}

