// The search's rule: case in every script, canonical equivalence, what folding
// lengthens, the Turkish i, compatibility forms, invalid UTF-8 on either side,
// the empty key; and the ASCII scan its fast path stands on.
#include "AsciiText.h"
#include "SearchKey.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct search_case {
	const char* key;
	std::string text;
	bool in;  // key.IsIn(text)
	bool is;  // key.Is(text)
};

const search_case kCases[] = {
	// Case in Latin, Cyrillic, Greek (final sigma folds to sigma).
	{"müller", "Müller", true, true},
	{"MÜLLER", "Hans Müller", true, false},
	{"Müller", "MÜLLER", true, true},
	{"ёжик", "Ёжик", true, true},
	{"ЁЖИК", "ёжик в тумане", true, false},
	{"σίσυφος", "ΣΊΣΥΦΟΣ", true, true},
	{"Lee", "ray", false, false},
	// Scripts without case match themselves, whole characters.
	{"山田", "山田太郎", true, false},
	{"محمد", "محمد علي", true, false},
	{"하", "한", false, false},
	// Precomposed and decomposed, either way; marks in another order.
	{"e\u0301", "Café", true, false},
	{"é", "Cafe\u0301", true, false},
	{"CAFÉ", "cafe\u0301", true, true},
	{"ệ", "Ê\u0323", true, true},
	{"e\u0302\u0323", "ệ", true, true},
	// Composed form: an accent is part of its letter, also where the text
	// starts with ASCII bytes that would match alone.
	{"e", "é", false, false},
	{"cafe", "Cafe\u0301", false, false},
	// Folding lengthens or changes script: ß, ẞ, the Kelvin sign, ligatures.
	{"strasse", "Straße", true, true},
	{"STRAẞE", "strasse", true, true},
	{"ß", "Strasse", true, false},
	{"kelvin", "\u212Aelvin", true, true},
	{"fit", "ﬁt", true, true},
	// Compatibility forms stay apart.
	{"a", "Ａ", false, false},
	{"2", "m²", false, false},
	// Locale-free folding: dotless ı only itself, İ is i with a dot above.
	{"i", "I", true, true},
	{"ı", "I", false, false},
	{"istanbul", "İstanbul", false, false},
	{"İSTANBUL", "İstanbul", true, true},
	// Invalid UTF-8 in a text parts it and matches nothing, not even U+FFFD.
	{"müller", "\xff" "Müller", true, false},
	{"ab", "a\xff" "b", false, false},
	{"\uFFFD", "a\xff" "b", false, false},
	{"é", "\xc3", false, false},
	{"a", "a\xff", true, false},
	// A key that is not UTF-8 is looked for by its bytes, ASCII folded.
	{"M\xfcller", "hans m\xfcller", true, false},
	{"m\xfcller", "M\xfcLLER", true, true},
	{"m\xfcller", "Müller", false, false},
	// The empty key is in every text and is only the empty one.
	{"", "", true, true},
	{"", "Müller", true, false},
	{"", "\xff", true, false},
};

TEST(SearchKey, FindsTextWithoutRegardToCaseOrNormalisation)
{
	for (const search_case& c : kCases) {
		const SearchKey key(c.key);
		EXPECT_EQ(key.IsIn(c.text), c.in) << c.key << " in " << c.text;
		EXPECT_EQ(key.Is(c.text), c.is) << c.key << " is " << c.text;
	}
}

// What a caller that passes texts over by bytes is promised.
TEST(SearchKey, FoldedIsWhatAsciiTextsHold)
{
	EXPECT_EQ(SearchKey("MÜLLER").Folded(), "müller");
	EXPECT_EQ(SearchKey("Straße Nord").Folded(), "strasse nord");
	EXPECT_FALSE(SearchKey("Müller").ComparesBytes());
	EXPECT_TRUE(SearchKey("M\xfcller").ComparesBytes());
	EXPECT_EQ(SearchKey("M\xfcller").Folded(), "m\xfcller");
}

TEST(AsciiText, AsciiLengthStopsAtTheFirstHighByteWherever)
{
	for (size_t at = 0; at < 20; at++) {
		std::string text(20, 'a');
		text[at] = '\x80';
		EXPECT_EQ(AsciiLength(text), at);
	}
	EXPECT_EQ(AsciiLength(std::string(19, 'a')), 19u);
	EXPECT_TRUE(IsAscii(""));
}

}  // namespace
