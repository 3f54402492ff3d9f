// An ordered list of untyped pointers that grows in blocks.
// Threading: not synchronised; the owner guards it.
#ifndef _LIST_H
#define _LIST_H

#include <SupportDefs.h>

class BList {
public:
	explicit BList(int32 blockSize = 20);
	BList(const BList& other);
	virtual ~BList();

	BList& operator=(const BList& other);

	bool AddItem(void* item);
	bool AddItem(void* item, int32 index);
	bool AddList(const BList* list);
	bool RemoveItem(void* item);
	void* RemoveItem(int32 index);
	bool RemoveItems(int32 index, int32 count);
	bool ReplaceItem(int32 index, void* newItem);
	void MakeEmpty();

	void* ItemAt(int32 index) const;
	void* FirstItem() const;
	void* LastItem() const;
	void** Items() const { return fItems; }
	bool HasItem(void* item) const;
	int32 IndexOf(void* item) const;
	int32 CountItems() const { return fCount; }
	bool IsEmpty() const { return fCount == 0; }

	void SortItems(int (*compare)(const void*, const void*));
	void DoForEach(bool (*func)(void* item));

	int32 BlockSize() const { return fBlockSize; }

private:
	bool _Reserve(int32 count);

	void** fItems = nullptr;
	int32 fCount = 0;
	int32 fCapacity = 0;
	int32 fBlockSize;
};

#endif
