#include "ListModel.h"

#include <ListItem.h>

#include <algorithm>
#include <cmath>

namespace BPrivate {

ListModel::~ListModel()
{
	MakeEmpty();
}

void ListModel::SetMultiple(bool multiple)
{
	if (multiple == fMultiple)
		return;
	fMultiple = multiple;
	if (!fMultiple && fSelectedCount > 1) {
		const int32 keep = CurrentSelection(0);
		DeselectExcept(keep, keep);
	}
}

bool ListModel::AddItem(BListItem* item, int32 index)
{
	if (item == nullptr || index < 0 || index > CountItems() || item->fOwnerList != nullptr)
		return false;
	fItems.insert(fItems.begin() + index, item);
	item->fOwnerList = this;
	if (item->fSelected) {
		if (!fMultiple)
			DeselectAll();
		fSelectedCount++;
		fFirstSelected = std::min(fFirstSelected, index);
	}
	if (fAnchor >= index)
		fAnchor++;
	if (fLastSelected >= index)
		fLastSelected++;
	_Reindex(index);
	InvalidateLayout(index);
	return true;
}

BListItem* ListModel::RemoveItem(int32 index)
{
	BListItem* item = ItemAt(index);
	if (item == nullptr)
		return nullptr;
	if (item->fSelected) {
		item->fSelected = false;
		fSelectedCount--;
	}
	fItems.erase(fItems.begin() + index);
	if (index < fFirstSelected)
		fFirstSelected--;
	item->fOwnerList = nullptr;
	item->fIndex = -1;
	for (int32* mark : {&fAnchor, &fLastSelected}) {
		if (*mark == index)
			*mark = -1;
		else if (*mark > index)
			(*mark)--;
	}
	_Reindex(index);
	InvalidateLayout(index);
	return item;
}

bool ListModel::RemoveItems(int32 index, int32 count)
{
	if (index < 0 || count < 0 || index + count > CountItems())
		return false;
	for (int32 i = 0; i < count; i++)
		RemoveItem(index);
	return true;
}

void ListModel::MakeEmpty()
{
	for (BListItem* item : fItems) {
		item->fOwnerList = nullptr;
		item->fIndex = -1;
		item->fSelected = false;
	}
	fItems.clear();
	fTops.clear();
	fLaidOut = 0;
	fSelectedCount = 0;
	fFirstSelected = 0;
	fAnchor = fLastSelected = -1;
}

BListItem* ListModel::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return nullptr;
	return fItems[index];
}

int32 ListModel::IndexOf(const BListItem* item) const
{
	if (item == nullptr || item->fOwnerList != this)
		return -1;
	return item->fIndex;
}

void ListModel::_Reindex(int32 fromIndex)
{
	for (int32 i = fromIndex; i < CountItems(); i++)
		fItems[i]->fIndex = i;
}

void ListModel::InvalidateLayout(int32 fromIndex)
{
	// The top of fromIndex itself still holds: only the rows before it decide it.
	fLaidOut = std::min(fLaidOut, std::max((int32)0, fromIndex) + 1);
}

void ListModel::_Layout() const
{
	const int32 count = CountItems();
	fTops.resize((size_t)count + 1);
	if (fLaidOut == 0)
		fTops[0] = 0;
	for (int32 i = std::max((int32)0, fLaidOut - 1); i < count; i++)
		fTops[i + 1] = fTops[i] + std::ceil(fItems[i]->Height());
	fLaidOut = count + 1;
}

float ListModel::Top(int32 index) const
{
	if (fLaidOut != CountItems() + 1)
		_Layout();
	return fTops[std::clamp(index, (int32)0, CountItems())];
}

float ListModel::Bottom(int32 index) const
{
	return Top(index + 1) - 1;
}

float ListModel::TotalHeight() const
{
	return Top(CountItems());
}

int32 ListModel::IndexAtY(float y) const
{
	if (CountItems() == 0 || y < 0 || y >= TotalHeight())
		return -1;
	// fTops is sorted: the row is the last one whose top is at or above y.
	const auto end = fTops.begin() + CountItems();
	const auto next = std::upper_bound(fTops.begin(), end, y);
	return (int32)(next - fTops.begin()) - 1;
}

bool ListModel::_SetSelected(int32 index, bool selected)
{
	BListItem* item = ItemAt(index);
	if (item == nullptr || item->fSelected == selected)
		return false;
	item->fSelected = selected;
	fSelectedCount += selected ? 1 : -1;
	if (selected)
		fFirstSelected = std::min(fFirstSelected, index);
	return true;
}

bool ListModel::Select(int32 index, bool extend)
{
	if (ItemAt(index) == nullptr)
		return false;
	bool changed = false;
	if (!extend || !fMultiple)
		changed = DeselectExcept(index, index);
	changed = _SetSelected(index, true) || changed;
	fAnchor = fLastSelected = index;
	return changed;
}

bool ListModel::Select(int32 from, int32 to, bool extend)
{
	if (to < from)
		std::swap(from, to);
	from = std::max((int32)0, from);
	to = std::min(to, CountItems() - 1);
	if (from > to)
		return false;
	if (!fMultiple)
		return Select(to, false);
	bool changed = extend ? false : DeselectExcept(from, to);
	for (int32 i = from; i <= to; i++)
		changed = _SetSelected(i, true) || changed;
	fLastSelected = to;
	if (fAnchor < 0)
		fAnchor = from;
	return changed;
}

bool ListModel::Deselect(int32 index)
{
	return _SetSelected(index, false);
}

bool ListModel::DeselectAll()
{
	return DeselectExcept(0, -1);
}

bool ListModel::DeselectExcept(int32 from, int32 to)
{
	if (fSelectedCount == 0)
		return false;
	bool changed = false;
	for (int32 i = fFirstSelected; i < CountItems() && fSelectedCount > 0; i++) {
		if (i < from || i > to)
			changed = _SetSelected(i, false) || changed;
	}
	return changed;
}

bool ListModel::IsItemSelected(int32 index) const
{
	const BListItem* item = ItemAt(index);
	return item != nullptr && item->fSelected;
}

int32 ListModel::CurrentSelection(int32 i) const
{
	if (i < 0 || i >= fSelectedCount)
		return -1;
	bool first = true;
	for (int32 index = fFirstSelected; index < CountItems(); index++) {
		if (!fItems[index]->fSelected)
			continue;
		if (first) {
			fFirstSelected = index;  // none before it is selected
			first = false;
		}
		if (i-- == 0)
			return index;
	}
	return -1;
}

bool ListModel::Click(int32 index, bool shift, bool command)
{
	const BListItem* item = ItemAt(index);
	if (item == nullptr || !item->IsEnabled())
		return false;
	if (fMultiple && command) {
		const bool changed = _SetSelected(index, !item->fSelected);
		fAnchor = fLastSelected = index;
		return changed;
	}
	if (fMultiple && shift && fAnchor >= 0) {
		const int32 anchor = fAnchor;
		const bool changed = Select(std::min(anchor, index), std::max(anchor, index), false);
		fAnchor = anchor;
		fLastSelected = index;
		return changed;
	}
	return Select(index, false);
}

bool ListModel::MoveTo(int32 index, bool extend)
{
	if (CountItems() == 0)
		return false;
	index = std::clamp(index, (int32)0, CountItems() - 1);
	if (extend && fMultiple && fAnchor >= 0) {
		const int32 anchor = fAnchor;
		const bool changed = Select(std::min(anchor, index), std::max(anchor, index), false);
		fAnchor = anchor;
		fLastSelected = index;
		return changed;
	}
	return Select(index, false);
}

}  // namespace BPrivate
