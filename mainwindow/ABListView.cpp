#include "ABListView.h"

#include "ABListItem.h"
#include "ABookRecord.h"
#include "BookColumns.h"
#include "CVABWindow.h"
#include "CommandCodes.h"

#include <ScrollBar.h>

#include <algorithm>

ABListView::ABListView(BRect frame, const char* name, CVABWindow* window)
	: BListView(frame, name, B_MULTIPLE_SELECTION_LIST, B_FOLLOW_ALL_SIDES,
		  B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE),
	  fOwnerWindow(window)
{
	SetSelectionMessage(new BMessage(kSelectionCommand));
	SetInvocationMessage(new BMessage(kInvocationCommand));
}

void ABListView::ScrollTo(BPoint where)
{
	fScrollOffset = BPoint(where.x, 0);
	if (BView* header = fOwnerWindow->ButtonView())
		header->ScrollTo(fScrollOffset);
	BListView::ScrollTo(where);
}

void ABListView::FrameResized(float newWidth, float newHeight)
{
	BListView::FrameResized(newWidth, newHeight);
	_UpdateHorizontalRange();
}

void ABListView::SelectRecord(const ABookRecord* record)
{
	if (!fOwnerWindow->Lock())
		return;
	const int32 count = CountItems();
	for (int32 index = 0; index < count; index++) {
		if (static_cast<ABListItem*>(ItemAt(index))->Record() == record) {
			Select(index, false);
			ScrollToSelection();
			break;
		}
	}
	fOwnerWindow->Unlock();
}

void ABListView::SetColumnCount(int32 columns)
{
	fColumnCount = columns;
	_UpdateHorizontalRange();
}

// The columns run 80 pixels each from 2 pixels in; the bar reaches the last one.
void ABListView::_UpdateHorizontalRange()
{
	BScrollBar* bar = ScrollBar(B_HORIZONTAL);
	if (bar == nullptr)
		return;
	const float content = fColumnCount > 0 ? 2 + BookColumns::Left(fColumnCount) : 0;
	const float shown = Bounds().Width() + 1;
	bar->SetRange(0, std::max(0.0f, content - shown));
	bar->SetProportion(content > 0 ? std::min(1.0f, shown / content) : 1.0f);
}

// --- how the list reads

int32 ABListView::CountColumns() const
{
	return fOwnerWindow->Columns().Count();
}

BView* ABListView::ColumnHeader(int32 column) const
{
	BView* header = fOwnerWindow->ButtonView();
	return header != nullptr ? header->ChildAt(column) : nullptr;
}

std::string ABListView::CellText(int32 row, int32 column) const
{
	const auto* item = static_cast<const ABListItem*>(ItemAt(row));
	const int32 field = fOwnerWindow->Columns().FieldAt(column);
	return item != nullptr && field >= 0 ? item->Record()->Field(field) : "";
}

BRect ABListView::CellFrame(int32 row, int32 column) const
{
	BRect frame = ItemFrame(row);
	if (frame.IsValid()) {
		frame.left += BookColumns::Left(column);
		frame.right = frame.left + BookColumns::kWidth - 1;
	}
	return frame;
}
