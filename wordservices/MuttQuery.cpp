#include "MuttQuery.h"

#include "AsciiText.h"
#include "BookBody.h"
#include "CVABook.h"

#include <cstring>
#include <strings.h>

namespace {

const int32 kSearchedFields[] = {kNicknameField, kFirstNameField, kMiddleNameField,
	kLastNameField, kEmail1Field, kEmail2Field};

mutt_match MatchOf(const ABookRecord* record)
{
	mutt_match match;
	match.address = record->Field(kEmail1Field);
	if (match.address.empty())
		match.address = record->Field(kEmail2Field);
	for (const int32 field : {kFirstNameField, kMiddleNameField, kLastNameField}) {
		const char* part = record->Field(field);
		if (*part == '\0')
			continue;
		if (!match.name.empty())
			match.name += ' ';
		match.name += part;
	}
	match.nickname = record->Field(kNicknameField);
	return match;
}

}  // namespace

namespace {

class MatchCollector {
public:
	explicit MatchCollector(const char* word) : fWord(word), fLowered(word)
	{
		for (char& c : fLowered)
			c = FoldAscii(c);
	}
	void Consider(const ABookRecord* record);
	std::vector<mutt_match> Matches()
	{
		fExact.insert(fExact.end(), fOthers.begin(), fOthers.end());
		return std::move(fExact);
	}

private:
	const char* fWord;
	std::string fLowered;
	std::vector<mutt_match> fExact;
	std::vector<mutt_match> fOthers;
};

void MatchCollector::Consider(const ABookRecord* record)
{
	const std::string& lowered = fLowered;
	const char* word = fWord;
	std::vector<mutt_match>& exact = fExact;
	std::vector<mutt_match>& others = fOthers;
	{
		if (*record->Field(kEmail1Field) == '\0' && *record->Field(kEmail2Field) == '\0')
			return;
		bool found = false;
		for (const int32 field : kSearchedFields) {
			if (ContainsFolded(record->Field(field), lowered)) {
				found = true;
				break;
			}
		}
		if (!found)
			return;
		if (EqualsIgnoringCase(record->Field(kNicknameField), word))
			exact.push_back(MatchOf(record));
		else
			others.push_back(MatchOf(record));
	}
}

}  // namespace

std::vector<mutt_match> MuttQuery(const CVABook& book, const char* word)
{
	MatchCollector collector(word);
	for (const ABookRecord* record = book.FirstRecord(); record != nullptr;
		record = record->Next()) {
		collector.Consider(record);
	}
	return collector.Matches();
}

std::vector<mutt_match> MuttQueryBody(const char* data, size_t size, book_layout layout,
	const char* word)
{
	MatchCollector collector(word);
	// A NUL ends the body; the line it cuts is dropped (as ReadBookBody does).
	const char* nul = static_cast<const char*>(memchr(data, '\0', size));
	const bool stopped = nul != nullptr;
	const char* end = stopped ? nul : data + size;
	const int32 shift = layout == book_layout::kAllColumns ? 0 : 1;
	ABookRecord record;
	const char* line = data;
	while (line < end) {
		const char* lineEnd = static_cast<const char*>(memchr(line, '\n', end - line));
		if (lineEnd == nullptr) {
			if (stopped)
				break;
			lineEnd = end;
		}
		record.ClearFields();
		const char* column = line;
		for (int32 c = 0; column <= lineEnd; c++) {
			const char* columnEnd = static_cast<const char*>(
				memchr(column, '\t', lineEnd - column));
			if (columnEnd == nullptr)
				columnEnd = lineEnd;
			if (c + shift < kBookFieldCount)
				record.SetField(c + shift, column, columnEnd - column);
			column = columnEnd + 1;
		}
		collector.Consider(&record);
		line = lineEnd + 1;
	}
	return collector.Matches();
}

std::string FormatMuttMatches(const std::vector<mutt_match>& matches)
{
	std::string out;
	for (const mutt_match& match : matches)
		out += match.address + '\t' + match.name + '\t' + match.nickname + '\n';
	return out;
}
