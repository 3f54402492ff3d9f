// The steps of reading and saving a book file that the plain save and the
// merging save share. Private to the book file code.
// Threading: as BookFile.h.
#ifndef _BOOK_FILE_PRIVATE_H
#define _BOOK_FILE_PRIVATE_H

#include "BookAncestor.h"
#include "BookBody.h"

#include <EntryRef.h>

#include <functional>
#include <string>
#include <vector>

// The file a save through ref replaces: its absolute path, links followed.
status_t ResolveSaveTarget(const entry_ref* ref, std::string* targetPath);

// A book file's bytes as they are on disk, read at once.
struct book_file_bytes {
	std::string body;
	// The layout its type attribute names, when it has one (typed); a merge
	// reads a typeless body by its lines (LayoutForTypelessMerge).
	book_layout layout = book_layout::kNoNickname;
	bool typed = false;
	std::string idsAttr;  // the "CVABRecordIds" value, "" when there is none
	book_file_state state;  // without the body's digest
};
// The body named by path: its bytes, type, ids attribute and state; anything
// but a regular file, or one too large, is refused (ReadOnlyBookFile.h).
status_t ReadBookFileBytes(const std::string& path, book_file_bytes* bytes);

// Runs beside in another thread while here runs in this one; both in this
// thread when no thread can be started.
void RunSideBySide(const std::function<void()>& beside, const std::function<void()>& here);

// A body to save: what writes it and gives its records' ids in line order,
// and about how many lines it has.
struct book_body_source {
	std::function<status_t(const BookBodySink& sink, std::vector<record_id>* ids)> write;
	size_t lines = 0;
};
book_body_source BodySourceOf(const CVABook* book);

// The plain save of a body in the writer's form, for a caller that holds the
// book's lock: a new file renamed over the book, or, where that rename would
// give the book another owner or group or cut it off from its other names
// (hard links), the book written in place after a backup of its old body
// beside it (".NAME.cvabbackup-..."), which is removed once the book is
// flushed. What killed saves left goes first.
status_t WriteBookLocked(const std::string& targetPath, const book_body_source& body,
	const book_frame& frame, BookAncestor* saved);

#endif
