#include <List.h>

#include <cstdlib>
#include <cstring>

BList::BList(int32 blockSize)
	: fBlockSize(blockSize > 0 ? blockSize : 20)
{
}

BList::BList(const BList& other)
	: fBlockSize(other.fBlockSize)
{
	*this = other;
}

BList::~BList()
{
	std::free(fItems);
}

BList& BList::operator=(const BList& other)
{
	if (this == &other)
		return *this;
	fCount = 0;
	if (_Reserve(other.fCount)) {
		if (other.fCount > 0)
			std::memcpy(fItems, other.fItems, sizeof(void*) * other.fCount);
		fCount = other.fCount;
	}
	return *this;
}

bool BList::_Reserve(int32 count)
{
	if (count <= fCapacity)
		return true;
	// Capacity grows in whole blocks of the list's block size.
	int32 capacity = ((count + fBlockSize - 1) / fBlockSize) * fBlockSize;
	void** items = static_cast<void**>(std::realloc(fItems, sizeof(void*) * capacity));
	if (items == nullptr)
		return false;
	fItems = items;
	fCapacity = capacity;
	return true;
}

bool BList::AddItem(void* item, int32 index)
{
	if (index < 0 || index > fCount || !_Reserve(fCount + 1))
		return false;
	std::memmove(fItems + index + 1, fItems + index, sizeof(void*) * (fCount - index));
	fItems[index] = item;
	fCount++;
	return true;
}

bool BList::AddItem(void* item)
{
	return AddItem(item, fCount);
}

bool BList::AddList(const BList* list)
{
	if (list == nullptr || !_Reserve(fCount + list->fCount))
		return false;
	if (list->fCount > 0)
		std::memcpy(fItems + fCount, list->fItems, sizeof(void*) * list->fCount);
	fCount += list->fCount;
	return true;
}

bool BList::RemoveItem(void* item)
{
	int32 index = IndexOf(item);
	if (index < 0)
		return false;
	RemoveItem(index);
	return true;
}

void* BList::RemoveItem(int32 index)
{
	if (index < 0 || index >= fCount)
		return nullptr;
	void* item = fItems[index];
	RemoveItems(index, 1);
	return item;
}

bool BList::RemoveItems(int32 index, int32 count)
{
	if (index < 0 || index >= fCount || count < 0)
		return false;
	if (count > fCount - index)
		count = fCount - index;
	std::memmove(fItems + index, fItems + index + count,
		sizeof(void*) * (fCount - index - count));
	fCount -= count;
	return true;
}

bool BList::ReplaceItem(int32 index, void* newItem)
{
	if (index < 0 || index >= fCount)
		return false;
	fItems[index] = newItem;
	return true;
}

void BList::MakeEmpty()
{
	fCount = 0;
}

void* BList::ItemAt(int32 index) const
{
	return index >= 0 && index < fCount ? fItems[index] : nullptr;
}

void* BList::FirstItem() const
{
	return ItemAt(0);
}

void* BList::LastItem() const
{
	return ItemAt(fCount - 1);
}

bool BList::HasItem(void* item) const
{
	return IndexOf(item) >= 0;
}

int32 BList::IndexOf(void* item) const
{
	for (int32 i = 0; i < fCount; i++) {
		if (fItems[i] == item)
			return i;
	}
	return -1;
}

void BList::SortItems(int (*compare)(const void*, const void*))
{
	if (compare != nullptr && fCount > 1)
		std::qsort(fItems, fCount, sizeof(void*), compare);
}

void BList::DoForEach(bool (*func)(void* item))
{
	if (func == nullptr)
		return;
	for (int32 i = 0; i < fCount; i++) {
		if (func(fItems[i]))
			break;
	}
}
