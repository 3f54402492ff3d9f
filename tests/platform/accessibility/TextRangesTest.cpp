// The rules a screen reader's questions go through without a window: the pieces
// of text around an offset, and keys as X names them.
#include "KeySymbols.h"
#include "TextRanges.h"

#include <InterfaceDefs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using BPrivate::KeySymbols;
using BPrivate::TextRanges;

namespace {

struct Piece {
	const char* text;
	std::vector<int32> lineStarts;
	TextRanges::Boundary boundary;
	TextRanges::Which which;
	int32 offset;
	int32 start;
	int32 end;
	const char* piece;
};

}  // namespace

TEST(TextRangesTest, PiecesAroundAnOffsetFollowAtksBoundaries)
{
	const char* sentences = "Hello, big world. Next one!";
	const char* lines = "one\ntwo\nthree";
	const std::vector<Piece> cases = {
		{sentences, {}, TextRanges::kCharacter, TextRanges::kAt, 1, 1, 2, "e"},
		{sentences, {}, TextRanges::kCharacter, TextRanges::kAfter, 1, 2, 3, "l"},
		{sentences, {}, TextRanges::kWordStart, TextRanges::kAt, 2, 0, 7, "Hello, "},
		{sentences, {}, TextRanges::kWordStart, TextRanges::kAfter, 2, 7, 11, "big "},
		{sentences, {}, TextRanges::kWordStart, TextRanges::kBefore, 2, 2, 2, ""},
		{sentences, {}, TextRanges::kWordStart, TextRanges::kAt, 27, 23, 27, "one!"},
		{sentences, {}, TextRanges::kWordEnd, TextRanges::kAt, 7, 5, 10, ", big"},
		{sentences, {}, TextRanges::kWordEnd, TextRanges::kAt, 5, 0, 5, "Hello"},
		{sentences, {}, TextRanges::kSentenceStart, TextRanges::kAt, 5, 0, 18,
			"Hello, big world. "},
		{sentences, {}, TextRanges::kSentenceStart, TextRanges::kAfter, 5, 18, 27, "Next one!"},
		{sentences, {}, TextRanges::kSentenceEnd, TextRanges::kAt, 20, 17, 27, " Next one!"},
		{lines, {}, TextRanges::kLineStart, TextRanges::kAt, 5, 4, 8, "two\n"},
		{lines, {}, TextRanges::kLineStart, TextRanges::kBefore, 5, 0, 4, "one\n"},
		{lines, {}, TextRanges::kLineEnd, TextRanges::kAt, 5, 3, 7, "\ntwo"},
		{lines, {}, TextRanges::kParagraph, TextRanges::kAt, 13, 8, 13, "three"},
		{"aaa bbb", {4}, TextRanges::kLineStart, TextRanges::kAt, 5, 4, 7, "bbb"},
		{"aaa bbb", {4}, TextRanges::kLineStart, TextRanges::kAt, 1, 0, 4, "aaa "},
		{"h\xc3\xa9llo w\xc3\xb6rld", {}, TextRanges::kWordStart, TextRanges::kAt, 8, 6, 11,
			"w\xc3\xb6rld"},
		{"h\xc3\xa9llo", {}, TextRanges::kCharacter, TextRanges::kAt, 1, 1, 2, "\xc3\xa9"},
		{"", {}, TextRanges::kWordStart, TextRanges::kAt, 0, 0, 0, ""},
	};
	for (const Piece& each : cases) {
		const TextRanges ranges(each.text, each.lineStarts);
		int32 start = -1;
		int32 end = -1;
		ranges.Piece(each.boundary, each.which, each.offset, &start, &end);
		const std::string what = std::string(each.text) + " @" + std::to_string(each.offset);
		EXPECT_EQ(start, each.start) << what;
		EXPECT_EQ(end, each.end) << what;
		EXPECT_EQ(ranges.Between(start, end), each.piece) << what;
	}
}

TEST(TextRangesTest, OffsetsCountCharactersAndMalformedBytesOneEach)
{
	const TextRanges ranges("a\xc3\xa9\xff" "b");
	EXPECT_EQ(ranges.CountCharacters(), 4);
	EXPECT_EQ(ranges.ToByte(2), 3);
	EXPECT_EQ(ranges.ToCharacter(4), 3);
	EXPECT_EQ(ranges.Between(1, -1), "\xc3\xa9\xff" "b");
	EXPECT_EQ(ranges.Between(3, 99), "b");
}

TEST(KeySymbolsTest, KeysAsXNamesThem)
{
	const struct {
		const char* bytes;
		int32 key;
		uint32 symbol;
		const char* text;
	} cases[] = {
		{"a", 0, 0x61, "a"},
		{"\xc3\xa9", 0, 0xe9, "\xc3\xa9"},
		{"\xd0\xb6", 0, 0x01000436, "\xd0\xb6"},
		{"\n", 0, 0xff0d, "Return"},
		{"\t", 0, 0xff09, "Tab"},
		{"\x1e", 0, 0xff52, "Up"},
		{" ", 0, 0x20, "space"},
		{"\x10", B_F10_KEY, 0xffc7, "F10"},
		{"\x10", 0, 0, ""},
		{"\x03", 0, 0, ""},
		{"", 0, 0, ""},
	};
	for (const auto& each : cases) {
		const KeySymbols::Key key = KeySymbols::For(each.bytes, each.key);
		EXPECT_EQ(key.symbol, each.symbol) << each.text;
		EXPECT_EQ(key.text, each.text) << each.text;
	}
	EXPECT_EQ(KeySymbols::StateOf(B_SHIFT_KEY | B_COMMAND_KEY), 5u);
	EXPECT_EQ(KeySymbols::StateOf(B_OPTION_KEY | B_CAPS_LOCK), 10u);
	EXPECT_EQ(KeySymbols::StateOf(0), 0u);
}
