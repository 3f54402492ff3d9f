// The save of a book that other programs may also write (a sync tool, a
// converter, a text editor, the same book open in another login): the one
// call both the window and the sync tool make to save a book they read
// before. Under the book's lock it looks at the file; when nobody changed it
// since the caller's ancestor it is a plain save; when somebody did, it reads
// their version with its ids, merges it with the caller's book over the
// ancestor (BookMerge.h), makes the caller's book the merged one and saves
// that. No alert and no wait longer than the lock's time-out, so a window may
// call it on its way out (SIGTERM included).
// Threading: the caller's thread; the book is changed with its owner locked
// (the owner's lock is recursive, so the owner's own thread may hold it).
#ifndef _MERGING_SAVE_H
#define _MERGING_SAVE_H

#include "BookAncestor.h"
#include "BookBody.h"
#include "BookLock.h"
#include "BookMerge.h"

#include <EntryRef.h>

#include <string>
#include <vector>

struct book_save_options {
	// Whose value a field changed on both sides keeps.
	merge_side winner = merge_side::kMine;
	// Whether conflicts are appended to the conflict log (ConflictLog.h).
	bool logConflicts = true;
	// How long to wait for another program's save, in microseconds.
	bigtime_t lockTimeout = kSaveLockTimeout;
};

struct book_save_result {
	std::string path;  // the saved file's absolute path, links followed
	// The file had changed: book now holds the merge, in the merge's order
	// (its records kept where they were, serials and all), and its owner's
	// list was rebuilt.
	bool merged = false;
	std::vector<merge_conflict> conflicts;
	// What kept the file's version from being read whole, when merged: the
	// records it lacks were kept (conflicts of kind kMissingInTheirs).
	body_damage theirsDamage;
};

// Saves book to the file named by ref (a link is followed) with the
// guarantees of SaveBookFile, merging first when the file changed since
// ancestor: the file is unchanged when its device, inode, size and
// modification time are, or, failing that, its body's digest. The file's
// version is read as MergeBooks needs it: lines holding a NUL and a cut last
// line are left out and the version counts as damaged (nothing it lacks is
// deleted); one without a type is read in the columns most of its lines
// have; a line another program rewrote pairs with its record (RewrittenLines.h).
//  - ancestor is what LoadBookFile or the last save returned (an empty one
//    for a book never read: a file found there is then merged as a version
//    with nothing in common, keeping every record of both); it receives the
//    book as saved, for next time, and its State() is the new snapshot.
//  - a file that is gone, or emptied while the ancestor had records (far
//    likelier a writer that failed half-way than a wish to delete them all),
//    is written anew from book alone.
// On failure the file, the book and the ancestor are as they were; result
// (may be null) is filled as far as known.
status_t SaveBookMerging(const entry_ref* ref, CVABook* book, const book_frame& frame,
	BookAncestor* ancestor, const book_save_options& options, book_save_result* result);

// Sets record's 21 fields from a line in the book's TAB form, as the merge
// gives its records.
void SetRecordFields(ABookRecord* record, std::string_view line);

#endif
