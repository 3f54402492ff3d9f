// Generated records for round trips: hostile text (vCard's and CSV's special
// characters, several scripts, URI and card look-alikes, spaces at either
// end), 40-byte values, empty fields in every combination, birthdays with and
// without a year and as free text.
#ifndef _HOSTILE_RECORDS_H
#define _HOSTILE_RECORDS_H

#include <ABookRecord.h>
#include <FieldPlacement.h>

#include <iterator>
#include <random>
#include <string>

// Pieces of hostile text: vCard's and CSV's special characters, several
// scripts, URI look-alikes, spaces at either end.
inline const char* const kPieces[] = {",", ";", "\\", ":", "\"", "\\n", "\\,", " ", "=", "'", "é",
	"Ω", "Жук", "日本語", "한국", "العربية", "😀", "tel:", "mailto:", "http://h.test/?a=1,2",
	"Ann", "Lee", "O'Neil", "=0D=0A", "BEGIN:VCARD", "END:VCARD", "--", "1990", "x"};

inline std::string RandomText(std::mt19937& random, size_t maxBytes)
{
	std::string text;
	const size_t pieces = random() % 8;
	for (size_t i = 0; i < pieces; i++)
		text += kPieces[random() % std::size(kPieces)];
	text.resize(UTF8CutLength(text.data(), text.size(), maxBytes));
	return text;
}

inline record_texts RandomRecord(std::mt19937& random)
{
	record_texts texts;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (random() % 3 == 0)
			continue;  // empty fields, in every combination
		texts[field] = random() % 4 == 0 ? std::string(40, 'a' + char(field))
			: RandomText(random, kFieldTextLength);
	}
	const char* const birthdays[] = {"1990-05-01", "--02-29", "2000-12-31", "next spring", ""};
	texts[kBirthdayField] = birthdays[random() % std::size(birthdays)];
	return texts;
}

#endif
