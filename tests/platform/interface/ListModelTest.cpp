// The list model: selection gestures in both list kinds, indices that follow
// insertion and removal, and the row layout used to find rows by point.
#include "ListModel.h"

#include <ListItem.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using BPrivate::ListModel;

namespace {

class Row : public BListItem {
public:
	explicit Row(float height = 14) { SetHeight(height); }
	void DrawItem(BView*, BRect, bool) override {}
};

class ListModelTest : public ::testing::Test {
protected:
	void Fill(ListModel& model, int32 count, float height = 14)
	{
		for (int32 i = 0; i < count; i++) {
			rows.push_back(std::make_unique<Row>(height));
			model.AddItem(rows.back().get(), model.CountItems());
		}
	}
	static std::vector<int32> Selection(const ListModel& model)
	{
		std::vector<int32> selected;
		for (int32 i = 0; model.CurrentSelection(i) >= 0; i++)
			selected.push_back(model.CurrentSelection(i));
		return selected;
	}
	std::vector<std::unique_ptr<Row>> rows;
};

using Indices = std::vector<int32>;

// Plain, Shift and Ctrl clicks as such are driven through the list view; here
// what those tests cannot reach.
TEST_F(ListModelTest, SelectionGesturesRangesKeyMovesAndSingleSelection)
{
	ListModel model(true);
	Fill(model, 10);
	model.Click(2, false, false);
	model.Click(5, true, false);
	// Shift-click again re-anchors on the first click, shrinking the range.
	EXPECT_TRUE(model.Click(3, true, false));
	EXPECT_EQ(Selection(model), Indices({2, 3}));
	rows[6]->SetEnabled(false);
	EXPECT_FALSE(model.Click(6, false, false));
	EXPECT_EQ(Selection(model), Indices({2, 3}));

	EXPECT_TRUE(model.Select(9, 7, false));  // reversed bounds
	EXPECT_EQ(Selection(model), Indices({7, 8, 9}));
	EXPECT_TRUE(model.Select(4, true));
	EXPECT_FALSE(model.Select(7, 8, true));  // already selected
	EXPECT_TRUE(model.Deselect(8));
	EXPECT_FALSE(model.Deselect(8));
	EXPECT_FALSE(model.Select(12, 14, false));  // past the end: nothing happens
	EXPECT_EQ(Selection(model), Indices({4, 7, 9}));
	EXPECT_TRUE(model.DeselectAll());
	EXPECT_FALSE(model.DeselectAll());

	// Key moves clamp to the list (the list view tests move by keys within it).
	EXPECT_TRUE(model.MoveTo(-3, false));
	EXPECT_EQ(Selection(model), Indices({0}));
	EXPECT_TRUE(model.MoveTo(99, true));
	EXPECT_EQ(model.LastSelected(), 9);
	EXPECT_FALSE(ListModel(true).MoveTo(0, false));

	// A single selection list keeps one row whatever the call, and so does a multiple
	// one made single.
	model.Select(1, 3, false);
	model.SetMultiple(false);
	EXPECT_EQ(Selection(model), Indices({1}));
	model.Select(4, true);
	model.Select(5, 7, false);
	EXPECT_EQ(Selection(model), Indices({7}));
}

TEST_F(ListModelTest, IndicesFollowInsertionAndRemovalAndRowsAreLaidOutByHeight)
{
	ListModel model(true);
	Fill(model, 4);
	model.Select(2, false);
	Row inserted;
	ASSERT_TRUE(model.AddItem(&inserted, 1));
	EXPECT_EQ(model.IndexOf(rows[3].get()), 4);
	EXPECT_EQ(Selection(model), Indices({3}));  // the selection stayed on its row
	EXPECT_TRUE(rows[2]->IsSelected());

	EXPECT_FALSE(model.AddItem(&inserted, 0));  // already in the list

	EXPECT_EQ(model.RemoveItem(3), rows[2].get());
	EXPECT_FALSE(rows[2]->IsSelected());
	EXPECT_EQ(model.RemoveItem(17), nullptr);

	// An item of another list is not found in this one.
	ListModel other(true);
	Row stranger;
	other.AddItem(&stranger, 0);
	EXPECT_EQ(model.IndexOf(&stranger), -1);
	other.MakeEmpty();

	model.MakeEmpty();
	EXPECT_EQ(model.IndexOf(rows[0].get()), -1);
	EXPECT_TRUE(model.AddItem(&inserted, 0));  // free to join again
	model.MakeEmpty();

	// Row layout and hit testing; heights round up to whole rows.
	rows.clear();
	Fill(model, 3, 14);
	rows.push_back(std::make_unique<Row>(20.5f));
	model.AddItem(rows.back().get(), 3);
	EXPECT_EQ(model.Top(0), 0);
	EXPECT_EQ(model.Bottom(0), 13);
	EXPECT_EQ(model.Top(3), 42);
	EXPECT_EQ(model.Bottom(3), 62);
	EXPECT_EQ(model.TotalHeight(), 63);
	EXPECT_EQ(model.IndexAtY(13.9f), 0);
	EXPECT_EQ(model.IndexAtY(14), 1);
	EXPECT_EQ(model.IndexAtY(62), 3);
	EXPECT_EQ(model.IndexAtY(63), -1);
	EXPECT_EQ(model.IndexAtY(-1), -1);

	// Inserting in the middle and changing a height move the rows below.
	Row tall(30);
	model.AddItem(&tall, 1);
	EXPECT_EQ(model.Top(2), 44);
	rows[0]->SetHeight(4);
	model.InvalidateLayout(0);
	EXPECT_EQ(model.Top(1), 4);
	EXPECT_EQ(model.Top(2), 34);
	EXPECT_EQ(model.IndexAtY(33), 1);
	model.RemoveItem(1);
	EXPECT_EQ(model.Top(1), 4);
	EXPECT_EQ(model.Top(3), 32);
	model.MakeEmpty();
}

}  // namespace
