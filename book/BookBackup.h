// The backup that a save in place (BookFilePrivate.h) keeps beside the book
// while it writes the book itself: ".NAME.cvabbackup-PID-N-A", the old body,
// as open as the book, with the old body's ids attribute and the digest of the
// body being written. The save removes it once the book is flushed; one that a
// crash left is offered when the book is next opened, as a journal is.
// Threading: file work; one thread at a time per book.
#ifndef _BOOK_BACKUP_H
#define _BOOK_BACKUP_H

#include "CVABook.h"
#include "NewFile.h"
#include "Sha256.h"

#include <string>
#include <string_view>

// Writes the backup of the book at bookPath (in folder, an open descriptor of
// its folder) and flushes it; backup removes it unless kept.
status_t WriteBookBackup(int folder, const std::string& bookPath, std::string_view oldBody,
	const file_access& access, const sha256_digest& writing, NewFile* backup);

struct book_backup {
	std::string path;
	std::string body;
	std::string idsAttr;
};

// A backup that a crashed save of the book at bookPath left, when the book
// holds neither its body nor the one that save was writing (bookBody is the
// digest of the book as read): the user's and of a process that has ended.
// Backups that say nothing the book does not are removed on the way. False
// when there is none.
bool FindLeftBackup(const std::string& bookPath, const sha256_digest& bookBody,
	book_backup* backup);

// Reads the backup's records into book (empty), each with the id it had
// when the backup was made, where the ids beside the book still tell.
void ReadBookBackup(const std::string& bookPath, const book_backup& backup, CVABook* book);

#endif
