// A record's identity: a random UUID (version 4) that stays with the record
// from save to save, so that a program merging two versions of a book can tell
// an edited record from a deleted one plus a new one. Held as 16 bytes beside
// the record's fields, written as 36 characters of lower-case text
// ("8-4-4-4-12" hexadecimal digits) only in the file beside the book.
// Threading: values and pure functions; NewRecordId and NewRecordIds may be
// called from any thread.
#ifndef _RECORD_ID_H
#define _RECORD_ID_H

#include <SupportDefs.h>

#include <cstring>
#include <string>
#include <string_view>

struct record_id {
	uint8 bytes[16] = {};

	bool IsNil() const;
	bool operator==(const record_id& other) const
	{
		return memcmp(bytes, other.bytes, sizeof(bytes)) == 0;
	}
	bool operator!=(const record_id& other) const { return !(*this == other); }
	// The first eight bytes, which are random: a hash needs no more.
	uint64 Hash() const;
};

// Record ids as keys of a hash table.
struct record_id_hash {
	size_t operator()(const record_id& id) const { return static_cast<size_t>(id.Hash()); }
};

constexpr size_t kRecordIdTextLength = 36;

// A new random id from the system's random source (the kernel's, through
// libcrypto's generator). Ids are drawn in batches per thread; a forked child
// never hands out the ids its parent had drawn.
record_id NewRecordId();
void NewRecordIds(record_id* ids, size_t count);

// The lower-case text form; out receives exactly kRecordIdTextLength bytes.
void FormatRecordId(const record_id& id, char* out);
std::string RecordIdText(const record_id& id);
// Reads the text form (either case of the hexadecimal digits); false for
// anything else, the nil id included.
bool ParseRecordId(std::string_view text, record_id* id);

#endif
