// Makes the journal of a book's unsaved changes (BookJournal.h) from what a
// window tells of its book now and again: the ids of its records in order and
// the lines of those changed since it last told, against the base it started
// from. Between tellings it keeps the line of every record changed since the
// base, and the base's body once read (what a changed or deleted record held,
// for a merge after a crash), so a window never hands over more than changed.
// Threading: one thread at a time.
#ifndef _JOURNAL_COMPOSER_H
#define _JOURNAL_COMPOSER_H

#include "BookBody.h"
#include "BookJournal.h"
#include "RecordIdIndex.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// What a book started from: the file as read or saved, or nothing.
struct journal_base {
	bool exists = false;        // false: every record is new (a new book, contacts)
	std::string book;           // what the journal names
	sha256_digest digest;       // of the base's body
	std::vector<record_id> ids; // its records, by position
	// Reads the base's body back (owned; -1 when it cannot be): a body whose
	// digest is not digest any more gives no old lines.
	int fd = -1;
	book_layout layout = book_layout::kAllColumns;
	bool writerForm = true;

	journal_base() = default;
	~journal_base();
	journal_base(journal_base&& other) noexcept;
	journal_base& operator=(journal_base&& other) noexcept;
};

// What a window tells: its whole order when that changed in other ways, or
// else the records removed and those added at the end; and the records
// changed since it last told (added ones too), each id with its line.
struct journal_snapshot {
	bool orderChanged = false;
	std::vector<record_id> order;
	std::vector<record_id> added;
	std::vector<record_id> removed;
	std::vector<std::pair<record_id, std::string>> changed;
};

class JournalComposer {
public:
	JournalComposer() = default;
	~JournalComposer();

	JournalComposer(const JournalComposer&) = delete;
	JournalComposer& operator=(const JournalComposer&) = delete;

	// Starts anew from base; what was told before is forgotten.
	void Start(journal_base base);
	void Take(journal_snapshot snapshot);
	// The journal of the book as last told; false when it holds nothing the
	// base does not (no journal is needed).
	bool Compose(book_journal* journal);

private:
	void _ReadBase();
	// The base record at position's line, or null when it is not known.
	const std::string_view* _BaseLine(uint32 position) const;
	void _AddChange(journal_item_kind kind, uint32 position, const record_id& id,
		const std::string* line, book_journal* journal) const;
	void _AddNew(const record_id& id, book_journal* journal) const;
	void _AddAt(uint32 position, const record_id& id, const std::string* line,
		book_journal* journal) const;
	void _ComposeInBaseOrder(book_journal* journal) const;
	void _ComposeByOrder(book_journal* journal) const;

	journal_base fBase;
	std::unique_ptr<RecordIdIndex> fBaseIndex;
	bool fBaseRead = false;
	std::string fBaseBody;
	std::vector<std::string_view> fBaseLines;  // empty when not known
	std::vector<record_id> fOrder;
	// Nothing added, removed or moved since the base: fOrder is its ids.
	bool fOrderIsBase = true;
	std::unordered_map<record_id, std::string, record_id_hash> fChanged;
};

#endif
