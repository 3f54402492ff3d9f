#include "RecordPool.h"

#include <cassert>
#include <cstdint>
#include <new>

RecordPool::RecordPool() = default;

RecordPool::~RecordPool()
{
	DeleteAll();
}

ABookRecord* RecordPool::New()
{
	if (!fFree.empty()) {
		ABookRecord* slotAddress = fFree.back();
		fFree.pop_back();
		size_t slot = 0;
		Slab* slab = SlabOf(slotAddress, &slot);
		slab->live[slot] = true;
		return new (slotAddress) ABookRecord(kBookFieldCount);
	}
	if (fSlabs.empty() || fSlabs.back()->used == kSlabRecords) {
		// Not value-initialised: zeroing a slab's storage cost more than the
		// records it holds when a book of a few records is made per card.
		fSlabs.push_back(std::make_unique_for_overwrite<Slab>());
		fByAddress[fSlabs.back()->storage] = fSlabs.back().get();
	}
	Slab& slab = *fSlabs.back();
	const size_t slot = slab.used++;
	slab.live[slot] = true;
	return new (slab.storage + slot * sizeof(ABookRecord)) ABookRecord(kBookFieldCount);
}

void RecordPool::Delete(ABookRecord* record)
{
	size_t slot = 0;
	Slab* slab = SlabOf(record, &slot);
	assert(slab != nullptr && slab->live[slot]);
	record->~ABookRecord();
	slab->live[slot] = false;
	fFree.push_back(record);
}

void RecordPool::DeleteAll()
{
	for (const std::unique_ptr<Slab>& slab : fSlabs) {
		for (size_t slot = 0; slot < slab->used; slot++) {
			if (slab->live[slot])
				slab->At(slot)->~ABookRecord();
		}
	}
	fSlabs.clear();
	fByAddress.clear();
	fFree.clear();
}

bool RecordPool::Owns(const ABookRecord* record) const
{
	size_t slot = 0;
	const Slab* slab = SlabOf(record, &slot);
	return slab != nullptr && slab->live[slot];
}

RecordPool::Slab* RecordPool::SlabOf(const ABookRecord* record, size_t* slot) const
{
	const unsigned char* address = reinterpret_cast<const unsigned char*>(record);
	auto after = fByAddress.upper_bound(address);
	if (after == fByAddress.begin())
		return nullptr;
	Slab* slab = std::prev(after)->second;
	const uintptr_t offset = reinterpret_cast<uintptr_t>(address)
		- reinterpret_cast<uintptr_t>(slab->storage);
	if (offset >= sizeof(slab->storage) || offset % sizeof(ABookRecord) != 0)
		return nullptr;
	*slot = offset / sizeof(ABookRecord);
	return slab;
}
