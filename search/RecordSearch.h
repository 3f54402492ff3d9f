// The search of the Find window over one book: the records in document order
// and, inside each, the fields in record order, for a text found anywhere in a
// field without regard to case or normalisation (SearchKey.h). It resumes
// after the field that matched, and keeps its place as a serial number and a
// position, never as a bare pointer, so records added, deleted or sorted
// meanwhile, or a book read anew, never leave it on a stale record.
// Threading: no lock of its own; Start and Continue run under the book's rule
// (its owner locked, see CVABook.h).
#ifndef _RECORD_SEARCH_H
#define _RECORD_SEARCH_H

#include "SearchKey.h"

#include <SupportDefs.h>

#include <string>
#include <string_view>

class ABookRecord;
class CVABook;

class RecordSearch {
public:
	// Starts over at the first record with text (its first 40 bytes as typed,
	// never cut inside a UTF-8 character); the first match, or null.
	const ABookRecord* Start(const CVABook& book, std::string_view text);
	// The next match after the last one. When the current record was deleted
	// (or the book read anew), the search goes on from the record now at its
	// position, that is the one that followed it. Null when the records ran
	// out or no search is under way; the search then has no current record.
	const ABookRecord* Continue(const CVABook& book);
	// A search found something and has not yet run off the end.
	bool IsUnderWay() const { return fSerial != 0; }

private:
	const ABookRecord* _ResumeRecord(const CVABook& book, int32* field) const;

	SearchKey fKey;
	// Where the next Continue resumes: the record (trusted only when the book
	// still holds a record with its serial there), its position, the field.
	const ABookRecord* fRecord = nullptr;
	uint64 fSerial = 0;
	int32 fPosition = 0;
	int32 fField = 0;
};

#endif
