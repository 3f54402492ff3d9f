// A table from record ids to small numbers (positions in a list), for the
// merge and for finding a repeated id in the file beside a book. Open
// addressing over one flat array, id and number side by side: a lookup in a
// book of 100,000 records costs about one cache miss and no allocation.
// Threading: one thread at a time.
#ifndef _RECORD_ID_INDEX_H
#define _RECORD_ID_INDEX_H

#include "RecordId.h"

#include <vector>

class RecordIdIndex {
public:
	static constexpr uint32 kNone = 0xffffffffu;

	// Room for expected ids without growing.
	explicit RecordIdIndex(size_t expected);

	// Adds id with value (not kNone); false, and nothing changed, when the id
	// is already there.
	bool Insert(const record_id& id, uint32 value);
	// The value stored with id, or kNone.
	uint32 Find(const record_id& id) const;
	bool Contains(const record_id& id) const { return Find(id) != kNone; }

private:
	size_t _Slot(const record_id& id) const;
	void _Grow();

	struct slot {
		record_id id;
		uint32 value = kNone;
	};

	std::vector<slot> fSlots;
	size_t fMask = 0;
	size_t fCount = 0;
};

#endif
