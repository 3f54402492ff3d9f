// The text editing model: UTF-8 characters as units of caret movement and deletion,
// the byte limit, selection replacement and word selection.
#include "TextBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using BPrivate::TextBuffer;

namespace {

// "é" is two bytes, "€" three, "𝄞" four.
const char kE[] = "\xc3\xa9";
const char kEuro[] = "\xe2\x82\xac";
const char kClef[] = "\xf0\x9d\x84\x9e";

void Type(TextBuffer& buffer, const char* bytes)
{
	buffer.ReplaceSelection(bytes, (int32)strlen(bytes));
}

TEST(TextBuffer, TypingMultiByteCharactersAndBackspacingOverThem)
{
	TextBuffer buffer;
	Type(buffer, "a");
	Type(buffer, kE);
	Type(buffer, kEuro);
	Type(buffer, kClef);
	EXPECT_EQ(buffer.Text(), std::string("a") + kE + kEuro + kClef);
	EXPECT_EQ(buffer.Caret(), 10);

	buffer.DeleteBackward();
	EXPECT_EQ(buffer.Text(), std::string("a") + kE + kEuro);
	buffer.DeleteBackward();
	EXPECT_EQ(buffer.Text(), std::string("a") + kE);
	buffer.DeleteBackward();
	EXPECT_EQ(buffer.Text(), "a");
	buffer.DeleteBackward();
	buffer.DeleteBackward();  // nothing left: harmless
	EXPECT_EQ(buffer.Text(), "");
	EXPECT_EQ(buffer.Caret(), 0);
}

TEST(TextBuffer, CaretStepsAndForwardDeleteTakeWholeCharacters)
{
	TextBuffer buffer;
	const std::string text = std::string(kEuro) + "x" + kClef;
	buffer.SetText(text.data(), (int32)text.size());
	EXPECT_EQ(buffer.NextCharStart(0), 3);
	EXPECT_EQ(buffer.NextCharStart(3), 4);
	EXPECT_EQ(buffer.NextCharStart(4), 8);
	EXPECT_EQ(buffer.PreviousCharStart(8), 4);
	EXPECT_EQ(buffer.PreviousCharStart(3), 0);

	// Offsets inside a character snap back to its start.
	buffer.Select(1, 6);
	EXPECT_EQ(buffer.SelectionStart(), 0);
	EXPECT_EQ(buffer.SelectionEnd(), 4);

	buffer.MoveCaret(4, false);
	buffer.DeleteForward();
	EXPECT_EQ(buffer.Text(), std::string(kEuro) + "x");
}

TEST(TextBuffer, ByteLimitNeverSplitsACharacter)
{
	TextBuffer buffer;
	buffer.SetMaxBytes(5);
	Type(buffer, "ab");
	// Three bytes left; the clef needs four and is refused whole.
	Type(buffer, kClef);
	EXPECT_EQ(buffer.Text(), "ab");
	// "€é" is five bytes: only the euro fits.
	Type(buffer, (std::string(kEuro) + kE).c_str());
	EXPECT_EQ(buffer.Text(), std::string("ab") + kEuro);
	EXPECT_EQ(buffer.Length(), 5);
	Type(buffer, "z");
	EXPECT_EQ(buffer.Length(), 5);

	// Lowering the limit cuts the text back to a boundary.
	buffer.SetMaxBytes(4);
	EXPECT_EQ(buffer.Text(), "ab");
	EXPECT_LE(buffer.Caret(), buffer.Length());

	// A limit of exactly a character boundary keeps it whole.
	TextBuffer exact;
	exact.SetMaxBytes(6);
	const std::string two = std::string(kEuro) + kEuro + kEuro;
	exact.SetText(two.data(), (int32)two.size());
	EXPECT_EQ(exact.Text(), std::string(kEuro) + kEuro);
}

TEST(TextBuffer, TypingReplacesTheSelection)
{
	TextBuffer buffer;
	buffer.SetText("hello world", 11);
	buffer.Select(6, 11);
	Type(buffer, "there");
	EXPECT_EQ(buffer.Text(), "hello there");
	EXPECT_FALSE(buffer.HasSelection());
	EXPECT_EQ(buffer.Caret(), 11);

	// With a byte limit the selection's bytes are freed before the new text is cut.
	buffer.SetMaxBytes(11);
	buffer.Select(0, 5);
	Type(buffer, "HOWDY!");
	EXPECT_EQ(buffer.Text(), "HOWDY there");

	// Backspace over a selection removes just the selection.
	buffer.Select(5, 11);
	buffer.DeleteBackward();
	EXPECT_EQ(buffer.Text(), "HOWDY");
}

TEST(TextBuffer, InsertAndDeleteKeepTheSelectionOnItsText)
{
	TextBuffer buffer;
	buffer.SetText("abcdef", 6);
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
}

TEST(TextBuffer, ShiftMovementExtendsFromTheAnchor)
{
	TextBuffer buffer;
	buffer.SetText("abcdef", 6);
	buffer.MoveCaret(3, false);
	buffer.MoveCaret(5, true);
	EXPECT_EQ(buffer.SelectionStart(), 3);
	EXPECT_EQ(buffer.SelectionEnd(), 5);
	buffer.MoveCaret(1, true);  // back across the anchor
	EXPECT_EQ(buffer.SelectionStart(), 1);
	EXPECT_EQ(buffer.SelectionEnd(), 3);
	EXPECT_EQ(buffer.Anchor(), 3);
}

TEST(TextBuffer, MalformedBytesAreSingleCharacters)
{
	TextBuffer buffer;
	// A stray continuation byte, a cut-short euro, then a good é.
	const std::string text = std::string("\x82") + "\xe2\x82" + "q" + kE;
	buffer.SetText(text.data(), (int32)text.size());
	EXPECT_EQ(buffer.NextCharStart(0), 1);
	EXPECT_EQ(buffer.NextCharStart(1), 2);
	EXPECT_EQ(buffer.NextCharStart(2), 3);
	EXPECT_EQ(buffer.PreviousCharStart(4), 3);
	EXPECT_EQ(buffer.PreviousCharStart(3), 2);
	EXPECT_EQ(buffer.PreviousCharStart(6), 4);
	EXPECT_EQ(buffer.SnapToBoundary(2), 2);
	EXPECT_EQ(buffer.SnapToBoundary(5), 4);

	// Deleting backwards from the end empties it in five steps, never splitting é.
	buffer.MoveCaret(buffer.Length(), false);
	int steps = 0;
	while (buffer.Length() > 0 && steps < 10) {
		buffer.DeleteBackward();
		steps++;
	}
	EXPECT_EQ(steps, 5);
}

TEST(TextBuffer, WordsAndLines)
{
	TextBuffer buffer;
	const std::string text = std::string("one caf") + kE + "-two\nthree";
	buffer.SetText(text.data(), (int32)text.size());
	int32 start, end;
	buffer.WordAt(5, &start, &end);
	EXPECT_EQ(text.substr(start, end - start), std::string("caf") + kE);
	buffer.WordAt(9, &start, &end);  // the hyphen alone
	EXPECT_EQ(text.substr(start, end - start), "-");
	buffer.WordAt(buffer.Length(), &start, &end);
	EXPECT_EQ(text.substr(start, end - start), "three");

	const int32 secondLine = (int32)text.find('\n') + 1;
	EXPECT_EQ(buffer.LineStart(secondLine + 2), secondLine);
	EXPECT_EQ(buffer.LineEnd(2), secondLine - 1);
	EXPECT_EQ(buffer.LineEnd(secondLine), buffer.Length());
}

TEST(TextBuffer, FitPrefix)
{
	const std::string text = std::string("a") + kClef + "b";
	EXPECT_EQ(TextBuffer::FitPrefix(text.data(), 6, 0), 0);
	EXPECT_EQ(TextBuffer::FitPrefix(text.data(), 6, 4), 1);
	EXPECT_EQ(TextBuffer::FitPrefix(text.data(), 6, 5), 5);
	EXPECT_EQ(TextBuffer::FitPrefix(text.data(), 6, 100), 6);
}

}  // namespace
