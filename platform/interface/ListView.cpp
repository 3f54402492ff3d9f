// BListView. Sections: construction and attachment; items; geometry and drawing;
// selection; messages; mouse and keys; scrolling; how the list reads.
#include <ListView.h>

#include <List.h>

#include <ScrollBar.h>
#include <Window.h>

#include <AppDefs.h>
#include <Message.h>

#include "AccessibleLinks.h"
#include "ListModel.h"

#include <algorithm>

using BPrivate::AccessibleLinks;
using BPrivate::ListModel;

namespace {

// The step of the scroll bar's arrows when the list has no rows to measure.
const float kDefaultSmallStep = 20;

}  // namespace

// --- construction and attachment

BListView::BListView(BRect frame, const char* name, list_view_type type, uint32 resizingMode,
	uint32 flags)
	: BView(frame, name, resizingMode, flags),
	  BInvoker(nullptr, nullptr),
	  fModel(std::make_unique<ListModel>(type == B_MULTIPLE_SELECTION_LIST)),
	  fType(type)
{
}

BListView::~BListView() = default;

void BListView::AttachedToWindow()
{
	BView::AttachedToWindow();
	if (!Messenger().IsValid())
		SetTarget(Window());
	_UpdateItems();
	_FixupScrollBar();
}

void BListView::FrameResized(float newWidth, float newHeight)
{
	BView::FrameResized(newWidth, newHeight);
	_FixupScrollBar();
}

void BListView::SetFont(const BFont* font, uint32 mask)
{
	BView::SetFont(font, mask);
	_UpdateItems();
	_FixupScrollBar();
	Invalidate();
}

void BListView::_UpdateItems()
{
	BFont font;
	GetFont(&font);
	for (int32 i = 0; i < CountItems(); i++)
		ItemAt(i)->Update(this, &font);
	fModel->InvalidateLayout(0);
}

// --- items

bool BListView::AddItem(BListItem* item)
{
	return AddItem(item, CountItems());
}

bool BListView::AddItem(BListItem* item, int32 index)
{
	if (item == nullptr || !fModel->AddItem(item, index))
		return false;
	BFont font;
	GetFont(&font);
	item->Update(this, &font);
	fModel->InvalidateLayout(index);
	_RowsChanged(index);
	return true;
}

bool BListView::AddList(BList* items)
{
	return AddList(items, CountItems());
}

bool BListView::AddList(BList* items, int32 index)
{
	if (items == nullptr || index < 0 || index > CountItems())
		return false;
	const int32 count = items->CountItems();
	for (int32 i = 0; i < count; i++) {
		if (items->ItemAt(i) == nullptr)
			return false;
	}
	BFont font;
	GetFont(&font);
	int32 added = 0;
	for (int32 i = 0; i < count; i++) {
		auto* item = static_cast<BListItem*>(items->ItemAt(i));
		if (fModel->AddItem(item, index + added)) {
			item->Update(this, &font);
			added++;
		}
	}
	fModel->InvalidateLayout(index);
	_RowsChanged(index);
	return true;
}

bool BListView::RemoveItem(BListItem* item)
{
	const int32 index = IndexOf(item);
	return index >= 0 && RemoveItem(index) != nullptr;
}

BListItem* BListView::RemoveItem(int32 index)
{
	const bool wasSelected = IsItemSelected(index);
	BListItem* item = fModel->RemoveItem(index);
	if (item == nullptr)
		return nullptr;
	_RowsChanged(index);
	if (wasSelected)
		_SelectionChanged();
	return item;
}

bool BListView::RemoveItems(int32 index, int32 count)
{
	if (index < 0 || count <= 0 || index + count > CountItems())
		return false;
	bool anySelected = false;
	for (int32 i = index; i < index + count && !anySelected; i++)
		anySelected = IsItemSelected(i);
	if (!fModel->RemoveItems(index, count))
		return false;
	_RowsChanged(index);
	if (anySelected)
		_SelectionChanged();
	return true;
}

void BListView::MakeEmpty()
{
	const bool hadSelection = CurrentSelection(0) >= 0;
	fModel->MakeEmpty();
	_RowsChanged(0);
	if (hadSelection)
		_SelectionChanged();
}

int32 BListView::CountItems() const
{
	return fModel->CountItems();
}

BListItem* BListView::ItemAt(int32 index) const
{
	return fModel->ItemAt(index);
}

int32 BListView::IndexOf(const BListItem* item) const
{
	return fModel->IndexOf(item);
}

int32 BListView::IndexOf(BPoint point) const
{
	return fModel->IndexAtY(point.y);
}

BListItem* const* BListView::Items() const
{
	return fModel->Items();
}

// --- geometry and drawing

BRect BListView::ItemFrame(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return BRect();
	// Rows start at the content's left edge, so a horizontal scroll moves what they
	// draw, and reach the right edge of what is shown.
	return BRect(0, fModel->Top(index), std::max(0.0f, Bounds().right), fModel->Bottom(index));
}

