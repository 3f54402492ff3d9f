// A lookup table over a list of record ids that the caller keeps: from an id
// to its position in the list. For the merge and for finding a repeated id in
// the file beside a book. Open addressing over positions only (4 bytes a
// slot, about 10 bytes an id), so the table of a 100,000-record book stays in
// the processor's cache and costs no more than a megabyte of fresh memory.
// Threading: one thread at a time; the list must not change while indexed.
#ifndef _RECORD_ID_INDEX_H
#define _RECORD_ID_INDEX_H

#include "RecordId.h"

#include <vector>

class RecordIdIndex {
public:
	static constexpr uint32 kNone = 0xffffffffu;

	// Indexes count ids, the first at ids and each next one stride bytes
	// further on (the id member of a list of structures).
	RecordIdIndex(const record_id* ids, size_t count, size_t stride = sizeof(record_id));

	// The position of id in the list, or kNone; of the first when repeated.
	uint32 Find(const record_id& id) const;
	// Whether some id is in the list more than once.
	bool HasRepeats() const { return fRepeats; }

private:
	const record_id& _IdAt(uint32 position) const;

	const unsigned char* const fIds;
	const size_t fStride;
	std::vector<uint32> fSlots;  // position + 1, 0 for an empty slot
	size_t fMask = 0;
	bool fRepeats = false;
};

#endif
