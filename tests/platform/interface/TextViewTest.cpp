// The text view on the headless screen, driven by real keys and clicks: UTF-8
// typing and deleting, the byte limit, selection by keys and mouse, the clipboard,
// subclasses that filter keys, sideways scrolling and word wrap. (How the caret
// and the selection look is left to the eye.)
#include "WindowTestSupport.h"

#include <Message.h>
#include <TextView.h>

#include "TextLayout.h"

#include <string>

namespace {

// Drops typed digits before the base view sees them, as an entry field's key
// filter would, and records every KeyDown it is given.
class DigitFilterView : public BTextView {
public:
	DigitFilterView(BRect frame, BRect textRect)
		: BTextView(frame, "filtered", textRect, B_FOLLOW_LEFT | B_FOLLOW_TOP,
			B_WILL_DRAW | B_NAVIGABLE)
	{
	}
	void KeyDown(const char* bytes, int32 numBytes) override
	{
		seen.emplace_back(bytes, (size_t)numBytes);
		if (numBytes == 1 && bytes[0] >= '0' && bytes[0] <= '9')
			return;
		BTextView::KeyDown(bytes, numBytes);
	}
	std::vector<std::string> seen;
};

class TextViewTest : public WindowTest {
protected:
	// A window at (100, 100) with one text view at (10, 10, 170, 30) and the text
	// rectangle an entry field uses, without word wrap; focused unless told otherwise.
	void Build(bool focus = true)
	{
		fWindow = new BWindow(BRect(100, 100, 399, 299), "text", B_TITLED_WINDOW, 0);
		fView = new DigitFilterView(BRect(10, 10, 170, 30), BRect(5, 4, 152, 10));
		fView->SetWordWrap(false);
		fWindow->AddChild(fView);
		if (focus)
			fView->MakeFocus(true);
		Open(BRect(), fWindow);
	}

	// Runs f with the window locked and hands back what it returns.
	template <class F> auto Do(F f) { return Locked(fWindow, f); }
	std::string Text()
	{
		return Do([this] { return std::string(fView->Text()); });
	}
	std::pair<int32, int32> Selection()
	{
		return Do([this] {
			int32 start, finish;
			fView->GetSelection(&start, &finish);
			return std::make_pair(start, finish);
		});
	}
	// The screen point inside the character that starts at offset.
	BPoint ScreenPointAt(int32 offset)
	{
		return Do([=, this] {
			float height;
			const BPoint where = fView->PointAt(offset, &height);
			return fView->ConvertToScreen(BPoint(where.x + 1, where.y + height / 2));
		});
	}
	void SetText(const char* text) { Do([&] { fView->SetText(text); }); }
	void Select(int32 start, int32 finish) { Do([&] { fView->Select(start, finish); }); }
	// How many pixels of the column at view x, over the first line, are dark.
	int32 DarkInColumn(float viewX)
	{
		const BRect column = Do([&] {
			const float top = fView->TextRect().top;
			return fView->ConvertToScreen(BRect(viewX, top, viewX, top + fView->LineHeight() - 1))
				.OffsetByCopy(-fWindow->Frame().left, -fWindow->Frame().top);
		});
		return CountPixels(fWindow, column, [](rgb_color color) {
			return color.red < 100 && color.green < 100 && color.blue < 100;
		});
	}

