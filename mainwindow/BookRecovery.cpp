#include "BookRecovery.h"

#include "BookJournal.h"
#include "CVABook.h"
#include "JournalRecovery.h"

#include <unistd.h>

void BookRecovery::Look(const std::string& bookPath, const sha256_digest& body, bool imported)
{
	fBookPath = bookPath;
	fHasBackup = !imported && !bookPath.empty() && FindLeftBackup(bookPath, body, &fBackup);
	fJournal = bookPath.empty() ? std::string() : FindLeftJournal(bookPath, imported);
}

void BookRecovery::Offer(const std::string& journalPath)
{
	fBookPath.clear();
	fHasBackup = false;
	fJournal = journalPath;
}

BookRecovery::kind BookRecovery::Offered() const
{
	if (fHasBackup)
		return kind::kBackup;
	return fJournal.empty() ? kind::kNone : kind::kJournal;
}

std::vector<merge_conflict> BookRecovery::Recover(CVABook* book, const BookAncestor& ancestor)
{
	if (fHasBackup) {
		fHasBackup = false;
		book->MakeEmpty();
		ReadBookBackup(fBookPath, fBackup, book);
		fRecoveredBackup = fBackup.path;
		fBackup = book_backup();
		return {};
	}
	book_journal journal;
	const std::string path = std::move(fJournal);
	fJournal.clear();
	if (path.empty() || ReadJournalFile(path, &journal) != B_OK)
		return {};
	fRecoveredJournal = path;
	// The file read is still the journal's base: its records are the base's
	// by position.
	const bool onBase = journal.hasBase && ancestor.State().body == journal.base
		&& ancestor.CountRecords() == journal.baseRecords;
	return RecoverJournal(journal, onBase ? ancestor.Ids() : std::vector<record_id>(), book);
}

void BookRecovery::Discard()
{
	if (fHasBackup) {
		unlink(fBackup.path.c_str());
		fHasBackup = false;
		fBackup = book_backup();
		return;
	}
	if (!fJournal.empty())
		unlink(fJournal.c_str());
	fJournal.clear();
}

void BookRecovery::Settled()
{
	if (!fRecoveredBackup.empty())
		unlink(fRecoveredBackup.c_str());
	fRecoveredBackup.clear();
	fRecoveredJournal.clear();
}
