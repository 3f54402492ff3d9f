// The list view in a scroll view on the headless screen, driven by real clicks,
// keys and the wheel: selection gestures, the messages they send, invocation, and
// every scroll reaching an overridden ScrollTo.
#include "WindowTestSupport.h"

#include <List.h>
#include <ListView.h>
#include <ScrollView.h>

#include <Message.h>

#include <cstdio>

namespace {

const uint32 kSelectionCommand = 'lsel';
const uint32 kInvocationCommand = 'linv';

// Records every scroll and every call of the selection hook.
class TrackingList : public BListView {
public:
	TrackingList(BRect frame, list_view_type type)
		: BListView(frame, "list", type, B_FOLLOW_ALL_SIDES)
	{
	}
	void ScrollTo(BPoint where) override
	{
		scrolls.push_back(where);
		BListView::ScrollTo(where);
	}
	void SelectionChanged() override { hookCalls++; }

	std::vector<BPoint> scrolls;
	int32 hookCalls = 0;
};

// The list's default target: keeps what the list sent.
class ListWindow : public BWindow {
public:
	ListWindow() : BWindow(BRect(100, 100, 399, 299), "list", B_TITLED_WINDOW, 0) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == kSelectionCommand || message->what == kInvocationCommand) {
			std::vector<int32> indexes;
			for (int32 i = 0; message->HasInt32("index", i); i++)
				indexes.push_back(message->GetInt32("index", i, -1));
			(message->what == kSelectionCommand ? selections : invocations).push_back(indexes);
			return;
		}
		BWindow::MessageReceived(message);
	}
	std::vector<std::vector<int32>> selections;
	std::vector<std::vector<int32>> invocations;
};

class ListViewTest : public WindowTest {
protected:
	// A list of count rows in a scroll view, with a horizontal bar too when wide, as
	// a table of columns uses it; the program's own steps set before the rows come.
	void Build(list_view_type type, int32 count, bool wide = false)
	{
		fWindow = new ListWindow();
		fList = new TrackingList(BRect(0, 0, 199 - B_V_SCROLL_BAR_WIDTH,
			159 - (wide ? B_H_SCROLL_BAR_HEIGHT : 0)), type);
		fList->SetSelectionMessage(new BMessage(kSelectionCommand));
		fList->SetInvocationMessage(new BMessage(kInvocationCommand));
		fScroll = new BScrollView("scroll", fList, B_FOLLOW_LEFT | B_FOLLOW_TOP, 0, wide, true,
			B_NO_BORDER);
		fWindow->AddChild(fScroll);
		if (wide)
			Bar()->SetSteps(15, 150);
		for (int32 i = 0; i < count; i++)
			fList->AddItem(new BStringItem(Label(i).c_str()));
		Open(BRect(), fWindow);
	}
	void TearDown() override
	{
		if (fWindow != nullptr && fWindow->Lock()) {
			while (fList->CountItems() > 0)
				delete fList->RemoveItem(fList->CountItems() - 1);
			fWindow->Unlock();
		}
		WindowTest::TearDown();
	}
	static std::string Label(int32 i)
	{
		char text[16];
		snprintf(text, sizeof text, "Row %d", (int)i);
		return text;
	}
	// The middle of a row, on the screen.
	BPoint RowPoint(int32 row)
	{
		return Locked(fWindow, [=, this] {
			const BRect frame = fList->ItemFrame(row);
			return fList->ConvertToScreen(
				BPoint(fList->Bounds().left + 20, (frame.top + frame.bottom) / 2));
		});
	}
	void ClickRow(int32 row, uint32 modifiers = 0, int32 clicks = 1)
	{
		ClickAt(RowPoint(row), modifiers, clicks);
	}
	std::vector<int32> Selection()
	{
		return Locked(fWindow, [this] {
			std::vector<int32> rows;
			for (int32 i = 0; fList->CurrentSelection(i) >= 0; i++)
				rows.push_back(fList->CurrentSelection(i));
			return rows;
		});
	}
	// Whether the row lies wholly inside what the list shows.
	bool RowShown(int32 row)
	{
		return Locked(fWindow, [=, this] {
			const BRect bounds = fList->Bounds();
			const BRect frame = fList->ItemFrame(row);
			return frame.top >= bounds.top && frame.bottom <= bounds.bottom;
		});
	}
	float Top()
	{
		return Locked(fWindow, [this] { return fList->Bounds().top; });
	}
	BScrollBar* Bar() { return fScroll->ScrollBar(B_VERTICAL); }

	ListWindow* fWindow = nullptr;
	TrackingList* fList = nullptr;
	BScrollView* fScroll = nullptr;
};

using Rows = std::vector<int32>;

