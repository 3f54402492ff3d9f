// Brings a journal's unsaved changes (BookJournal.h) back into a book as it
// was opened: the one step of "Recover".
//  - The book's file still its base (the usual case after a kill): the book
//    becomes exactly what the journal tells, order and all.
//  - The file changed since (another program saved it meanwhile): the
//    journal's changes are merged with the book as it is now, as any other
//    writer's would be (BookMerge.h), the base being what the journal kept of
//    it; nothing either side added or changed is lost.
//  - A journal without a base (a new book, contacts): the book becomes its
//    records.
// The book is left unsaved; the journal file is not touched.
// Threading: with the book's owner locked (see CVABook.h).
#ifndef _JOURNAL_RECOVERY_H
#define _JOURNAL_RECOVERY_H

#include "BookJournal.h"
#include "BookMerge.h"
#include "CVABook.h"

#include <vector>

// baseIds are the ids the book's records were read with, by position, when
// its file is the journal's base (same digest); empty otherwise. Returns the
// conflicts of the merge, if it came to one.
std::vector<merge_conflict> RecoverJournal(const book_journal& journal,
	const std::vector<record_id>& baseIds, CVABook* book);

#endif
