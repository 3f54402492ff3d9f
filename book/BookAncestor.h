// What a program remembers of a book file as it last read or saved it: the
// file's state (which file, how large, when changed, the body's digest) to
// tell whether another program changed it since, and the book as it was then,
// the common ancestor a merge with that other program's version needs.
//
// Kept cheaply, for a window that holds one per open book: the records' ids
// and a 64-bit hash of each record's line in memory (24 bytes a record), and
// an open descriptor of the file as read. The ancestor's text is read back
// through the descriptor only when a merge needs it, and used only when its
// digest is still the one read: a program that saves by writing a new file
// and renaming it (this one, most editors, sync tools) leaves the old file
// intact behind the descriptor. When it was overwritten in place, the merge
// takes each ancestor record's text from whichever side still has a line with
// its hash, and counts the rest as unknown (see BookMerge.h).
// Threading: one thread at a time; moving it between threads is fine.
#ifndef _BOOK_ANCESTOR_H
#define _BOOK_ANCESTOR_H

#include "BookBody.h"
#include "RecordId.h"
#include "Sha256.h"

#include <string>
#include <string_view>
#include <vector>

// A snapshot of a book file.
struct book_file_state {
	bool exists = false;
	uint64 device = 0;
	uint64 inode = 0;
	int64 size = 0;
	int64 modified = 0;  // nanoseconds since the epoch
	sha256_digest body;  // of the body read or written (not set by a stat)

	// Whether other is the same file, unchanged: same device, inode, size
	// and modification time. The digest is not compared.
	bool SameFile(const book_file_state& other) const;
};

// The state of the file at path (links followed), without a digest: exists
// false when there is no such file.
status_t StatBookFile(const std::string& path, book_file_state* state);

// The hash of a record's line that an ancestor keeps (within one process).
uint64 BookLineHash(std::string_view line);

class BookAncestor {
public:
	// No ancestor: a book never read from nor saved to a file.
	BookAncestor() = default;
	// Takes ownership of fd (may be -1: the text cannot be read back).
	// writerForm tells that the body is as the writer writes it (IsWriterForm)
	// and was read in 21 columns.
	BookAncestor(const book_file_state& state, book_layout layout, bool writerForm,
		std::vector<record_id> ids, std::vector<uint64> lineHashes, int fd);
	~BookAncestor();

	BookAncestor(BookAncestor&& other) noexcept;
	BookAncestor& operator=(BookAncestor&& other) noexcept;
	BookAncestor(const BookAncestor&) = delete;
	BookAncestor& operator=(const BookAncestor&) = delete;

	const book_file_state& State() const { return fState; }
	size_t CountRecords() const { return fIds.size(); }
	const std::vector<record_id>& Ids() const { return fIds; }
	const std::vector<uint64>& LineHashes() const { return fLineHashes; }
	// How the body was read: its columns, and whether it is in the writer's form.
	book_layout Layout() const { return fLayout; }
	bool WriterForm() const { return fWriterForm; }

	// The bytes of the file read or saved, read back through the descriptor
	// as they are now: B_BAD_DATA when they cannot be read at all.
	status_t ReadBack(std::string* bytes) const;
	// Makes bytes, read back, whose digest is digest, the ancestor's body in
	// the writer's form (one line per record, 21 columns): false, with bytes
	// emptied, when they are not the bytes read or saved any more.
	bool TakeBody(std::string* bytes, const sha256_digest& digest) const;

private:
	void _Close();

	book_file_state fState;
	book_layout fLayout = book_layout::kAllColumns;
	bool fWriterForm = true;
	std::vector<record_id> fIds;
	std::vector<uint64> fLineHashes;
	int fFd = -1;
};

#endif
