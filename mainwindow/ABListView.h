// The record list: a multiple-selection list whose rows are the document's
// records, reporting selection ('mlsc') and invocation ('mldc') to its window, and
// keeping the window's column-header strip scrolled in step with it sideways. A
// screen reader reads it as a table: the window's columns, headed by the header
// strip's buttons, the records' fields in the cells.
// Threading: its window's thread, or with the window locked (SelectRecord locks
// it itself).
#ifndef _AB_LIST_VIEW_H
#define _AB_LIST_VIEW_H

#include <ListView.h>

class ABookRecord;
class CVABWindow;

class ABListView : public BListView {
public:
	ABListView(BRect frame, const char* name, CVABWindow* window);

	void ScrollTo(BPoint where) override;
	using BView::ScrollTo;
	void FrameResized(float newWidth, float newHeight) override;

	// Selects the row of record alone and scrolls it into view; a record that
	// has no row changes nothing. Locks the window.
	void SelectRecord(const ABookRecord* record);

	// The remembered scroll position: the horizontal offset only.
	BPoint ScrollOffset() const { return fScrollOffset; }
	// Lets the horizontal scroll bar reach the last of this many columns.
	void SetColumnCount(int32 columns);

	int32 CountColumns() const override;
	BView* ColumnHeader(int32 column) const override;
	std::string CellText(int32 row, int32 column) const override;
	BRect CellFrame(int32 row, int32 column) const override;

private:
	void _UpdateHorizontalRange();

	CVABWindow* const fOwnerWindow;
	BPoint fScrollOffset{0, 0};
	int32 fColumnCount = 0;
};

#endif
