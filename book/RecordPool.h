// The document's records in slabs: one allocation per 128 records, and a walk
// over every live record in memory order, which is far faster than following
// the list once a sort has scattered it. Private to the document.
// Threading: as the document that owns it (see CVABook.h).
#ifndef _RECORD_POOL_H
#define _RECORD_POOL_H

#include "ABookRecord.h"

#include <bitset>
#include <map>
#include <memory>
#include <vector>

class RecordPool {
public:
	RecordPool();
	~RecordPool();

	RecordPool(const RecordPool&) = delete;
	RecordPool& operator=(const RecordPool&) = delete;

	// A new record with empty fields and no links.
	ABookRecord* New();
	// Destroys a record that New returned.
	void Delete(ABookRecord* record);
	void DeleteAll();
	bool Owns(const ABookRecord* record) const;

	// Calls visit(record) for every live record, in memory order, until it
	// returns false.
	template <typename Visit>
	void ForEach(Visit visit) const;

private:
	static constexpr size_t kSlabRecords = 128;
	struct Slab {
		alignas(ABookRecord) unsigned char storage[kSlabRecords * sizeof(ABookRecord)];
		std::bitset<kSlabRecords> live;
		size_t used = 0;

		ABookRecord* At(size_t slot) const;
	};

	// The slab holding record and the record's slot, or null.
	Slab* SlabOf(const ABookRecord* record, size_t* slot) const;

	std::vector<std::unique_ptr<Slab>> fSlabs;
	std::map<const unsigned char*, Slab*> fByAddress;
	std::vector<ABookRecord*> fFree;
};

inline ABookRecord* RecordPool::Slab::At(size_t slot) const
{
	return std::launder(reinterpret_cast<ABookRecord*>(
		const_cast<unsigned char*>(storage) + slot * sizeof(ABookRecord)));
}

template <typename Visit>
void RecordPool::ForEach(Visit visit) const
{
	for (const std::unique_ptr<Slab>& slab : fSlabs) {
		for (size_t slot = 0; slot < slab->used; slot++) {
			if (slab->live[slot] && !visit(static_cast<const ABookRecord*>(slab->At(slot))))
				return;
		}
	}
}

#endif
