// ListModel: the rows of a BListView and their selection, apart from drawing.
// Items know their own index (IndexOf is constant time) and the row tops are kept
// as running sums, rebuilt lazily from the first row that changed, so appending
// and finding the row under a point stay cheap for long lists.
// Threading: owned by one list view; its window's thread, window locked.
#ifndef _CVAB_LIST_MODEL_H
#define _CVAB_LIST_MODEL_H

#include <SupportDefs.h>

#include <vector>

class BListItem;

namespace BPrivate {

class ListModel {
public:
	explicit ListModel(bool multiple) : fMultiple(multiple) {}
	~ListModel();

	void SetMultiple(bool multiple);
	bool IsMultiple() const { return fMultiple; }

	// Items stay owned by the caller. Insertion keeps the selection on the same
	// items; removing an item deselects it.
	bool AddItem(BListItem* item, int32 index);
	BListItem* RemoveItem(int32 index);
	bool RemoveItems(int32 index, int32 count);
	void MakeEmpty();
	int32 CountItems() const { return (int32)fItems.size(); }
	BListItem* ItemAt(int32 index) const;
	int32 IndexOf(const BListItem* item) const;
	BListItem* const* Items() const { return fItems.data(); }

	// Vertical layout: row i spans [Top(i), Top(i) + ceil(height) - 1].
	float Top(int32 index) const;
	float Bottom(int32 index) const;
	float TotalHeight() const;
	// The row containing y, or -1 outside every row.
	int32 IndexAtY(float y) const;
	// Call after changing an item's height.
	void InvalidateLayout(int32 fromIndex);

	// Selection. Each returns whether the selection changed. In a single-selection
	// list extending is ignored and a range selects its last row only.
	bool Select(int32 index, bool extend);
	bool Select(int32 from, int32 to, bool extend);
	bool Deselect(int32 index);
	bool DeselectAll();
	bool DeselectExcept(int32 from, int32 to);
	bool IsItemSelected(int32 index) const;
	// The index of the i-th selected item in list order, -1 past the last one.
	int32 CurrentSelection(int32 i = 0) const;
	// The row the user last moved to (clicked or reached by a key); -1 if none.
	int32 LastSelected() const { return fLastSelected; }

	// Mouse gestures: a plain click selects one row, Shift extends from the
	// anchor to the row, Ctrl toggles the row. Disabled rows are left alone.
	bool Click(int32 index, bool shift, bool command);
	// Keys: moves the selection to the row (clamped), alone unless extend.
	bool MoveTo(int32 index, bool extend);

private:
	void _Reindex(int32 fromIndex);
	void _Layout() const;
	bool _SetSelected(int32 index, bool selected);

	std::vector<BListItem*> fItems;
	mutable std::vector<float> fTops;  // fTops[i] for i < fLaidOut are valid
	mutable int32 fLaidOut = 0;
	int32 fSelectedCount = 0;
	// No item before it is selected: where looking for the selection starts, so
	// that a long list is not gone through from its top for one row far down.
	mutable int32 fFirstSelected = 0;
	int32 fAnchor = -1;
	int32 fLastSelected = -1;
	bool fMultiple;
};

}  // namespace BPrivate

#endif
