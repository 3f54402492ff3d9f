// The column-header button on the headless screen: its cell is tinted when
// released and filled with the high colour when held, and its right-border
// edge narrows or widens the column as it is dragged sideways. (A click that
// sorts: MainWindowTest.)
#include "WindowTestSupport.h"

#include "EdgeView.h"
#include "MyButton.h"

namespace {

class HeaderButtonTest : public WindowTest {
protected:
	void SetUp() override
	{
		WindowTest::SetUp();
		fClicks = new MessageRecorder();
		fClicks->Run();
		fWindow = new BWindow(BRect(100, 100, 499, 199), "header", B_TITLED_WINDOW, 0);
		// The fourth header of the strip: (80k, 3)-(80k + 79, 20).
		fButton = new MyButton(BRect(240, 3, 319, 20), "Last Name", "Last Name",
			new BMessage('stmu'), B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
		fButton->SetTarget(BMessenger(fClicks));
		fWindow->AddChild(fButton);
		Open(BRect(), fWindow);
	}
	void TearDown() override
	{
		if (fClicks->Lock())
			fClicks->Quit();
		WindowTest::TearDown();
	}

	BPoint ToScreen(BPoint inButton) { return ViewToScreen(fButton, inButton); }
	int32 ColumnWidth()
	{
		return Locked(fWindow, [&] { return fButton->ColumnWidth(); });
	}
	// Presses on the edge (entered from inside the button), moves by (dx, dy)
	// while held, and lets go.
	void DragEdge(float dx, float dy)
	{
		Screen::MoveMouse(ToScreen(BPoint(70, 8)));
		Settle();
		const BPoint edge = ToScreen(BPoint(79, 8));
		Screen::MoveMouse(edge);
		Settle();
		Screen::PressMouse();
		Screen::MoveMouse(edge + BPoint(dx, dy));
		Screen::ReleaseMouse();
		Settle();
	}

	MessageRecorder* fClicks = nullptr;
	BWindow* fWindow = nullptr;
	MyButton* fButton = nullptr;
};

}  // namespace

TEST_F(HeaderButtonTest, HeldTheCellIsFilledAndItsEdgeDraggedSidewaysSetsTheColumnWidth)
{
	// Window coordinates of the cell: (240, 3)-(319, 20); the label's baseline
	// is at y = 16, so row 12 runs through it.
	auto labelRowIsPlain = [&](uint8 r, uint8 g, uint8 b) {
		return CountPixels(fWindow, BRect(246, 12, 299, 12),
			[&](rgb_color c) { return SameColor(c, make_color(r, g, b)); }) == 54;
	};
	EXPECT_TRUE(ColorIs(Pixel(fWindow, 242, 5), 225, 200, 225));
	EXPECT_TRUE(ColorIs(Pixel(fWindow, 319, 10), 0, 0, 0)) << "right border";
	EXPECT_TRUE(ColorIs(Pixel(fWindow, 260, 20), 0, 0, 0)) << "bottom border";
	EXPECT_FALSE(labelRowIsPlain(225, 200, 225)) << "the label is drawn on the tint";

	Screen::MoveMouse(ToScreen(BPoint(40, 8)));
	Screen::PressMouse();
	Settle();
	EXPECT_TRUE(ColorIs(Pixel(fWindow, 242, 5), 0, 0, 0));
	EXPECT_TRUE(labelRowIsPlain(0, 0, 0)) << "the label vanishes into the fill";

	Screen::MoveMouse(ToScreen(BPoint(40, 60)));  // off the button: no click
	Screen::ReleaseMouse();
	Settle();
	EXPECT_TRUE(ColorIs(Pixel(fWindow, 242, 5), 225, 200, 225));
	EXPECT_TRUE(fClicks->Messages().empty());

	// The edge: at the right border, no keyboard stop; dragged sideways it narrows
	// or widens the column, dragged up or down, or on a zero width, nothing.
	Locked(fWindow, [&] {
		ASSERT_EQ(fButton->CountChildren(), 1);
		auto* edge = dynamic_cast<EdgeView*>(fButton->ChildAt(0));
		ASSERT_NE(edge, nullptr);
		EXPECT_EQ(edge->Frame(), BRect(79, 0, 79, 17));
		EXPECT_EQ(edge->Flags() & B_NAVIGABLE, 0u);
	});
	EXPECT_EQ(ColumnWidth(), 80);
	Screen::MoveMouse(ToScreen(BPoint(79, 8)));
	Settle();
	EXPECT_EQ(Screen::CursorName(), "ibeam");

	DragEdge(15, 0);
	EXPECT_EQ(ColumnWidth(), 65);
	DragEdge(-20, 0);
	EXPECT_EQ(ColumnWidth(), 85);
	EXPECT_TRUE(fClicks->Messages().empty()) << "the edge is no click";
	DragEdge(0, 12);
	EXPECT_EQ(ColumnWidth(), 85);

	Screen::MoveMouse(ToScreen(BPoint(79, 60)));
	Settle();
	EXPECT_EQ(Screen::CursorName(), "default") << "leaving the edge gives the ordinary pointer back";
	Locked(fWindow, [&] { fButton->SetColumnWidth(0); });
	DragEdge(-30, 0);
	EXPECT_EQ(ColumnWidth(), 0);
}

// With the keyboard on it (Tab), a dotted frame shows inside the cell, and Space
// sends its message as a click does: sorting needs no mouse.
TEST_F(HeaderButtonTest, WithTheKeyboardOnItADottedFrameShowsAndSpaceClicksIt)
{
	auto dotted = [this] {
		return CountPixels(fWindow, BRect(250, 4, 289, 4),
			[](rgb_color c) { return c.red == 0 && c.green == 0 && c.blue == 0; });
	};
	EXPECT_EQ(dotted(), 0);
	Key("\t");
	EXPECT_EQ(dotted(), 20);
	Key(" ");
	EXPECT_EQ(fClicks->Messages().size(), 1u);
	EXPECT_EQ(ColumnWidth(), 80);
}