void BListView::InvalidateItem(int32 index)
{
	const BRect frame = ItemFrame(index);
	if (frame.IsValid())
		Invalidate(frame);
}

void BListView::Draw(BRect updateRect)
{
	int32 index = fModel->IndexAtY(std::max(0.0f, updateRect.top));
	if (index < 0)
		return;  // the update lies below the last row
	for (; index < CountItems(); index++) {
		const BRect frame = ItemFrame(index);
		if (frame.top > updateRect.bottom)
			break;
		ItemAt(index)->DrawItem(this, frame, true);
	}
	_DrawFocusRow(updateRect);
}

// A one-pixel frame of alternating black and white dots, seen on any row tint
// and on a selected row alike.
void BListView::_DrawFocusRow(BRect updateRect)
{
	if (!IsFocus())
		return;
	const BRect frame = ItemFrame(_FocusRow());
	if (!frame.IsValid() || !frame.Intersects(updateRect))
		return;
	const rgb_color high = HighColor();
	const rgb_color low = LowColor();
	SetHighColor(0, 0, 0);
	SetLowColor(255, 255, 255);
	StrokeRect(frame, B_MIXED_COLORS);
	SetHighColor(high);
	SetLowColor(low);
}

void BListView::_RowsChanged(int32 fromIndex)
{
	AccessibleLinks::Note(this, BPrivate::kAccessibleRows | BPrivate::kAccessibleFocusRow);
	_FixupScrollBar();
	if (Window() == nullptr)
		return;
	// Only the rows from here down to the bottom of what is shown move.
	const BRect bounds = Bounds();
	const float top = fromIndex < CountItems() ? fModel->Top(fromIndex) : fModel->TotalHeight();
	if (top <= bounds.bottom)
		Invalidate(BRect(bounds.left, std::max(top, bounds.top), bounds.right, bounds.bottom));
	// Rows removed from the end may leave the list scrolled past its last row.
	const float lowest = std::max(0.0f, fModel->TotalHeight() - (bounds.Height() + 1));
	if (bounds.top > lowest)
		ScrollTo(BPoint(bounds.left, lowest));
}

// --- selection

void BListView::Select(int32 index, bool extend)
{
	if (fModel->Select(index, extend))
		_SelectionChanged();
}

void BListView::Select(int32 from, int32 to, bool extend)
{
	if (fModel->Select(from, to, extend))
		_SelectionChanged();
}

void BListView::Deselect(int32 index)
{
	if (fModel->Deselect(index))
		_SelectionChanged();
}

void BListView::DeselectAll()
{
	if (fModel->DeselectAll())
		_SelectionChanged();
}

void BListView::DeselectExcept(int32 exceptFrom, int32 exceptTo)
{
	if (fModel->DeselectExcept(exceptFrom, exceptTo))
		_SelectionChanged();
}

bool BListView::IsItemSelected(int32 index) const
{
	return fModel->IsItemSelected(index);
}

int32 BListView::CurrentSelection(int32 i) const
{
	return fModel->CurrentSelection(i);
}

void BListView::SetListType(list_view_type type)
{
	fType = type;
	const int32 before = CurrentSelection(1);
	fModel->SetMultiple(type == B_MULTIPLE_SELECTION_LIST);
	if (before >= 0 && CurrentSelection(1) < 0)
		_SelectionChanged();  // a single-selection list kept one row of several
}

void BListView::SelectionChanged() {}

void BListView::_SelectionChanged()
{
	// Which rows changed is not tracked; redrawing what is shown is one screenful.
	if (Window() != nullptr)
		Invalidate();
	AccessibleLinks::Note(this, BPrivate::kAccessibleSelection | BPrivate::kAccessibleFocusRow);
	SelectionChanged();
	if (fSelectionMessage != nullptr)
		_Send(fSelectionMessage.get());
}

// --- messages

void BListView::SetSelectionMessage(BMessage* message)
{
	fSelectionMessage.reset(message);
}

uint32 BListView::SelectionCommand() const
{
	return fSelectionMessage != nullptr ? fSelectionMessage->what : 0;
}

void BListView::SetInvocationMessage(BMessage* message)
{
	SetMessage(message);
}

status_t BListView::Invoke(BMessage* message)
{
	const BMessage* original = message != nullptr ? message : Message();
	if (original == nullptr)
		return B_BAD_VALUE;
	return _Send(original);
}

status_t BListView::_Send(const BMessage* message)
{
	BMessage copy(*message);
	for (int32 i = 0; CurrentSelection(i) >= 0; i++)
		copy.AddInt32("index", CurrentSelection(i));
	return InvokeFrom(static_cast<BView*>(this), &copy);
}

// --- mouse and keys

