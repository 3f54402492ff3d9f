// What a kill or a crash left of a book, offered when a window opens it: the
// backup of a save in place that never ended (BookBackup.h), then the journal
// of the unsaved changes a window held (BookJournal.h). Holds what is offered
// while the question is out, and brings it into the book ("Recover") or
// removes it ("Discard"). A backup recovered from stays on disk until the
// book is saved or its changes are thrown away, so a second crash before
// then still finds it; a journal recovered from is taken over by the
// window's own (JournalKeeper::StartFromFile).
// Threading: the window's thread, or with the window locked.
#ifndef _BOOK_RECOVERY_H
#define _BOOK_RECOVERY_H

#include "BookAncestor.h"
#include "BookBackup.h"
#include "BookMerge.h"

#include <string>
#include <vector>

class CVABook;

class BookRecovery {
public:
	enum class kind { kNone, kBackup, kJournal };

	// Looks for what is left of the book file at bookPath, as just read (body
	// is the digest read), or of the contacts file at bookPath (imported).
	void Look(const std::string& bookPath, const sha256_digest& body, bool imported);
	// A new book's journal, found at start.
	void Offer(const std::string& journalPath);
	// What is to be offered now: a backup first, then a journal; kNone when
	// nothing (more) is.
	kind Offered() const;

	// Makes book (locked) hold what is offered, and goes on to the next;
	// ancestor is the book's file as read. The conflicts of a merge with a
	// file changed since, if any.
	std::vector<merge_conflict> Recover(CVABook* book, const BookAncestor& ancestor);
	// Removes what is offered, and goes on to the next.
	void Discard();
	// The journal recovered from ("" when none), and whether the book holds
	// anything recovered that no save has written yet.
	const std::string& RecoveredJournal() const { return fRecoveredJournal; }
	bool HoldsRecovered() const { return !fRecoveredJournal.empty() || !fRecoveredBackup.empty(); }
	// The book was saved, or its changes thrown away: a backup recovered from
	// goes too.
	void Settled();

private:
	std::string fBookPath;
	bool fHasBackup = false;
	book_backup fBackup;
	std::string fJournal;
	std::string fRecoveredJournal;
	std::string fRecoveredBackup;
};

#endif
