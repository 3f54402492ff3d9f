// The text editing model, for what the text view tests do not reach through keys:
// character stepping over good and malformed UTF-8, selection snapping and its
// following of inserts and deletes, extending across the anchor, words, lines and
// the prefix that fits a byte limit.
#include "TextBuffer.h"

#include <gtest/gtest.h>

#include <string>

using BPrivate::TextBuffer;

namespace {

// "é" is two bytes, "€" three, "𝄞" four.
const std::string kE = "\xc3\xa9";
const std::string kEuro = "\xe2\x82\xac";
const std::string kClef = "\xf0\x9d\x84\x9e";

void SetText(TextBuffer& buffer, const std::string& text)
{
	buffer.SetText(text.data(), (int32)text.size());
}

TEST(TextBuffer, StepsTakeWholeCharactersAndMalformedBytesOneEach)
{
	TextBuffer buffer;
	SetText(buffer, kEuro + "x" + kClef);
	EXPECT_EQ(buffer.NextCharStart(0), 3);
	EXPECT_EQ(buffer.NextCharStart(3), 4);
	EXPECT_EQ(buffer.NextCharStart(4), 8);
	EXPECT_EQ(buffer.PreviousCharStart(8), 4);
	EXPECT_EQ(buffer.PreviousCharStart(3), 0);
	// Offsets inside a character snap back to its start.
	buffer.Select(1, 6);
	EXPECT_EQ(buffer.SelectionStart(), 0);
	EXPECT_EQ(buffer.SelectionEnd(), 4);

	// Malformed bytes are one character each (stepped by keys in the text view tests);
	// snapping leaves them alone.
	SetText(buffer, "\x82\xe2\x82q" + kE);
	EXPECT_EQ(buffer.PreviousCharStart(3), 2);
	EXPECT_EQ(buffer.SnapToBoundary(2), 2);
	EXPECT_EQ(buffer.SnapToBoundary(5), 4);
}

TEST(TextBuffer, TheSelectionFollowsItsTextShiftExtendsFromTheAnchorAndWordsAndLinesAreFound)
{
	TextBuffer buffer;
	SetText(buffer, "abcdef");
	buffer.Select(2, 4);  // "cd"
	buffer.Insert(0, "XY", 2);
	EXPECT_EQ(buffer.SelectionStart(), 4);
	EXPECT_EQ(buffer.SelectionEnd(), 6);
	buffer.Insert(8, "!", 1);  // after the selection: unchanged
	EXPECT_EQ(buffer.SelectionEnd(), 6);
	buffer.Delete(0, 5);  // cuts into the selection from the left
	EXPECT_EQ(buffer.Text(), "def!");
	EXPECT_EQ(buffer.SelectionStart(), 0);
	EXPECT_EQ(buffer.SelectionEnd(), 1);
	buffer.Delete(3, 1);  // reversed bounds work
	EXPECT_EQ(buffer.Text(), "d!");
	// Backspace over a selection removes just the selection.
	SetText(buffer, "HOWDY there");
	buffer.Select(5, 11);
	buffer.DeleteBackward();
	EXPECT_EQ(buffer.Text(), "HOWDY");

	buffer.MoveCaret(1, false);
	buffer.MoveCaret(3, true);
	EXPECT_EQ(buffer.SelectionStart(), 1);
	EXPECT_EQ(buffer.SelectionEnd(), 3);
	buffer.MoveCaret(0, true);  // back across the anchor
	EXPECT_EQ(buffer.SelectionStart(), 0);
	EXPECT_EQ(buffer.SelectionEnd(), 1);
	EXPECT_EQ(buffer.Anchor(), 1);

	// Words, lines and the prefix that fits a byte limit.
	const std::string text = "one caf" + kE + "-two\nthree";
	SetText(buffer, text);
	int32 start, end;
	buffer.WordAt(5, &start, &end);
	EXPECT_EQ(text.substr(start, end - start), "caf" + kE);
	buffer.WordAt(9, &start, &end);  // the hyphen alone
	EXPECT_EQ(text.substr(start, end - start), "-");
	buffer.WordAt(buffer.Length(), &start, &end);
	EXPECT_EQ(text.substr(start, end - start), "three");

	const int32 secondLine = (int32)text.find('\n') + 1;
	EXPECT_EQ(buffer.LineStart(secondLine + 2), secondLine);
	EXPECT_EQ(buffer.LineEnd(2), secondLine - 1);
	EXPECT_EQ(buffer.LineEnd(secondLine), buffer.Length());

	const std::string clef = "a" + kClef + "b";
	EXPECT_EQ(TextBuffer::FitPrefix(clef.data(), 6, 0), 0);
	EXPECT_EQ(TextBuffer::FitPrefix(clef.data(), 6, 4), 1);
	EXPECT_EQ(TextBuffer::FitPrefix(clef.data(), 6, 5), 5);
	EXPECT_EQ(TextBuffer::FitPrefix(clef.data(), 6, 100), 6);
}

}  // namespace
