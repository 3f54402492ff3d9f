// One address record: 21 short text fields in the fixed field order, its id,
// and the two links of the document's list. Only the document (CVABook) sets
// the links and the id.
// Threading: no lock of its own; guarded by its document's rule (see CVABook.h).
#ifndef _A_BOOK_RECORD_H
#define _A_BOOK_RECORD_H

#include "BookFields.h"
#include "RecordId.h"

class CVABook;

class ABookRecord {
public:
	// fieldCount is always kBookFieldCount; every field starts empty, no links.
	explicit ABookRecord(int32 fieldCount = kBookFieldCount);
	virtual ~ABookRecord();

	ABookRecord(const ABookRecord&) = delete;
	ABookRecord& operator=(const ABookRecord&) = delete;

	// field is 0 to 20. The text is NUL-terminated, at most 40 bytes.
	const char* Field(int32 field) const { return fFields[field]; }

	// Stores at most 40 bytes of text; when the cut would split a UTF-8 character,
	// the cut moves before that character. TAB and line feed, which the file and
	// the record text cannot carry, are stored as spaces.
	void SetField(int32 field, const char* text);
	void SetField(int32 field, const char* text, size_t length);
	void ClearFields();

	// Given by the document when it appends the record, never given again by
	// it: windows that outlive a record's place (an editor, the Find window)
	// find their record again by it, whatever was added, deleted or sorted.
	uint64 Serial() const { return fSerial; }
	// The record's identity in its book, kept in the file beside it from save
	// to save (see RecordIdFile.h); unique within the book, never shown.
	const record_id& Id() const { return fId; }

	ABookRecord* Next() const { return fNext; }
	ABookRecord* Previous() const { return fPrevious; }

	// Negative, zero or positive as a's field sorts before, equal to or after b's:
	// ASCII capitals fold to lower case, every other byte is compared as is, in
	// unsigned byte order with a prefix first.
	static int CompareField(const ABookRecord* a, const ABookRecord* b, int32 field);

private:
	friend class CVABook;

	// Tells the document its fields are about to change (its change log).
	void _NoteChange();

	// The buffers live inside the record, so a record is one allocation: a book of
	// 100,000 records stays well under 1,200 bytes a record.
	char fFields[kBookFieldCount][kFieldBufferSize];
	ABookRecord* fNext = nullptr;
	ABookRecord* fPrevious = nullptr;
	uint64 fSerial = 0;
	record_id fId;
	// The document, and the round of its change log the record was last
	// logged in.
	CVABook* fBook = nullptr;
	uint32 fLogged = 0;
};

// The length of the longest prefix of text (length bytes) that holds at most
// limit bytes and does not end inside a UTF-8 character. Bytes that are not
// well-formed UTF-8 are cut plainly at limit.
size_t UTF8CutLength(const char* text, size_t length, size_t limit);

#endif