TEST_F(ListViewTest, ClicksSelectExtendAndToggleEachChangeSendsOneMessageAndInvocationsToo)
{
	Build(B_MULTIPLE_SELECTION_LIST, 20);
	ClickRow(2);
	ClickRow(5, B_SHIFT_KEY);
	EXPECT_EQ(Selection(), Rows({2, 3, 4, 5}));
	ClickRow(3, B_COMMAND_KEY);
	EXPECT_EQ(Selection(), Rows({2, 4, 5}));
	ClickRow(3);
	EXPECT_EQ(Selection(), Rows({3}));
	// A click that changes nothing sends nothing.
	ClickRow(3);
	EXPECT_EQ(Locked(fWindow, [this] { return fList->hookCalls; }), 4);
	ASSERT_EQ(fWindow->selections.size(), 4u);
	EXPECT_EQ(fWindow->selections[1], Rows({2, 3, 4, 5}));
	EXPECT_TRUE(fWindow->invocations.empty());

	// A double click and Enter invoke with the selection; a double click whose
	// first click lands on another row is a new selection, not an invocation.
	ClickRow(4);
	ClickRow(4, 0, 2);
	ASSERT_EQ(fWindow->invocations.size(), 1u);
	EXPECT_EQ(fWindow->invocations[0], Rows({4}));
	ClickRow(6, 0, 2);
	EXPECT_EQ(fWindow->invocations.size(), 1u);
	ClickRow(8, B_COMMAND_KEY);
	Key("\n");
	ASSERT_EQ(fWindow->invocations.size(), 2u);
	EXPECT_EQ(fWindow->invocations[1], Rows({6, 8}));

	// Removing a selected row changes the selection; indexes follow.
	Locked(fWindow, [this] {
		BListItem* eighth = fList->ItemAt(8);
		delete fList->RemoveItem(6);
		EXPECT_EQ(fList->IndexOf(eighth), 7);
		EXPECT_EQ(Selection(), Rows({7}));
		EXPECT_EQ(fList->IndexOf(fList->ItemFrame(7).LeftTop()), 7);
	});
	Settle();
	EXPECT_EQ(fWindow->selections.back(), Rows({7}));
}

TEST_F(ListViewTest, KeysMoveTheSelectionAndScrollItIntoViewThroughScrollTo)
{
	Build(B_MULTIPLE_SELECTION_LIST, 100);
	ClickRow(0);
	Key("\x1f");  // down
	Key("\x1f");
	EXPECT_EQ(Selection(), Rows({2}));
	Key("\x1f", B_SHIFT_KEY);
	EXPECT_EQ(Selection(), Rows({2, 3}));
	Key("\x04");  // End
	EXPECT_EQ(Selection(), Rows({99}));
	EXPECT_TRUE(RowShown(99));
	Locked(fWindow, [this] {
		EXPECT_EQ(fList->scrolls.back().y, fList->Bounds().top);
		// The bar follows a scroll the list made itself.
		EXPECT_EQ(Bar()->Value(), fList->Bounds().top);
	});
	Key("\x01");  // Home
	EXPECT_EQ(Selection(), Rows({0}));
	EXPECT_EQ(Top(), 0);
	Key("\x0c");  // Page Down
	const Rows paged = Selection();
	ASSERT_EQ(paged.size(), 1u);
	EXPECT_GT(paged[0], 5);
	EXPECT_TRUE(RowShown(paged[0]));
	Key("\x1e");  // up
	EXPECT_EQ(Selection(), Rows({paged[0] - 1}));
	EXPECT_EQ(fWindow->selections.size(), 8u);  // one per key, after the click
}

// The bar's arrows, track, knob and the wheel are the scroll bar's own tests; here
// the list's part: the bar and ScrollToSelection scroll through ScrollTo, and a single
// selection list keeps one row whatever the modifiers, with its drawn band.
TEST_F(ListViewTest, BarAndScrollToSelectionPassThroughScrollToAndASingleListKeepsOneRow)
{
	Build(B_SINGLE_SELECTION_LIST, 200);
	const BRect row = Locked(fWindow, [this] { return fList->ItemFrame(1); });
	const int32 x = (int32)row.right - 4;
	const int32 y = (int32)(row.top + row.bottom) / 2;
	EXPECT_TRUE(ColorIs(Pixel(fWindow, x, y), 255, 255, 255));
	ClickRow(1);
	EXPECT_TRUE(ColorIs(Pixel(fWindow, x, y), 176, 176, 176));
	ClickRow(4, B_SHIFT_KEY);
	EXPECT_EQ(Selection(), Rows({4}));
	EXPECT_TRUE(ColorIs(Pixel(fWindow, x, y), 255, 255, 255));
	ClickRow(6, B_COMMAND_KEY);
	EXPECT_EQ(Selection(), Rows({6}));

	Locked(fWindow, [this] {
		Bar()->SetValue(1000);
		EXPECT_EQ(fList->scrolls.back().y, 1000);
		fList->Select(3);
		fList->ScrollToSelection();
		EXPECT_EQ(fList->Bounds().top, fList->ItemFrame(3).top);
		EXPECT_EQ(fList->scrolls.back().y, fList->Bounds().top);
		EXPECT_EQ(Bar()->Value(), fList->Bounds().top);
	});
}

