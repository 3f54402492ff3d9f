// Scroll bars and scroll views on their own: the layout of a scroll view for each
// border, its border drawn, and a bar driven by real clicks, drags and the wheel,
// each change of its value checked on the target's ScrollTo. (How the knob looks is
// left to the eye: the drag test relies on its length.)
#include "WindowTestSupport.h"

#include <ScrollView.h>

#include <cmath>

namespace {

// A target that keeps every ScrollTo it is given.
class ScrollTarget : public BView {
public:
	explicit ScrollTarget(BRect frame)
		: BView(frame, "target", B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW)
	{
	}
	void ScrollTo(BPoint where) override
	{
		scrolls.push_back(where);
		BView::ScrollTo(where);
	}
	std::vector<BPoint> scrolls;
};

TEST(ScrollViewLayout, GrowsAroundItsTargetByTheBorderAndTheBarsItWasAskedFor)
{
	struct Case {
		border_style border;
		float width;
	};
	for (const Case c : {Case{B_NO_BORDER, 0}, Case{B_PLAIN_BORDER, 1}, Case{B_FANCY_BORDER, 2}}) {
		SCOPED_TRACE(c.width);
		auto* target = new BView(BRect(10, 20, 109, 69), "target", B_FOLLOW_ALL, 0);
		BScrollView scroll("scroll", target, B_FOLLOW_ALL, 0, true, true, c.border);
		const float w = c.width;
		EXPECT_EQ(scroll.Frame(), BRect(10 - w, 20 - w, 109 + w + B_V_SCROLL_BAR_WIDTH,
			69 + w + B_H_SCROLL_BAR_HEIGHT));
		EXPECT_EQ(target->Frame().LeftTop(), BPoint(w, w));
		BScrollBar* vertical = scroll.ScrollBar(B_VERTICAL);
		BScrollBar* horizontal = scroll.ScrollBar(B_HORIZONTAL);
		ASSERT_NE(vertical, nullptr);
		ASSERT_NE(horizontal, nullptr);
		// Each bar runs along the target and stops where the other begins.
		EXPECT_EQ(vertical->Frame(), BRect(target->Frame().right + 1, w,
			target->Frame().right + B_V_SCROLL_BAR_WIDTH, target->Frame().bottom));
		EXPECT_EQ(horizontal->Frame(), BRect(w, target->Frame().bottom + 1,
			target->Frame().right, target->Frame().bottom + B_H_SCROLL_BAR_HEIGHT));
		EXPECT_EQ(horizontal->Target(), target);
		EXPECT_EQ(target->ScrollBar(B_VERTICAL), vertical);
	}
	auto* target = new BView(BRect(0, 0, 99, 49), "target", B_FOLLOW_ALL, 0);
	BScrollView scroll("scroll", target, B_FOLLOW_ALL, 0, false, true, B_PLAIN_BORDER);
	EXPECT_EQ(scroll.ScrollBar(B_HORIZONTAL), nullptr);
	EXPECT_EQ(target->ScrollBar(B_HORIZONTAL), nullptr);
	ASSERT_NE(scroll.ScrollBar(B_VERTICAL), nullptr);
	// With no horizontal bar the vertical one reaches the bottom border.
	EXPECT_EQ(scroll.ScrollBar(B_VERTICAL)->Frame().bottom, scroll.Bounds().bottom - 1);
	EXPECT_EQ(scroll.Bounds().Height(), 49 + 2);
}

TEST(ScrollBarValue, ClampsRoundsAndScrollsTheTargetOnlyWhenItMoves)
{
	auto* scrolled = new ScrollTarget(BRect(0, 0, 99, 99));
	BScrollView both("both", scrolled, B_FOLLOW_ALL, 0, true, true, B_NO_BORDER);
	BScrollBar* bar = both.ScrollBar(B_VERTICAL);
	bar->SetRange(0, 200);
	bar->SetValue(80.4f);
	EXPECT_EQ(bar->Value(), 80);
	ASSERT_EQ(scrolled->scrolls.size(), 1u);
	EXPECT_EQ(scrolled->scrolls[0], BPoint(0, 80));
	bar->SetValue(80);
	EXPECT_EQ(scrolled->scrolls.size(), 1u);
	// A narrower range pulls the value, and the target, inside it.
	bar->SetRange(0, 50);
	EXPECT_EQ(bar->Value(), 50);
	EXPECT_EQ(scrolled->scrolls.back(), BPoint(0, 50));
	bar->SetValue(-10);
	EXPECT_EQ(bar->Value(), 0);
	// A range turned round is empty at its lower end.
	bar->SetRange(30, 10);
	float min = 0, max = 0;
	bar->GetRange(&min, &max);
	EXPECT_EQ(min, 30);
	EXPECT_EQ(max, 30);
	EXPECT_EQ(bar->Value(), 30);
	// The horizontal bar scrolls along x and keeps the target's y.
	both.ScrollBar(B_HORIZONTAL)->SetValue(25);
	EXPECT_EQ(scrolled->scrolls.back(), BPoint(25, 30));
	// A target scrolled by the program moves its bars without being scrolled again.
	const size_t before = scrolled->scrolls.size();
	scrolled->ScrollTo(BPoint(40, 5));
	EXPECT_EQ(scrolled->scrolls.size(), before + 1);
	EXPECT_EQ(both.ScrollBar(B_HORIZONTAL)->Value(), 40);
	EXPECT_EQ(bar->Value(), 30);  // 5 lies outside its range
}

// A shown window with a fancy-bordered scroll view of both bars around a target.
class ScrollBarTest : public WindowTest {
protected:
	void SetUp() override
	{
		WindowTest::SetUp();
		fWindow = new BWindow(BRect(100, 100, 399, 299), "bars", B_TITLED_WINDOW, 0);
		fTarget = new ScrollTarget(BRect(10, 10, 209, 149));
		fScroll = new BScrollView("scroll", fTarget, B_FOLLOW_LEFT | B_FOLLOW_TOP, 0, true, true,
			B_FANCY_BORDER);
		fWindow->AddChild(fScroll);
		Vertical()->SetRange(0, 400);
		Vertical()->SetSteps(10, 50);
		Vertical()->SetProportion(0.25f);
		Horizontal()->SetRange(0, 100);
		Horizontal()->SetSteps(7, 30);
		Horizontal()->SetProportion(0.5f);
		Open(BRect(), fWindow);
	}

