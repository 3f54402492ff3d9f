// The journal of a book's unsaved changes: what a window holds that the book's
// file does not, told against the book it started from (its base: the file as
// last read or saved), so that a kill, a crash or a power cut loses nothing a
// window showed. Beside the book as ".NAME.cvabjournal"; for a book with no
// file of its own (a new one, contacts read from a vCard or CSV file), and for
// a book whose folder takes no new file, under $XDG_STATE_HOME/cvab/journals.
// Always for the user alone (0600). The book's file is never written by it.
//
// Text, one item a line, its parts separated by TABs; a record is its 21
// fields as a line of the book's body (so it ends the line):
//   cvab-journal 1
//   book <path of the book, or of the file the contacts came from; "" for none>
//   base sha256:<digest of the base's body> <records in it>    or: base none
//   writer <host> <pid> <process start>
//   = <first> <last>               base records first to last, unchanged, here
//   * <position> <id> <record>     the base record at position, changed to this
//   < <record>                     (after * or -) what that base record held
//   + <id> <record>                a record the base does not have
//   - <position> <id>              a base record deleted (these come last)
//   end sha256:<digest of every line before this one>
// "=", "*" and "+" come in the book's order. Without a base (base none) every
// record is a "+". A journal that does not end so is damaged and never used.
// Threading: pure functions and file reads; safe from any thread.
#ifndef _BOOK_JOURNAL_H
#define _BOOK_JOURNAL_H

#include "RecordId.h"
#include "Sha256.h"
#include "WriterProcess.h"

#include <string>
#include <string_view>
#include <vector>

enum class journal_item_kind { kKept, kChanged, kAdded, kDeleted };

struct journal_item {
	journal_item_kind kind = journal_item_kind::kKept;
	// Positions in the base: a run of kept records, or the one changed or
	// deleted (first alone).
	uint32 first = 0;
	uint32 last = 0;
	record_id id;          // kChanged, kAdded, kDeleted
	std::string line;      // kChanged, kAdded: the record now
	bool beforeKnown = false;
	std::string before;    // kChanged, kDeleted: the base record, when known

	bool operator==(const journal_item&) const = default;
};

struct book_journal {
	std::string book;
	bool hasBase = false;
	sha256_digest base;
	uint32 baseRecords = 0;
	writer_process writer;
	std::vector<journal_item> items;

	bool operator==(const book_journal&) const = default;
};

std::string JournalText(const book_journal& journal);
// False, with journal left in any state, for a text that is not a whole
// journal of this form (cut short, damaged, positions past its base).
bool ParseJournal(std::string_view text, book_journal* journal);

// Where the journal of the book at bookPath (absolute, links resolved) is
// kept: beside it, or in the state folder when its folder takes no new file.
std::string JournalBeside(const std::string& bookPath);
std::string JournalInStateFolder(const std::string& bookPath);
// The journal of contacts read from the file at sourcePath, which is never
// written; and of a new book, one a window.
std::string ImportJournalPath(const std::string& sourcePath);
std::string NewBookJournalPath();
// The state folder's journals, made for the user alone when missing.
status_t MakeJournalFolder();

// Reads the journal at path: B_OK only for a plain file of the user's (never
// through a link) that parses whole. B_ENTRY_NOT_FOUND when there is none.
status_t ReadJournalFile(const std::string& path, book_journal* journal);

// A journal its writer left, of the book at bookPath (or the contacts file):
// beside it or in the state folder, whose writer is gone. "" when none.
std::string FindLeftJournal(const std::string& bookPath, bool imported);
// The journals of new books whose writers are gone, each to be offered.
std::vector<std::string> FindLeftNewBookJournals();

#endif
