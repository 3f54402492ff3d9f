// The entry text view in a window of two: the sunken frame and the focus ring
// to the pixel as the focus moves, and the 40-byte key filter past its bound.
// (The 41st byte: FindWindowTest; the field text of pasted lines: EditorTest.)
#include "WindowTestSupport.h"

#include "MyEntryTextView.h"

#include <string>

namespace {

const rgb_color kOuterShadow = {191, 191, 191, 255};
const rgb_color kOuterLight = {235, 235, 235, 255};
const rgb_color kInnerShadow = {141, 141, 141, 255};
const rgb_color kInnerLight = {216, 216, 216, 255};
const rgb_color kBlue = {0, 0, 255, 255};

}  // namespace

class MyEntryTextViewTest : public WindowTest {
protected:
	void SetUp() override
	{
		WindowTest::SetUp();
		fWindow = new BWindow(BRect(100, 100, 399, 199), "entry", B_TITLED_WINDOW, 0);
		for (int i = 0; i < 2; i++) {
			const BRect frame(10, 10 + 30 * i, 170, 34 + 30 * i);
			fViews[i] = new MyEntryTextView(frame, i == 0 ? "first" : "second",
				BRect(5, 4, 152, 16), B_FOLLOW_LEFT | B_FOLLOW_TOP,
				B_WILL_DRAW | B_PULSE_NEEDED | B_NAVIGABLE);
			fViews[i]->SetWordWrap(false);
			fWindow->AddChild(fViews[i]);
		}
		fViews[0]->MakeFocus(true);
		Open(BRect(), fWindow);
	}

	// Pixels of view i's three outer rings that differ from what they should
	// be: the sunken frame, and inside it blue when focused or the text's
	// background when not.
	int32 WrongRingPixels(int i, bool focused)
	{
		const BRect r = Locked(fWindow, [&] { return fViews[i]->Frame(); });
		const rgb_color background = Locked(fWindow, [&] { return fViews[i]->ViewColor(); });
		const auto wrong = [&](BRect edge, rgb_color expected) {
			return CountPixels(fWindow, edge, [&](rgb_color c) { return !SameColor(c, expected); });
		};
		const rgb_color ring = focused ? kBlue : background;
		int32 count = 0;
		for (int32 inset = 0; inset < 3; inset++) {
			const rgb_color shadow = inset == 0 ? kOuterShadow : inset == 1 ? kInnerShadow : ring;
			const rgb_color light = inset == 0 ? kOuterLight : inset == 1 ? kInnerLight : ring;
			const BRect e = r.InsetByCopy(inset, inset);
			count += wrong(BRect(e.left, e.top, e.right - 1, e.top), shadow)
				+ wrong(BRect(e.left, e.top, e.left, e.bottom - 1), shadow)
				+ wrong(BRect(e.left, e.bottom, e.right, e.bottom), light)
				+ wrong(BRect(e.right, e.top, e.right, e.bottom), light);
		}
		return count;
	}

	std::string Text(int i)
	{
		return Locked(fWindow, [&] { return std::string(fViews[i]->Text()); });
	}

	BWindow* fWindow = nullptr;
	MyEntryTextView* fViews[2] = {};
};

// The ring follows the focus at once; past 40 bytes only editing and moving
// keys (and Tab) still work, whatever the byte limit.
TEST_F(MyEntryTextViewTest, TheRingFollowsTheFocusAndTheFilterStopsTypingPastFortyBytes)
{
	EXPECT_EQ(WrongRingPixels(0, true) + WrongRingPixels(1, false), 0);
	Key("\t");
	EXPECT_EQ(WrongRingPixels(0, false) + WrongRingPixels(1, true), 0);
	Key("\t", B_SHIFT_KEY);
	EXPECT_EQ(WrongRingPixels(0, true) + WrongRingPixels(1, false), 0);

	const std::string forty(40, 'a');
	Locked(fWindow, [&] {
		fViews[0]->SetText(forty.c_str());
		fViews[0]->Select(40, 40);
	});
	Key("\xc3\xa9");
	Key("d");
	EXPECT_EQ(Text(0), forty + "\xc3\xa9");
	for (const char* key : {"\x1c", "\x1c", "\x1c", "\x1d", "\x7f", "\x08"})
		Key(key);
	EXPECT_EQ(Text(0), std::string(38, 'a') + "\xc3\xa9");
	Key("\t");
	EXPECT_TRUE(fViews[1]->IsFocus());
}

// At the editor's byte limit a character a user sees as one goes in whole or
// not at all, typed or pasted.
TEST_F(MyEntryTextViewTest, TheLimitTakesClustersWholeOrNotAtAll)
{
	const std::string thumb = "\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd";  // 8 bytes, one cluster
	const std::string text(35, 'a');
	Locked(fWindow, [&] {
		fViews[0]->SetMaxBytes(40);
		fViews[0]->SetText(text.c_str());
		fViews[0]->Select(35, 35);
	});
	Type(thumb.c_str());
	EXPECT_EQ(Text(0), text);
	Type("e\xcc\x81");  // e and a combining accent: one key, three bytes
	EXPECT_EQ(Text(0), text + "e\xcc\x81");
	Key("\x08");
	EXPECT_EQ(Text(0), text);
	PutOnClipboard(("ab" + thumb).c_str(), 10);
	Key("v", B_COMMAND_KEY);
	EXPECT_EQ(Text(0), text + "ab");
}