	BWindow* fWindow = nullptr;
	DigitFilterView* fView = nullptr;
};

TEST_F(TextViewTest, CharactersAreTypedDeletedAndLimitedWholeAndMalformedBytesAlone)
{
	Build();
	Type("a\xc3\xb1\xe2\x82\xac\xf0\x9d\x84\x9e");  // a, n tilde, euro, a clef
	EXPECT_EQ(Selection(), std::make_pair(10, 10));
	Key("\x08");
	EXPECT_EQ(Text(), "a\xc3\xb1\xe2\x82\xac");
	Key("\x1c");  // left over the euro sign
	Key("\x08");  // Backspace over the two-byte n
	EXPECT_EQ(Text(), "a\xe2\x82\xac");
	Key("\x7f");  // Delete the euro sign after the caret
	Key("\x08");
	Key("\x08");  // nothing left to delete
	EXPECT_EQ(Text(), "");

	// Each typed character reaches the subclass, which may drop it; Enter does not
	// break a one-line view.
	Do([&] { fView->seen.clear(); });
	Type("a1\xc3\xa9" "2b\ncd");
	EXPECT_EQ(Text(), "a\xc3\xa9" "bcd");
	Do([this] {
		EXPECT_EQ(fView->seen,
			(std::vector<std::string>{"a", "1", "\xc3\xa9", "2", "b", "\n", "c", "d"}));
		EXPECT_EQ(fView->CountLines(), 1);
	});

	// A stray byte and a cut-short sequence are one character a byte.
	SetText("a\xff\xe2\x82z");
	Key("\x01");
	for (int i = 0; i < 3; i++)
		Key("\x1d");
	Key("\x08");
	EXPECT_EQ(Text(), "a\xff\x82z");

	// The byte limit never splits a character, typed, pasted or cut back to.
	Do([&] {
		fView->SetText("");
		fView->SetMaxBytes(5);
	});
	Type("a\xc3\xa9\xe2\x82\xac" "b");  // 1 + 2 + 3 bytes: the euro does not fit
	EXPECT_EQ(Text(), "a\xc3\xa9" "b");
	Do([&] { fView->SetMaxBytes(2); });
	EXPECT_EQ(Text(), "a");
	// Typing over a selection frees its bytes first.
	Do([&] {
		fView->SetMaxBytes(3);
		fView->SetText("abc");
		fView->Select(1, 3);
	});
	Type("\xc3\xa9");
	EXPECT_EQ(Text(), "a\xc3\xa9");
	PutOnClipboard("x\xe2\x82\xacy", 5);
	SetText("");
	Key("v", B_COMMAND_KEY);
	EXPECT_EQ(Text(), "x");
}

TEST_F(TextViewTest, TypingReplacesTheSelectionShiftExtendsAndCutAndPasteUseTheClipboard)
{
	Build();
	SetText("hello world");
	Select(0, 5);
	Type("\xc3\xb1");
	EXPECT_EQ(Text(), "\xc3\xb1 world");
	EXPECT_EQ(Selection(), std::make_pair(2, 2));
	Key("a", B_COMMAND_KEY);
	EXPECT_EQ(Selection(), std::make_pair(0, 8));

	SetText("one two");
	Key("\x04");  // End
	Key("\x1c", B_SHIFT_KEY);
	Key("\x1c", B_SHIFT_KEY);
	EXPECT_EQ(Selection(), std::make_pair(5, 7));
	Key("\x01", B_SHIFT_KEY);  // Shift-Home keeps the anchor at the end
	EXPECT_EQ(Selection(), std::make_pair(0, 7));
	Key("\x1d");  // right collapses to the selection's end
	EXPECT_EQ(Selection(), std::make_pair(7, 7));

	SetText("hello world");
	Select(6, 11);
	Key("x", B_COMMAND_KEY);
	EXPECT_EQ(Text(), "hello ");
	Key("\x01");
	Key("v", B_COMMAND_KEY);
	EXPECT_EQ(Text(), "worldhello ");
	EXPECT_EQ(Selection(), std::make_pair(5, 5));
	// Copy leaves the text alone and replaces what the clipboard held.
	Select(0, 2);
	Key("c", B_COMMAND_KEY);
	Key("\x04");
	Key("v", B_COMMAND_KEY);
	EXPECT_EQ(Text(), "worldhello wo");
}

TEST_F(TextViewTest, ClicksPlaceTheCaretShiftClickAndDragSelectDoubleClickTakesAWordUnlessNotSelectable)
{
	Build(false);
	SetText("moan wombs");  // wide letters: a click lands well inside each
	ClickAt(ScreenPointAt(3));
	EXPECT_EQ(Selection(), std::make_pair(3, 3));
	EXPECT_TRUE(Do([&] { return fView->IsFocus(); }));
	ClickAt(ScreenPointAt(8), B_SHIFT_KEY);
	EXPECT_EQ(Selection(), std::make_pair(3, 8));

	ClickAt(Do([&] { return fView->ConvertToScreen(BPoint(150, 6)); }));  // past the end
	EXPECT_EQ(Selection(), std::make_pair(10, 10));

	Drag({ScreenPointAt(1), ScreenPointAt(3), ScreenPointAt(4)});
	EXPECT_EQ(Selection(), std::make_pair(1, 4));
	// Dragging back past the press point selects the other way.
	Drag({ScreenPointAt(4), ScreenPointAt(2)});
	EXPECT_EQ(Selection(), std::make_pair(2, 4));

	SetText("alpha b\xc3\xa9ta gamma");
	ClickAt(ScreenPointAt(8), 0, 2);
	EXPECT_EQ(Selection(), std::make_pair(6, 11));
	Type("x");
	EXPECT_EQ(Text(), "alpha x gamma");

	// A view that is not editable ignores typing, deleting and pasting but selects;
	// one that is not selectable ignores the mouse too.
	Do([&] { fView->MakeEditable(false); });
	Type("zz");
	Key("\x08");
	Key("v", B_COMMAND_KEY);
	EXPECT_EQ(Text(), "alpha x gamma");
	Key("\x04", B_SHIFT_KEY);
	EXPECT_EQ(Selection(), std::make_pair(7, 13));
	Do([&] {
		fView->MakeSelectable(false);
		fView->Select(0, 0);
	});
	ClickAt(ScreenPointAt(3), 0, 2);
	EXPECT_EQ(Selection(), std::make_pair(0, 0));
}

TEST_F(TextViewTest, ALongLineScrollsSidewaysToKeepTheCaretShownOrWrapsAtSpaces)
{
	Build();
	Type("the quick brown fox jumps over the lazy dog");
	const BRect textRect = Do([&] { return fView->TextRect(); });
	const float scroll = Do([&] { return fView->Bounds().left; });
	const float caretX = Do([&] { return fView->PointAt(fView->TextLength()).x; });
	EXPECT_GT(scroll, 0);
	EXPECT_LE(caretX, textRect.right + scroll);
	EXPECT_GE(caretX, textRect.left + scroll);
	// The caret is on screen at the right end of the text rectangle.
	EXPECT_GT(DarkInColumn(std::floor(caretX)), 0);

	Key("\x01");
	EXPECT_EQ(Do([&] { return fView->Bounds().left; }), 0);
	Key("\x04");
	EXPECT_EQ(Do([&] { return fView->Bounds().left; }), scroll);

	// With word wrap on, lines break at spaces within the text rectangle's width.
	Do([&] {
		fView->SetWordWrap(true);
		fView->SetText("alpha beta gamma delta epsilon zeta eta theta iota kappa");
		ASSERT_GT(fView->CountLines(), 1);
		const BRect textRect = fView->TextRect();
		for (int32 line = 0; line < fView->CountLines(); line++) {
			const int32 start = fView->OffsetAt(BPoint(0, textRect.top
				+ (line + 0.5f) * fView->LineHeight()));
			// Every line starts with a word, not with the space it broke at.
			EXPECT_NE(fView->Text()[start], ' ');
			EXPECT_TRUE(start == 0 || fView->Text()[start - 1] == ' ') << start;
		}
		EXPECT_EQ(fView->Bounds().left, 0);
		for (int32 offset = 0; offset <= fView->TextLength(); offset++)
			EXPECT_LE(fView->PointAt(offset).x, textRect.right + 1);
		fView->SetText("one\ntwo");
		EXPECT_EQ(fView->CountLines(), 2);
		EXPECT_EQ(fView->LineAt(4), 1);
	});
	// Down moves to the next line, Enter breaks a wrapping view's line.
	Key("\x1f");
	EXPECT_EQ(Selection(), std::make_pair(4, 4));
	Key("\n");
	EXPECT_EQ(Text(), "one\n\ntwo");
}

char KeyByte(char letter)
{
	switch (letter) {
		case '<': return B_LEFT_ARROW;
		case '>': return B_RIGHT_ARROW;
		case 'H': return B_HOME;
		case 'E': return B_END;
		case 'B': return B_BACKSPACE;
		default: return B_DELETE;
	}
}

// Keys over clusters and mixed directions: where the caret goes, what Shift
// selects, what Backspace and Delete remove. Keys: < > arrows, H E Home and End,
// B D Backspace and Delete; S holds Shift for the keys after it.
TEST_F(TextViewTest, KeysMoveSelectAndDeleteWholeClustersOnScreenInEitherDirection)
{
	struct Row {
		const char* name;
		const char* text;
		const char* keys;  // from the start of the text
		const char* result;
		std::pair<int32, int32> selection;
	};
	const char* const flag = "\xf0\x9f\x87\xaf\xf0\x9f\x87\xb5";
	const std::string thumb = "\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd";
	const std::string family = "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d"
		"\xf0\x9f\x91\xa7";
	const std::string flagged = std::string("a") + flag + "b";
	const std::string thumbs = thumb + "!";
	const std::string families = "x" + family;
	const char* const hebrew = "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d";  // shalom, 8 bytes
	const std::string mixed = std::string("ab ") + hebrew + " cd";    // 3 + 8 + 3
	const char* const hindi = "\xe0\xa4\xa8\xe0\xa4\xae\xe0\xa4\xb8\xe0\xa5\x8d\xe0\xa4\xa4"
		"\xe0\xa5\x87";
	const Row rows[] = {
		{"right over a flag", flagged.c_str(), ">>", flagged.c_str(), {9, 9}},
		{"left over a flag", flagged.c_str(), "E<<", flagged.c_str(), {1, 1}},
		{"backspace after a flag", flagged.c_str(), "E<B", "ab", {1, 1}},
		{"backspace after a family", families.c_str(), "EB", "x", {1, 1}},
		{"backspace after a decomposed e", "cafe\xcc\x81", "EB", "caf", {3, 3}},
		{"delete before a skin tone", thumbs.c_str(), "HD", "!", {0, 0}},
		{"shift takes the whole cluster", thumbs.c_str(), ">S<>", thumbs.c_str(), {8, 8}},
		{"shift selects clusters", flagged.c_str(), "E<S<", flagged.c_str(), {1, 9}},
		{"backspace takes a vowel sign alone", hindi, "EB", "\xe0\xa4\xa8\xe0\xa4\xae\xe0\xa4\xb8"
			"\xe0\xa5\x8d\xe0\xa4\xa4", {15, 15}},
		// Right to left: the start is on the right, so Left goes forward.
		{"left goes forward in hebrew", hebrew, "<<", hebrew, {4, 4}},
		{"right stops at its start", hebrew, ">", hebrew, {0, 0}},
		{"right goes back from its end", hebrew, "E>", hebrew, {6, 6}},
		{"delete in hebrew", hebrew, "<D", "\xd7\xa9\xd7\x95\xd7\x9d", {2, 2}},
		// Latin around Hebrew: into the word from the left is its last letter.
		{"right into hebrew", mixed.c_str(), ">>>>", mixed.c_str(), {9, 9}},
	};
	Build();
	for (const Row& row : rows) {
		Do([&] {
			fView->SetText(row.text);
			fView->Select(0, 0);
		});
		bool shift = false;
		for (const char* key = row.keys; *key != '\0'; key++) {
			if (*key == 'S') {
				shift = true;
				continue;
			}
			const char bytes[] = {KeyByte(*key), '\0'};
			Key(bytes, shift ? B_SHIFT_KEY : 0);
		}
		EXPECT_EQ(Text(), row.result) << row.name;
		EXPECT_EQ(Selection(), row.selection) << row.name;
	}
}

TEST_F(TextViewTest, ClicksTakeTheNearestClusterBoundaryAndSelectionsCoverMixedText)
{
	Build();
	SetText("a\xf0\x9f\x87\xaf\xf0\x9f\x87\xb5" "b");  // a, a flag, b
	const auto [left, right] = Do([&] {
		return std::make_pair(fView->PointAt(1).x, fView->PointAt(9).x);
	});
	ASSERT_GT(right - left, 4);
	const auto click = [&](float x) {
		ClickAt(Do([&] { return fView->ConvertToScreen(BPoint(x, 6)); }));
		return Selection();
	};
	EXPECT_EQ(click(left + (right - left) / 4), std::make_pair(1, 1));
	EXPECT_EQ(click(left + 3 * (right - left) / 4), std::make_pair(9, 9));

	// Home and End go to the two ends on screen of a right-to-left line.
	SetText("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d");
	const float textLeft = Do([&] { return fView->TextRect().left; });
	Key("\x04");
	EXPECT_EQ(Do([&] { return fView->PointAt(Selection().first).x; }), textLeft);
	Key("\x01");
	EXPECT_GT(Do([&] { return fView->PointAt(Selection().first).x; }), textLeft + 10);

	// "b " and the Hebrew word's first letter, which is at its right end: two
	// areas, both painted in the selection's colour.
	SetText("ab \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d cd");
	Select(1, 5);
	Settle();
	BRegion region;
	Do([&] { fView->GetTextRegion(1, 5, &region); });
	ASSERT_EQ(region.CountRects(), 2);
	for (int32 i = 0; i < region.CountRects(); i++) {
		const BRect area = Do([&] {
			return fView->ConvertToScreen(region.RectAt(i)).OffsetByCopy(-fWindow->Frame().left,
				-fWindow->Frame().top);
		});
		EXPECT_GT(CountPixels(fWindow, area, [](rgb_color c) {
			return c.red == 172 && c.green == 196 && c.blue == 232;
		}), 0) << i;
	}
}

// A composition shows at the caret, underlined, and is not text until the input
// method commits it; the input method is told where the caret is.
TEST_F(TextViewTest, AnInputMethodsCompositionShowsAtTheCaretUntilItsTextArrives)
{
	Build();
	SetText("ab");
	Select(1, 1);
	const BRect caret = Do([&] {
		float height;
		const BPoint where = fView->PointAt(1, &height);
		return fView->ConvertToScreen(BRect(std::floor(where.x), where.y, std::floor(where.x),
			where.y + height - 1)).OffsetByCopy(-fWindow->Frame().left, -fWindow->Frame().top);
	});
	EXPECT_EQ(Screen::TextInputRect(fWindow), caret);

	const float endBefore = Do([&] { return fView->PointAt(2).x; });
	Screen::Compose("vi\xe1\xbb\x87", 3);
	Settle();
	EXPECT_EQ(Text(), "ab");
	Do([&] {
		EXPECT_EQ(fView->Layout().Text(), "avi\xe1\xbb\x87" "b");
		EXPECT_GT(fView->PointAt(2).x, endBefore);  // the b moved along
	});
	// The input method's caret, inside the composition, is where it is told.
	EXPECT_GT(Screen::TextInputRect(fWindow).left, caret.left);
	// The underline: a row of dark pixels as wide as the composition.
	const BRect under = Do([&] {
		const float left = fView->PointAt(1).x;
		return fView->ConvertToScreen(BRect(left, 0, left + 10, fView->Bounds().bottom))
			.OffsetByCopy(-fWindow->Frame().left, -fWindow->Frame().top);
	});
	EXPECT_GT(CountPixels(fWindow, under, [](rgb_color c) { return c.red < 80; }), 11);

	Screen::Compose("");
	Screen::CommitText("vi\xe1\xbb\x87t");
	Settle();
	EXPECT_EQ(Text(), "avi\xe1\xbb\x87tb");
	EXPECT_EQ(Selection(), std::make_pair(7, 7));

	// A composition takes the selection's place, as typing would.
	Select(0, 1);
	Screen::Compose("x");
	Settle();
	EXPECT_EQ(Text(), "vi\xe1\xbb\x87tb");
	Screen::Compose("");
	Settle();
	Do([&] { EXPECT_EQ(fView->Layout().Text(), "vi\xe1\xbb\x87tb"); });
}

}  // namespace
