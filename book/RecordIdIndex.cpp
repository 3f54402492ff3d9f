#include "RecordIdIndex.h"

namespace {

// Ids come from files other programs may write: a per-process secret mixed
// into the hash keeps a crafted list of ids from piling into one chain.
uint64 Secret()
{
	static const uint64 secret = NewRecordId().Hash() | 1;
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

size_t TableSize(size_t count)
{
	size_t size = 16;
	while (size < 2 * count)
		size *= 2;
	return size;
}

}  // namespace

RecordIdIndex::RecordIdIndex(const record_id* ids, size_t count, size_t stride)
	: fIds(reinterpret_cast<const unsigned char*>(ids)),
	  fStride(stride),
	  fSlots(TableSize(count), 0),
	  fMask(fSlots.size() - 1)
{
	for (size_t position = 0; position < count; position++) {
		const record_id& id = _IdAt(static_cast<uint32>(position));
		size_t slot = static_cast<size_t>(Mix(id)) & fMask;
		while (fSlots[slot] != 0 && _IdAt(fSlots[slot] - 1) != id)
			slot = (slot + 1) & fMask;
		if (fSlots[slot] != 0)
			fRepeats = true;
		else
			fSlots[slot] = static_cast<uint32>(position + 1);
	}
}

const record_id& RecordIdIndex::_IdAt(uint32 position) const
{
	return *reinterpret_cast<const record_id*>(fIds + position * fStride);
}

uint32 RecordIdIndex::Find(const record_id& id) const
{
	size_t slot = static_cast<size_t>(Mix(id)) & fMask;
	while (fSlots[slot] != 0) {
		if (_IdAt(fSlots[slot] - 1) == id)
			return fSlots[slot] - 1;
		slot = (slot + 1) & fMask;
	}
	return kNone;
}
