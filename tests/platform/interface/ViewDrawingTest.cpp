// What views put on the screen: view colour before Draw, hidden views, clipping to
// the view, scrolling, and partial redraws. (Exact pixels of each primitive and of
// text are the painter and text tests'; colours in a view's own coordinates are
// what the column header and entry field tests read.)
#include "WindowTestSupport.h"


namespace {

// Draws what a test hands it, in its own coordinates.
class ScriptedView : public BView {
public:
	using Script = std::function<void(BView*, BRect)>;
	ScriptedView(BRect frame, Script script, uint32 flags = B_WILL_DRAW)
		: BView(frame, "scripted", B_FOLLOW_LEFT | B_FOLLOW_TOP, flags), fScript(script)
	{
	}
	void Draw(BRect update) override
	{
		draws++;
		updates.push_back(update);
		if (fScript)
			fScript(this, update);
	}
	int32 draws = 0;
	std::vector<BRect> updates;

private:
	Script fScript;
};

using DrawingTest = WindowTest;

TEST_F(DrawingTest, ViewColourIsFilledBeforeDrawOnlyDrawingViewsAreDrawnAndHiddenOnesNot)
{
	BWindow* window = new BWindow(BRect(50, 50, 149, 99), "colours", B_TITLED_WINDOW, 0);
	auto* drawing = new ScriptedView(BRect(0, 0, 49, 49), [](BView* view, BRect) {
		view->StrokeLine(BPoint(0, 10), BPoint(49, 10));
	});
	drawing->SetViewColor(0, 200, 0);
	auto* silent = new ScriptedView(BRect(50, 0, 99, 49), nullptr, 0);
	silent->SetViewColor(0, 0, 200);
	window->AddChild(drawing);
	window->AddChild(silent);
	Open(BRect(), window);
	EXPECT_TRUE(ColorIs(Pixel(window, 5, 5), 0, 200, 0));
	EXPECT_TRUE(ColorIs(Pixel(window, 5, 10), 0, 0, 0));   // drawn over the fill
	EXPECT_TRUE(ColorIs(Pixel(window, 49, 10), 0, 0, 0));
	EXPECT_TRUE(ColorIs(Pixel(window, 60, 10), 0, 0, 200));  // filled, not drawn
	Locked(window, [&] {
		EXPECT_GE(drawing->draws, 1);
		EXPECT_EQ(silent->draws, 0);
		// A hidden view leaves the window's grey; shown again, it is repainted.
		silent->Hide();
		EXPECT_TRUE(silent->IsHidden());
	});
	Settle();
	EXPECT_TRUE(ColorIs(Pixel(window, 60, 10), 216, 216, 216));
	Locked(window, [&] { silent->Show(); });
	Settle();
	EXPECT_TRUE(ColorIs(Pixel(window, 60, 10), 0, 0, 200));
}

TEST_F(DrawingTest, DrawingIsClippedToTheViewAndParentsSpareTheirChildren)
{
	BWindow* window = new BWindow(BRect(0, 0, 99, 99), "clip", B_TITLED_WINDOW, 0);
	auto* parent = new ScriptedView(BRect(10, 10, 59, 59), [](BView* view, BRect) {
		view->SetHighColor(0, 0, 255);
		view->FillRect(BRect(-100, -100, 200, 200));
	});
	auto* child = new ScriptedView(BRect(10, 10, 19, 19), [](BView* view, BRect) {
		view->SetHighColor(255, 0, 0);
		view->StrokeLine(BPoint(-50, 5), BPoint(50, 5));
	});
	child->SetViewColor(0, 255, 0);
	parent->AddChild(child);
	window->AddChild(parent);
	Open(BRect(), window);
	EXPECT_TRUE(ColorIs(Pixel(window, 9, 30), 216, 216, 216));  // the window's own grey
	EXPECT_TRUE(ColorIs(Pixel(window, 10, 10), 0, 0, 255));
	EXPECT_TRUE(ColorIs(Pixel(window, 59, 59), 0, 0, 255));
	EXPECT_TRUE(ColorIs(Pixel(window, 60, 59), 216, 216, 216));
	EXPECT_TRUE(ColorIs(Pixel(window, 20, 20), 0, 255, 0));     // child's fill survives
	EXPECT_TRUE(ColorIs(Pixel(window, 25, 25), 255, 0, 0));     // child's line, clipped
	EXPECT_TRUE(ColorIs(Pixel(window, 19, 25), 0, 0, 255));
	EXPECT_TRUE(ColorIs(Pixel(window, 30, 25), 0, 0, 255));

	// Drawing outside Draw (as a hook would) is clipped the same way and shown.
	Locked(window, [&] {
		parent->SetHighColor(0, 0, 0);
		parent->FillRect(parent->Bounds());
	});
	Settle();
	EXPECT_TRUE(ColorIs(Pixel(window, 12, 12), 0, 0, 0));
	EXPECT_TRUE(ColorIs(Pixel(window, 22, 22), 0, 255, 0));
}

TEST_F(DrawingTest, ScrolledViewDrawsItsBoundsAtTheFrameAndChildrenMoveAlong)
{
	BWindow* window = new BWindow(BRect(0, 0, 99, 99), "scroll", B_TITLED_WINDOW, 0);
	auto* content = new ScriptedView(BRect(0, 0, 49, 49), [](BView* view, BRect) {
		view->SetHighColor(255, 0, 0);
		view->FillRect(BRect(0, 100, 9, 109));
	});
	content->AddChild(new ScriptedView(BRect(20, 120, 29, 129), [](BView* view, BRect) {
		view->SetHighColor(0, 0, 255);
		view->FillRect(view->Bounds());
	}));
	window->AddChild(content);
	Open(BRect(), window);
	EXPECT_TRUE(ColorIs(Pixel(window, 5, 5), 255, 255, 255));
	Locked(window, [&] {
		content->ScrollTo(BPoint(0, 100));
		EXPECT_EQ(content->Bounds(), BRect(0, 100, 49, 149));
	});
	Settle();
	EXPECT_TRUE(ColorIs(Pixel(window, 5, 5), 255, 0, 0));
	EXPECT_TRUE(ColorIs(Pixel(window, 10, 5), 255, 255, 255));
	EXPECT_TRUE(ColorIs(Pixel(window, 25, 25), 0, 0, 255));
	Locked(window, [&] { content->ScrollBy(5, -100); });
	Settle();
	EXPECT_TRUE(ColorIs(Pixel(window, 5, 5), 255, 255, 255));
	EXPECT_TRUE(ColorIs(Pixel(window, 2, 25), 255, 255, 255));
}

TEST_F(DrawingTest, InvalidatingPartOfAViewRedrawsOnlyThatPart)
{
	BWindow* window = new BWindow(BRect(0, 0, 99, 99), "partial", B_TITLED_WINDOW, 0);
	int32 shade = 0;
	auto* view = new ScriptedView(BRect(0, 0, 99, 99), [&shade](BView* v, BRect) {
		v->SetHighColor(shade, 0, 0);
		v->FillRect(BRect(0, 0, 99, 99));
	});
	window->AddChild(view);
	Open(BRect(), window);
	const int32 before = Locked(window, [&] {
		shade = 200;
		view->Invalidate(BRect(10, 10, 19, 19));
		return view->draws;
	});
	Settle();
	Locked(window, [&] {
		EXPECT_EQ(view->draws, before + 1);
		EXPECT_TRUE(BRect(10, 10, 19, 19).Contains(view->updates.back()));
	});
	EXPECT_TRUE(ColorIs(Pixel(window, 10, 10), 200, 0, 0));
	EXPECT_TRUE(ColorIs(Pixel(window, 19, 19), 200, 0, 0));
	EXPECT_TRUE(ColorIs(Pixel(window, 20, 19), 0, 0, 0));
	EXPECT_TRUE(ColorIs(Pixel(window, 9, 10), 0, 0, 0));
	// Two invalidations before the next turn make one update.
	Locked(window, [&] {
		view->Invalidate(BRect(0, 0, 1, 1));
		view->Invalidate(BRect(50, 50, 51, 51));
	});
	Settle();
	Locked(window, [&] { EXPECT_EQ(view->draws, before + 2); });
}

}  // namespace