	BScrollBar* Vertical() { return fScroll->ScrollBar(B_VERTICAL); }
	BScrollBar* Horizontal() { return fScroll->ScrollBar(B_HORIZONTAL); }
	void ClickBar(BScrollBar* bar, BPoint local) { ClickAt(ViewToScreen(bar, local)); }
	float ValueOf(BScrollBar* bar)
	{
		return Locked(fWindow, [bar] { return bar->Value(); });
	}
	BPoint LastScroll()
	{
		return Locked(fWindow, [this] {
			return fTarget->scrolls.empty() ? BPoint(-1, -1) : fTarget->scrolls.back();
		});
	}
	size_t ScrollCount()
	{
		return Locked(fWindow, [this] { return fTarget->scrolls.size(); });
	}
	BWindow* fWindow = nullptr;
	ScrollTarget* fTarget = nullptr;
	BScrollView* fScroll = nullptr;
};

TEST_F(ScrollBarTest, ArrowsAndTheWheelMoveBySmallStepsAndTheTrackByLargeStepsWithinTheRange)
{
	BScrollBar* bar = Horizontal();
	const float right = Locked(fWindow, [&] {
		fTarget->ScrollTo(BPoint(0, 12));  // the vertical position must survive
		return bar->Bounds().right;
	});
	const size_t start = ScrollCount();
	// Nothing to the left of 0: no scroll at all.
	ClickBar(bar, BPoint(4, 6));
	EXPECT_EQ(ValueOf(bar), 0);
	EXPECT_EQ(ScrollCount(), start);
	ClickBar(bar, BPoint(right - 4, 6));
	EXPECT_EQ(ValueOf(bar), 7);
	EXPECT_EQ(LastScroll(), BPoint(7, 12));
	ClickBar(bar, BPoint(right - 4, 6));
	ClickBar(bar, BPoint(4, 6));
	EXPECT_EQ(ValueOf(bar), 7);
	// The track past the knob, then again until the range ends.
	ClickBar(bar, BPoint(right - 15, 6));
	EXPECT_EQ(ValueOf(bar), 37);
	EXPECT_EQ(LastScroll(), BPoint(37, 12));
	for (int32 i = 0; i < 4; i++)
		ClickBar(bar, BPoint(right - 15, 6));
	EXPECT_EQ(ValueOf(bar), 100);
	// And the track before the knob goes back by a large step.
	ClickBar(bar, BPoint(18, 6));
	EXPECT_EQ(ValueOf(bar), 70);
	EXPECT_EQ(LastScroll(), BPoint(70, 12));

	// The wheel turns three small steps a notch: over the target the vertical bar,
	// or sideways the horizontal one; over a bar, that bar.
	Screen::MoveMouse(ViewToScreen(fTarget, BPoint(100, 60)));
	Screen::Wheel(0, 2);
	Settle();
	EXPECT_EQ(LastScroll(), BPoint(70, 72));
	Screen::Wheel(0, -1);
	Screen::Wheel(-1, 0);
	Settle();
	EXPECT_EQ(LastScroll(), BPoint(49, 42));
	Screen::MoveMouse(ViewToScreen(Horizontal(), BPoint(60, 6)));
	Screen::Wheel(0, 1);
	Settle();
	EXPECT_EQ(LastScroll(), BPoint(70, 42));
}

TEST_F(ScrollBarTest, TheKnobFollowsTheDragFromWhereItWasGrabbedAndStopsAtTheEnds)
{
	BScrollBar* bar = Vertical();
	const float length = Locked(fWindow, [bar] { return bar->Bounds().Height() + 1; });
	const float track = length - 2 * B_V_SCROLL_BAR_WIDTH;
	const float knob = std::round(track * 0.25f);
	const float travel = track - knob;
	// Grabbed below its top edge, moved down by a quarter of its travel.
	const float grab = B_V_SCROLL_BAR_WIDTH + 5;
	Screen::MoveMouse(ViewToScreen(bar, BPoint(6, grab)));
	Screen::PressMouse();
	Screen::MoveMouse(ViewToScreen(bar, BPoint(6, grab + travel / 4)));
	Settle();
	EXPECT_NEAR(ValueOf(bar), 100, 1);
	EXPECT_EQ(LastScroll().y, ValueOf(bar));
	// Far past either end, still held: the value stops at the range.
	Screen::MoveMouse(ViewToScreen(bar, BPoint(6, length + 300)));
	Settle();
	EXPECT_EQ(ValueOf(bar), 400);
	Screen::MoveMouse(ViewToScreen(bar, BPoint(100, -300)));
	Settle();
	EXPECT_EQ(ValueOf(bar), 0);
	Screen::MoveMouse(ViewToScreen(bar, BPoint(6, grab + travel / 2)));
	Screen::ReleaseMouse();
	Settle();
	EXPECT_NEAR(ValueOf(bar), 200, 1);
	// Once released, moving the pointer leaves the value alone.
	const size_t count = ScrollCount();
	Screen::MoveMouse(ViewToScreen(bar, BPoint(6, grab + travel)));
	Settle();
	EXPECT_NEAR(ValueOf(bar), 200, 1);
	EXPECT_EQ(ScrollCount(), count);
}

// The fancy border is drawn though the scroll view was given no flags; with nothing
// to scroll, the arrows and the track do nothing.
TEST_F(ScrollBarTest, TheBorderIsDrawnWithoutFlagsAndAnEmptyRangeDoesNotScroll)
{
	const BRect frame = Locked(fWindow, [this] { return fScroll->Frame(); });
	const int32 middleY = (int32)(frame.top + frame.bottom) / 2;
	EXPECT_TRUE(ColorIs(Pixel(fWindow, (int32)frame.left, middleY), 152, 152, 152));
	EXPECT_TRUE(ColorIs(Pixel(fWindow, (int32)frame.left + 1, middleY), 120, 120, 120));
	EXPECT_TRUE(ColorIs(Pixel(fWindow, (int32)frame.right, middleY), 255, 255, 255));

	const float bottom = Locked(fWindow, [this] {
		Vertical()->SetRange(0, 0);
		return Vertical()->Bounds().bottom;
	});
	const size_t count = ScrollCount();
	ClickBar(Vertical(), BPoint(6, bottom - 4));
	ClickBar(Vertical(), BPoint(6, 40));
	EXPECT_EQ(ValueOf(Vertical()), 0);
	EXPECT_EQ(ScrollCount(), count);
}

}  // namespace
