// The pure parts: the word scan.
#include "WordScan.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::string> Words(const char* text, std::vector<std::pair<int32, int32>>* at = nullptr)
{
	std::vector<std::string> words;
	ScanWords(text, strlen(text), [&](const scanned_word& word) {
		words.push_back(word.word);
		if (at != nullptr)
			at->push_back({word.fromEnd, word.restFromEnd});
	});
	return words;
}

TEST(WordScan, PunctuationBlanksAndNonAsciiBytesSeparate)
{
	std::vector<std::pair<int32, int32>> at;
	EXPECT_EQ(Words("mail bob, and ALICE.", &at),
		(std::vector<std::string>{"mail", "bob", "and", "ALICE"}));
	EXPECT_EQ(at, (std::vector<std::pair<int32, int32>>{{20, 16}, {15, 12}, {10, 7}, {6, 1}}));
	EXPECT_EQ(Words("bob\xc3\xa9x_y2"), (std::vector<std::string>{"bob", "x", "y2"}));
	EXPECT_EQ(Words("  ...\t\n"), std::vector<std::string>{});
	EXPECT_EQ(Words(""), std::vector<std::string>{});
	// The first word of a 12-byte text, 3 bytes long: T 12, R 9.
	at.clear();
	Words("abc defghijk", &at);
	EXPECT_EQ(at.front(), (std::pair<int32, int32>{12, 9}));
	EXPECT_EQ(at.back(), (std::pair<int32, int32>{8, 0}));
}

}  // namespace