TEST_F(ListViewTest, ScrollBarRangeFollowsTheRowsAsTheyComeAndGo)
{
	Build(B_SINGLE_SELECTION_LIST, 0);
	Locked(fWindow, [this] {
		float min = -1, max = -1;
		Bar()->GetRange(&min, &max);
		EXPECT_EQ(max, 0);
		// Rows one at a time, then the rest at once in the middle.
		for (int32 i : {0, 1, 98, 99})
			fList->AddItem(new BStringItem(Label(i).c_str()));
		BList middle;
		for (int32 i = 2; i < 98; i++)
			middle.AddItem(new BStringItem(Label(i).c_str()));
		EXPECT_FALSE(fList->AddList(&middle, 5)) << "past the end";
		ASSERT_TRUE(fList->AddList(&middle, 2));
		for (int32 i : {0, 2, 50, 97, 99})
			EXPECT_EQ(static_cast<BStringItem*>(fList->ItemAt(i))->Text(), Label(i));
		EXPECT_EQ(fList->ItemFrame(99).top, 99 * (fList->ItemFrame(0).Height() + 1));
		const float shown = fList->Bounds().Height() + 1;
		const float total = fList->ItemFrame(99).bottom + 1;
		Bar()->GetRange(&min, &max);
		EXPECT_EQ(min, 0);
		EXPECT_EQ(max, total - shown);
		EXPECT_NEAR(Bar()->Proportion(), shown / total, 0.001);

		// Scrolled to the end, then most rows go: the list comes back into range.
		Bar()->SetValue(max);
		EXPECT_EQ(fList->Bounds().top, max);
		while (fList->CountItems() > 3)
			delete fList->RemoveItem(fList->CountItems() - 1);
		Bar()->GetRange(&min, &max);
		EXPECT_EQ(max, 0);
		EXPECT_EQ(fList->Bounds().top, 0);
		EXPECT_EQ(fList->scrolls.back().y, 0);
	});
}

TEST_F(ListViewTest, WideRowsKeepTheirContentPlaceWhenScrolledSidewaysAndCallerStepsStay)
{
	Build(B_MULTIPLE_SELECTION_LIST, 50, true);
	Locked(fWindow, [this] {
		// Steps the program chose survive the rows it adds afterwards.
		fList->AddItem(new BStringItem("one more"));
		float smallStep = 0, largeStep = 0;
		Bar()->GetSteps(&smallStep, &largeStep);
		EXPECT_EQ(smallStep, 15);
		EXPECT_EQ(largeStep, 150);
		// The horizontal bar scrolls the list through its ScrollTo; the rows stay
		// put in the list's coordinates, so what they draw moves left.
		fScroll->ScrollBar(B_HORIZONTAL)->SetValue(80);
		EXPECT_EQ(fList->scrolls.back(), BPoint(80, 0));
		const BRect frame = fList->ItemFrame(2);
		EXPECT_EQ(frame.left, 0);
		EXPECT_EQ(frame.right, fList->Bounds().right);
		EXPECT_EQ(fList->IndexOf(BPoint(100, frame.top + 1)), 2);
	});
	// A click still finds the row under it.
	ClickRow(4);
	EXPECT_EQ(Selection(), Rows({4}));
}

}  // namespace

// While the list has the keyboard, the row it is on shows a dotted frame of black
// and white pixels, on a selected row too; without the keyboard, none.
TEST_F(ListViewTest, TheRowTheKeyboardIsOnShowsADottedFrameWhileTheListHasTheFocus)
{
	Build(B_SINGLE_SELECTION_LIST, 5);
	auto frameOf = [this](int32 row) {
		return Locked(fWindow, [=, this] {
			const BRect frame = fList->ConvertToParent(fList->ItemFrame(row));
			return frame.OffsetByCopy(fScroll->Frame().left, fScroll->Frame().top);
		});
	};
	auto dots = [this](BRect edge) {
		const int32 black = CountPixels(fWindow, edge, [](rgb_color c) {
			return c.red == 0 && c.green == 0 && c.blue == 0;
		});
		const int32 white = CountPixels(fWindow, edge, [](rgb_color c) {
			return c.red == 255 && c.green == 255 && c.blue == 255;
		});
		return std::make_pair(black, white);
	};
	const BRect row0 = frameOf(0);
	const BRect top0(row0.left + 20, row0.top, row0.left + 59, row0.top);
	EXPECT_EQ(dots(top0).first, 0) << "no frame without the focus";

	Locked(fWindow, [this] {
		fList->MakeFocus(true);
		return 0;
	});
	Settle();
	EXPECT_EQ(dots(top0), std::make_pair(20, 20)) << "the first row before any key";

	Key("\x1f");
	Key("\x1f");
	const BRect row1 = frameOf(1);
	const BRect bottom1(row1.left + 20, row1.bottom, row1.left + 59, row1.bottom);
	EXPECT_EQ(dots(bottom1), std::make_pair(20, 20)) << "on the selected row";
	EXPECT_EQ(dots(top0).first, 0) << "moved away from the first row";

	Locked(fWindow, [this] {
		fList->MakeFocus(false);
		return 0;
	});
	Settle();
	EXPECT_EQ(dots(bottom1).first, 0) << "gone with the focus";
}
