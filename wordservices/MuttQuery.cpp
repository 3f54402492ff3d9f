#include "MuttQuery.h"

#include "CVABook.h"

#include <cstring>
#include <strings.h>

namespace {

inline char Lower(char c)
{
	return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether field contains the lower-cased word, ASCII case ignored.
bool Contains(const char* field, const std::string& word)
{
	const size_t length = word.size();
	if (length == 0)
		return true;
	const char first = word[0];
	for (const char* start = field; *start != '\0'; start++) {
		if (Lower(*start) != first)
			continue;
		size_t i = 1;
		while (i < length && start[i] != '\0' && Lower(start[i]) == word[i])
			i++;
		if (i == length)
			return true;
		if (start[i] == '\0')
			return false;
	}
	return false;
}

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

std::vector<mutt_match> MuttQuery(const CVABook& book, const char* word)
{
	std::string lowered(word);
	for (char& c : lowered)
		c = Lower(c);
	std::vector<mutt_match> exact;
	std::vector<mutt_match> others;
	for (const ABookRecord* record = book.FirstRecord(); record != nullptr;
		record = record->Next()) {
		if (*record->Field(kEmail1Field) == '\0' && *record->Field(kEmail2Field) == '\0')
			continue;
		bool found = false;
		for (const int32 field : kSearchedFields) {
			if (Contains(record->Field(field), lowered)) {
				found = true;
				break;
			}
		}
		if (!found)
			continue;
		if (strcasecmp(record->Field(kNicknameField), word) == 0)
			exact.push_back(MatchOf(record));
		else
			others.push_back(MatchOf(record));
	}
	exact.insert(exact.end(), others.begin(), others.end());
	return exact;
}

std::string FormatMuttMatches(const std::vector<mutt_match>& matches)
{
	std::string out;
	for (const mutt_match& match : matches)
		out += match.address + '\t' + match.name + '\t' + match.nickname + '\n';
	return out;
}