void BListView::MouseDown(BPoint where)
{
	if (!IsFocus())
		MakeFocus(true);
	const BMessage* message = Window()->CurrentMessage();
	const uint32 held = message != nullptr ? (uint32)message->GetInt32("modifiers", 0) : 0;
	const int32 clicks = message != nullptr ? message->GetInt32("clicks", 1) : 1;
	const int32 index = IndexOf(where);
	if (index < 0) {
		if ((held & (B_SHIFT_KEY | B_COMMAND_KEY)) == 0)
			DeselectAll();
		fLastClicked = -1;
		return;
	}
	// The second click of a double-click on the row the first one selected invokes.
	if (clicks >= 2 && index == fLastClicked) {
		if (IsItemSelected(index))
			Invoke();
		return;
	}
	fLastClicked = index;
	if (fModel->Click(index, (held & B_SHIFT_KEY) != 0, (held & B_COMMAND_KEY) != 0))
		_SelectionChanged();
}

void BListView::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes != 1) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	const BMessage* message = Window() != nullptr ? Window()->CurrentMessage() : nullptr;
	const uint32 held = message != nullptr ? (uint32)message->GetInt32("modifiers", 0) : 0;
	const bool extend = (held & B_SHIFT_KEY) != 0 && fType == B_MULTIPLE_SELECTION_LIST;
	const int32 from = _KeyRow();
	int32 to;
	switch (bytes[0]) {
		case B_UP_ARROW: to = from < 0 ? 0 : from - 1; break;
		case B_DOWN_ARROW: to = from + 1; break;
		case B_HOME: to = 0; break;
		case B_END: to = CountItems() - 1; break;
		case B_PAGE_UP: to = _PageRow(from, false); break;
		case B_PAGE_DOWN: to = _PageRow(from, true); break;
		case B_ENTER:
			if (CurrentSelection(0) >= 0)
				Invoke();
			return;
		default:
			BView::KeyDown(bytes, numBytes);
			return;
	}
	if (CountItems() == 0)
		return;
	to = std::clamp(to, int32(0), CountItems() - 1);
	if (fModel->MoveTo(to, extend))
		_SelectionChanged();
	_ScrollToItem(to);
}

void BListView::MakeFocus(bool focus)
{
	if (focus == IsFocus())
		return;
	BView::MakeFocus(focus);
	InvalidateItem(_FocusRow());
	AccessibleLinks::Note(this, BPrivate::kAccessibleFocusRow);
}

int32 BListView::_KeyRow() const
{
	const int32 last = fModel->LastSelected();
	return last >= 0 && last < CountItems() ? last : CurrentSelection(0);
}

int32 BListView::_FocusRow() const
{
	const int32 row = _KeyRow();
	return row >= 0 ? row : (CountItems() > 0 ? 0 : -1);
}

int32 BListView::_PageRow(int32 from, bool down) const
{
	if (from < 0)
		return 0;
	const float page = Bounds().Height() + 1;
	const float y = down ? fModel->Bottom(from) + page : fModel->Top(from) - page;
	const int32 row = fModel->IndexAtY(std::max(0.0f, y));
	// Past the last row the page ends there; a row that just fits stays in view.
	if (row < 0)
		return CountItems() - 1;
	return down ? std::max(from, row - 1) : std::min(from, row + 1);
}

// --- scrolling

void BListView::ScrollToSelection()
{
	const int32 index = CurrentSelection(0);
	if (index >= 0)
		_ScrollToItem(index);
}

void BListView::_ScrollToItem(int32 index)
{
	const BRect frame = ItemFrame(index);
	if (!frame.IsValid())
		return;
	const BRect bounds = Bounds();
	if (frame.top < bounds.top)
		ScrollTo(BPoint(bounds.left, frame.top));
	else if (frame.bottom > bounds.bottom)
		ScrollTo(BPoint(bounds.left, frame.bottom - bounds.Height()));
}

void BListView::_FixupSteps(BScrollBar* bar, float shown)
{
	// Steps someone else chose stay as they are; the list only keeps its own up to date.
	float small = 0;
	float large = 0;
	bar->GetSteps(&small, &large);
	if (fOwnSteps.x >= 0 && (small != fOwnSteps.x || large != fOwnSteps.y))
		return;
	const float smallStep = CountItems() > 0 ? ItemAt(0)->Height() : kDefaultSmallStep;
	fOwnSteps = BPoint(smallStep, std::max(smallStep, shown - smallStep));
	bar->SetSteps(fOwnSteps.x, fOwnSteps.y);
}

void BListView::_FixupScrollBar()
{
	BScrollBar* bar = ScrollBar(B_VERTICAL);
	if (bar == nullptr)
		return;
	const float shown = Bounds().Height() + 1;
	const float total = fModel->TotalHeight();
	_FixupSteps(bar, shown);
	bar->SetProportion(total > shown ? shown / total : 1);
	bar->SetRange(0, std::max(0.0f, total - shown));
}

// --- how the list reads

int32 BListView::CountColumns() const
{
	return 1;
}

BView* BListView::ColumnHeader(int32) const
{
	return nullptr;
}

std::string BListView::CellText(int32 row, int32 column) const
{
	const auto* item = dynamic_cast<const BStringItem*>(ItemAt(row));
	return item != nullptr && column == 0 && item->Text() != nullptr ? item->Text() : "";
}

BRect BListView::CellFrame(int32 row, int32) const
{
	return ItemFrame(row);
}
