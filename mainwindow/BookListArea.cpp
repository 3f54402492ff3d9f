// Sections: the header strip; the record list; the selection and the list's place.
#include "BookListArea.h"

#include "ABListItem.h"
#include "ABListView.h"
#include "CVABook.h"
#include "CommandCodes.h"
#include "MyButton.h"

#include <List.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <Window.h>

#include <algorithm>
#include <cassert>
#include <unordered_set>

BookListArea::BookListArea(BView* parent, CVABWindow* window)
	: fParent(parent),
	  fWindow(window)
{
	_BuildHeader();
}

void BookListArea::_AssertLocked() const
{
	assert(fParent->Window() == nullptr || fParent->Window()->IsLocked());
}

// --- the header strip

void BookListArea::_BuildHeader()
{
	_AssertLocked();
	fHeaderView = new BView(BRect(0, 16, 10700, 36), "ButtonView",
		B_FOLLOW_TOP | B_FOLLOW_LEFT | B_FOLLOW_RIGHT, B_WILL_DRAW);
	for (int32 column = 0; column < fColumns.Count(); column++) {
		const int32 field = fColumns.FieldAt(column);
		const float left = BookColumns::Left(column);
		BMessage* message = new BMessage(kSortCommand);
		message->AddInt32("FieldIndex", field);
		fHeaderView->AddChild(new MyButton(BRect(left, 3, left + BookColumns::kWidth - 1, 20),
			kBookFieldNames[field], kBookFieldNames[field], message,
			B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE));
	}
	fParent->AddChild(fHeaderView);
	if (fListView != nullptr)
		fHeaderView->ScrollTo(fListView->ScrollOffset());
}

void BookListArea::_RemoveHeader()
{
	_AssertLocked();
	if (fHeaderView == nullptr)
		return;
	fParent->RemoveChild(fHeaderView);
	delete fHeaderView;
	fHeaderView = nullptr;
}

bool BookListArea::ShowColumns(uint32 command, int32 field)
{
	if (!fColumns.Apply(command, field))
		return false;
	_RemoveHeader();
	_BuildHeader();
	if (fListView != nullptr)
		fListView->SetColumnCount(fColumns.Count());
	return true;
}

void BookListArea::Resized(BRect bounds, float width, float height)
{
	_AssertLocked();
	BRect across(fLastWidth, bounds.top, width, bounds.bottom);
	BRect down(bounds.left, fLastHeight, bounds.right, height);
	if (fListView != nullptr) {
		fListView->Invalidate(across);
		fListView->Invalidate(down);
	} else {
		across.left -= 24;
		down.top -= 24;
		fParent->Invalidate(across);
		fParent->Invalidate(down);
	}
	fLastWidth = width;
	fLastHeight = height;
}

// --- the record list

void BookListArea::BuildList()
{
	_AssertLocked();
	BRect frame = fParent->Bounds();
	frame.top += 37;
	frame.right -= 14;
	frame.bottom -= 14;
	fListView = new ABListView(frame, "BListView", fWindow);
	fScrollView = new BScrollView("Scroll", fListView, B_FOLLOW_ALL_SIDES, B_WILL_DRAW, true,
		true, B_NO_BORDER);
	fParent->AddChild(fScrollView);
	fScrollView->ScrollBar(B_VERTICAL)->SetSteps(15, 150);
	fScrollView->ScrollBar(B_HORIZONTAL)->SetSteps(15, 175);
	fListView->SetColumnCount(fColumns.Count());
}

void BookListArea::RemoveList()
{
	_AssertLocked();
	if (fScrollView == nullptr)
		return;
	EmptyList();
	fParent->RemoveChild(fScrollView);
	delete fScrollView;
	fScrollView = nullptr;
	fListView = nullptr;
}

void BookListArea::EmptyList()
{
	_AssertLocked();
	if (fListView == nullptr)
		return;
	const BPoint offset = fListView->ScrollOffset();
	const int32 count = fListView->CountItems();
	// Take the rows out in one go before deleting them: the list must not draw
	// a row whose item is gone.
	std::vector<BListItem*> rows(fListView->Items(), fListView->Items() + count);
	fListView->MakeEmpty();
	for (BListItem* row : rows)
		delete row;
	fListView->ScrollTo(offset);
}

bool BookListArea::Reload(CVABook* book)
{
	EmptyList();
	if (fListView == nullptr || book == nullptr)
		return false;
	BList rows(book->CountRecords());
	for (ABookRecord* record = book->FirstRecord(); record != nullptr; record = record->Next())
		rows.AddItem(new ABListItem(record, fWindow));
	fListView->AddList(&rows);
	fListView->ScrollTo(BPoint(fListView->ScrollOffset().x, 0));
	return true;
}

// --- the selection and the list's place

int32 BookListArea::Selection() const
{
	return fListView != nullptr ? fListView->CurrentSelection(0) : -1;
}

// The row holds its record, and the rows always mirror the document: asking the
// document by position would walk its list up to the selection on every
// selection change, a cost that grows with the book.
const ABookRecord* BookListArea::SelectedRecord() const
{
	if (fListView == nullptr)
		return nullptr;
	const auto* row = static_cast<const ABListItem*>(fListView->ItemAt(Selection()));
	return row != nullptr ? row->Record() : nullptr;
}

void BookListArea::SelectFirst(int32 count)
{
	_AssertLocked();
	if (fListView != nullptr && count > 0)
		fListView->Select(0, count - 1, false);
}

BookListArea::place BookListArea::Place() const
{
	place where;
	if (fListView == nullptr)
		return where;
	where.top = fListView->Bounds().top;
	const int32 count = fListView->CountItems();
	for (int32 index = 0; index < count; index++) {
		const auto* row = static_cast<const ABListItem*>(fListView->ItemAt(index));
		if (row->IsSelected())
			where.selected.push_back(row->Record()->Id());
	}
	return where;
}

void BookListArea::RestorePlace(const place& where)
{
	_AssertLocked();
	if (fListView == nullptr)
		return;
	const std::unordered_set<record_id, record_id_hash> selected(where.selected.begin(),
		where.selected.end());
	const int32 count = fListView->CountItems();
	int32 runStart = -1;
	for (int32 index = 0; index <= count && !selected.empty(); index++) {
		const bool isSelected = index < count
			&& selected.contains(static_cast<ABListItem*>(fListView->ItemAt(index))->Record()->Id());
		if (isSelected && runStart < 0) {
			runStart = index;
		} else if (!isSelected && runStart >= 0) {
			fListView->Select(runStart, index - 1, true);
			runStart = -1;
		}
	}
	const float bottom = count > 0 ? fListView->ItemFrame(count - 1).bottom : 0;
	const float top = std::min(where.top, std::max(0.0f, bottom - fListView->Bounds().Height()));
	fListView->ScrollTo(BPoint(fListView->ScrollOffset().x, top));
}
