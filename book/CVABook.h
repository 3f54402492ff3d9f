// One address book in memory: its records in document order (a doubly linked
// list the document owns), their count, a modified flag and the field names.
//
// Threading: the document has no lock of its own; the owner window's lock guards
// it. The rule every caller follows:
//  1. Every use of a document (reading or changing records, fields, the count or
//     the modified flag) from a thread other than the owner window's own happens
//     with the owner locked: BookOwnerLocker lock(book->Owner()), or the window's
//     Lock()/Unlock(). Editors, the Find window, the file reader in the
//     application's thread and the Word Services session all do so. The owner
//     window's handlers already run with its lock held.
//  2. A record pointer is good only while that lock is held. A window that keeps
//     a record across an unlock (an editor, the Find window) keeps its Serial()
//     and finds it again with RecordWithSerial() after locking again: the memory
//     of a deleted record is reused by the next new one, so a pointer cannot tell.
//     (Its Id() finds it too, with RecordWithId, and also outlives the process.)
//  3. A thread holding the owner's lock never waits for another window's lock or
//     for a synchronous reply (a Word Services session unlocks around its
//     scripting exchanges); other windows lock the owner from their own locked
//     handlers, so this order is the only one and cannot deadlock.
//  4. ReloadList locks the window itself; the lock is recursive, so it may be
//     called with the lock held.
// Debug builds assert the owner's lock in every operation on the records.
#ifndef _CVA_BOOK_H
#define _CVA_BOOK_H

#include "ABookRecord.h"
#include "BookOwner.h"

#include <memory>
#include <vector>

class RecordPool;

// What changed in a book since its change log was last taken, for the journal
// of its unsaved changes: the records added or whose fields were set (those
// still in the book), the ids of the records added (at the end, in that
// order) and removed, and whether the order changed otherwise (a sort, an
// emptying, ids given anew), which the log does not follow.
struct book_change_log {
	bool reordered = false;
	std::vector<const ABookRecord*> changed;
	std::vector<record_id> added;
	std::vector<record_id> removed;
};

class CVABook {
public:
	// owner may be null (a document without a window); otherwise the
	// constructor asks it to build its record list.
	explicit CVABook(BookOwner* owner);
	// Removes the owner's record list (with the owner locked) and deletes the
	// records.
	virtual ~CVABook();

	CVABook(const CVABook&) = delete;
	CVABook& operator=(const CVABook&) = delete;

	BookOwner* Owner() const { return fOwner; }
	ABookRecord* FirstRecord() const { return fFirst; }
	ABookRecord* LastRecord() const { return fLast; }
	int32 CountRecords() const { return fCount; }
	bool IsModified() const { return fModified; }
	void SetModified(bool modified) { fModified = modified; }
	// Whether the records themselves (not only the window frame kept with the
	// book) changed since the book was read or saved: a save that finds this
	// clear need not rewrite the body. Adding, modifying, deleting and sorting
	// set it; sorting alone leaves the modified flag as it was.
	bool RecordsChanged() const { return fRecordsChanged; }
	void SetRecordsChanged(bool changed) { fRecordsChanged = changed; }

	// Keeps a log of the changes from now on (anew), or stops: what a journal
	// of unsaved changes reads, so that it never has to read the whole book
	// to find them. Off at first.
	void LogChanges(bool on);
	// The log since it began or was last taken; a new one begins.
	book_change_log TakeChangeLog();

	// A new empty record linked at the end and counted, with a new random id.
	ABookRecord* AddRecord();
	// The same with a given id, for records that already have one (read from
	// a book's file, merged from another version of it). The caller keeps ids
	// unique within the book.
	ABookRecord* AddRecord(const record_id& id);
	// Gives the first count records, in document order, ids[0] to
	// ids[count - 1]. For the file reader, which learns the ids beside the body.
	void AssignIds(const record_id* ids, size_t count);

	// The record at position n (from 0), or null outside the list.
	ABookRecord* RecordAt(int32 n) const;
	// The position of record, or -1 when it is not in this document.
	int32 IndexOf(const ABookRecord* record) const;
	bool Contains(const ABookRecord* record) const;
	// The record with this serial number, or null when it was deleted. Serials
	// are never given twice in the process, whichever document gives them.
	ABookRecord* RecordWithSerial(uint64 serial) const;
	// The record with this id, or null.
	ABookRecord* RecordWithId(const record_id& id) const;

	// Unlinks and deletes a record of this document and lowers the count. The
	// modified flag is left alone.
	void RemoveRecord(ABookRecord* record);
	// RemoveRecord(RecordAt(n)) when there is such a record.
	void DeleteRecordAt(int32 n);
	// Deletes every record (count 0); the modified flag is left alone.
	void MakeEmpty();

	// Reorders the records by field (not stably) and then reloads the owner's
	// list; with fewer than two records it does nothing at all.
	void SortByField(int32 field);

	// The first record, in document order, whose nickname equals text without
	// regard to ASCII case: its "Email 1" (output of at least 41 bytes) or its
	// postal address block (kBookTextBufferSize bytes). False and an empty output
	// when there is none.
	bool LookUpEmail(const char* text, char* output, size_t outputSize) const;
	bool LookUpAddress(const char* text, char* output, size_t outputSize) const;

private:
	friend class ABookRecord;

	const ABookRecord* _FindNickname(const char* text) const;
	void _AssertLocked() const;
	void _RecordChanging(ABookRecord* record);
	void _LogReordered();

	BookOwner* const fOwner;
	const std::unique_ptr<RecordPool> fPool;
	ABookRecord* fFirst = nullptr;
	ABookRecord* fLast = nullptr;
	bool fModified = false;
	bool fRecordsChanged = false;
	int32 fCount = 0;

	// The change log: records by serial, as they may be gone when it is taken.
	bool fLogging = false;
	uint32 fLogRound = 1;
	std::vector<std::pair<ABookRecord*, uint64>> fLogChanged;
	book_change_log fLog;
};

// The document's sort on its own, for an array of records: a quicksort that
// splits at the middle record, follows that pivot wherever it is swapped, and
// so puts equal keys in a fixed, documented order (two equal records A B come
// out B A; three A B C come out B C A).
void SortRecordsByField(ABookRecord** records, size_t count, int32 field);

#endif
