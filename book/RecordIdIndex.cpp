#include "RecordIdIndex.h"

#include <cassert>

namespace {

// Ids come from files other programs may write: a per-process secret mixed
// into the hash keeps a crafted list of ids from piling into one chain.
uint64 Secret()
{
	static const uint64 secret = [] {
		const record_id random = NewRecordId();
		return random.Hash() | 1;
	}();
	return secret;
}

uint64 Mix(const record_id& id)
{
	uint64 low;
	uint64 high;
	memcpy(&low, id.bytes, sizeof(low));
	memcpy(&high, id.bytes + sizeof(low), sizeof(high));
	uint64 value = (low ^ Secret()) * 0x9e3779b97f4a7c15ull;
	value ^= (high + Secret()) * 0xc2b2ae3d27d4eb4full;
	return value ^ (value >> 29);
}

size_t TableSize(size_t expected)
{
	size_t size = 16;
	while (size < 2 * expected)
		size *= 2;
	return size;
}

}  // namespace

RecordIdIndex::RecordIdIndex(size_t expected)
	: fSlots(TableSize(expected)),
	  fMask(fSlots.size() - 1)
{
}

size_t RecordIdIndex::_Slot(const record_id& id) const
{
	size_t at = static_cast<size_t>(Mix(id)) & fMask;
	while (fSlots[at].value != kNone && fSlots[at].id != id)
		at = (at + 1) & fMask;
	return at;
}

bool RecordIdIndex::Insert(const record_id& id, uint32 value)
{
	assert(value != kNone);
	if (2 * (fCount + 1) > fSlots.size())
		_Grow();
	slot& at = fSlots[_Slot(id)];
	if (at.value != kNone)
		return false;
	at.id = id;
	at.value = value;
	fCount++;
	return true;
}

uint32 RecordIdIndex::Find(const record_id& id) const
{
	return fSlots[_Slot(id)].value;
}

void RecordIdIndex::_Grow()
{
	std::vector<slot> old(fSlots.size() * 2);
	old.swap(fSlots);
	fMask = fSlots.size() - 1;
	for (const slot& entry : old) {
		if (entry.value != kNone)
			fSlots[_Slot(entry.id)] = entry;
	}
}
