// BListView: a vertical list of BListItems, one or many of them selected. A click
// selects one row, Shift-click extends from the anchor, Ctrl-click toggles a row;
// the arrow keys, Home, End, Page Up and Page Down move the selection and keep it
// in view; a double-click or Enter invokes. While the list has the focus, the row
// the keyboard is on shows a dotted frame. Each change of the selection calls
// SelectionChanged and sends the selection message once. Every scroll passes
// through the virtual ScrollTo; a vertical scroll bar's range follows the rows.
// The list does not own its items.
// Threading: its window's thread, or with the window locked.
#ifndef _LIST_VIEW_H
#define _LIST_VIEW_H

#include <Invoker.h>
#include <ListItem.h>
#include <View.h>

#include <memory>
#include <string>

enum list_view_type {
	B_SINGLE_SELECTION_LIST,
	B_MULTIPLE_SELECTION_LIST,
};

namespace BPrivate {
class AccessibleLinks;
class ListModel;
}
class BList;
class BScrollBar;

class BListView : public BView, public BInvoker {
public:
	BListView(BRect frame, const char* name, list_view_type type = B_SINGLE_SELECTION_LIST,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	virtual ~BListView();

	void AttachedToWindow() override;
	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void KeyDown(const char* bytes, int32 numBytes) override;
	void MakeFocus(bool focus = true) override;
	void FrameResized(float newWidth, float newHeight) override;
	void SetFont(const BFont* font, uint32 mask = B_FONT_ALL) override;

	// Items: at the end or at an index. Removing a selected item changes the selection.
	virtual bool AddItem(BListItem* item);
	virtual bool AddItem(BListItem* item, int32 index);
	// Many items at once, in their order: the rows are laid out and the scroll
	// bar fixed once for all, not once per item. False (nothing added) for a
	// bad index or a null item.
	virtual bool AddList(BList* items);
	virtual bool AddList(BList* items, int32 index);
	virtual bool RemoveItem(BListItem* item);
	virtual BListItem* RemoveItem(int32 index);
	virtual bool RemoveItems(int32 index, int32 count);
	virtual void MakeEmpty();
	int32 CountItems() const;
	bool IsEmpty() const { return CountItems() == 0; }
	BListItem* ItemAt(int32 index) const;
	BListItem* FirstItem() const { return ItemAt(0); }
	BListItem* LastItem() const { return ItemAt(CountItems() - 1); }
	bool HasItem(const BListItem* item) const { return IndexOf(item) >= 0; }
	// Constant time, however long the list.
	int32 IndexOf(const BListItem* item) const;
	// The row under a point in the list's coordinates, or -1.
	int32 IndexOf(BPoint point) const;
	BListItem* const* Items() const;
	// The row's rectangle in the list's coordinates; invalid for a bad index.
	BRect ItemFrame(int32 index) const;
	void InvalidateItem(int32 index);

	// Selection.
	void Select(int32 index, bool extend = false);
	void Select(int32 from, int32 to, bool extend = false);
	void Deselect(int32 index);
	void DeselectAll();
	void DeselectExcept(int32 exceptFrom, int32 exceptTo);
	bool IsItemSelected(int32 index) const;
	// The index of the i-th selected row, -1 past the last one.
	int32 CurrentSelection(int32 i = 0) const;
	// Scrolls the first selected row into view.
	void ScrollToSelection();
	virtual void SetListType(list_view_type type);
	list_view_type ListType() const { return fType; }

	// Both messages go to the invoker's target (the window by default) with the
	// fields "when", "source" and one int32 "index" for each selected row.
	// The list owns the message.
	virtual void SetSelectionMessage(BMessage* message);
	virtual void SetInvocationMessage(BMessage* message);
	BMessage* SelectionMessage() const { return fSelectionMessage.get(); }
	uint32 SelectionCommand() const;
	BMessage* InvocationMessage() const { return Message(); }
	uint32 InvocationCommand() const { return Command(); }
	status_t Invoke(BMessage* message = nullptr) override;

	// Called after every change of the selection, before the message is sent.
	virtual void SelectionChanged();

	// How the list reads to someone who cannot see it (a screen reader): its
	// columns, the view that heads each, and each cell's text and place (in the
	// list's coordinates). A plain list has one column, the texts of its
	// BStringItems, and no header.
	virtual int32 CountColumns() const;
	virtual BView* ColumnHeader(int32 column) const;
	virtual std::string CellText(int32 row, int32 column) const;
	virtual BRect CellFrame(int32 row, int32 column) const;

private:
	friend class BPrivate::AccessibleLinks;

	BListView(const BListView&) = delete;
	BListView& operator=(const BListView&) = delete;

	// After a change of the selection: redraw, the hook, the message.
	void _SelectionChanged();
	status_t _Send(const BMessage* message);
	// Rows from index on moved or changed size.
	void _RowsChanged(int32 fromIndex);
	void _FixupScrollBar();
	void _FixupSteps(BScrollBar* bar, float shown);
	void _ScrollToItem(int32 index);
	// The row a key moves from: the last one reached, else the first selected.
	int32 _KeyRow() const;
	int32 _PageRow(int32 from, bool down) const;
	// The row the keyboard is on, -1 in an empty list.
	int32 _FocusRow() const;
	void _DrawFocusRow(BRect updateRect);
	void _UpdateItems();

	std::unique_ptr<BPrivate::ListModel> fModel;
	std::unique_ptr<BMessage> fSelectionMessage;
	list_view_type fType;
	int32 fLastClicked = -1;
	// The small and large steps the list last gave its bar; x < 0 before the first.
	BPoint fOwnSteps{-1, -1};
};

#endif
