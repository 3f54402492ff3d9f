// An address-book file on disk: reading one into a document, saving a document
// safely (the old file is replaced only once the new one is complete on disk),
// and reading the window frame stored with it. The window-side ReadBookFile,
// WriteBookFile and SaveAsReply wrap these and keep the preferences.
// The records' ids travel in a file beside the book (see RecordIdFile.h); a
// save of a book another program may have changed goes through
// SaveBookMerging (MergingSave.h).
// Threading: any thread; the document is filled and read with its owner locked
// (see CVABook.h), the file work itself runs unlocked.
#ifndef _BOOK_FILE_H
#define _BOOK_FILE_H

#include "BookAncestor.h"
#include "BookBody.h"
#include "BookLock.h"
#include "ReadOnlyBookFile.h"

#include <EntryRef.h>

#include <string>

// Reads the file named by ref into book, which should be empty. The layout
// comes from the file's "BEOS:TYPE"; a file without one is read in 21 columns
// when every line has 21, else in 20. Anything but a regular file, and a file
// larger than kLargestBookFile, is refused before any byte is read
// (ReadOnlyBookFile.h). absolutePath (may be null) receives the
// file's absolute path with links resolved, also when reading fails. Returns
// B_OK, or the error that left the book empty. losses (may be null) is added
// to with what the body held that the book cannot keep.
// Each record takes its id from the file beside the book when that file is
// trusted (see RecordIdFile.h), else a new one. ancestor (may be null)
// receives the file's state and the book as read, for the next save.
// before (may be null) is the ancestor of a book read anew after another
// program changed it: a file without a type is then read in the columns most
// of its lines have, as a merge reads it (LayoutForTypelessMerge).
status_t LoadBookFile(const entry_ref* ref, CVABook* book, std::string* absolutePath,
	book_read_losses* losses = nullptr, BookAncestor* ancestor = nullptr,
	const BookAncestor* before = nullptr);

// Saves book to the file named by ref (a symbolic link is followed and its
// target replaced): body, type and frame attributes, the old file's other
// attributes and its permissions, written to a new file beside it, flushed and
// renamed over it. On any failure the old file is left exactly as it was, the
// new one is removed and the error returned; an old file we may not write is
// not replaced either. The modified flag is not touched.
// The records' ids are written right after, to ".NAME.cvabids" beside the
// book (also replaced safely), and named by the book's "CVABRecordIds"
// attribute; that attribute is never copied from the old file. When only the
// ids cannot be written the book is still saved and B_OK returned: they are
// new the next time it is read.
// The save holds the book's lock (BookLock.h): kBookBusyError when another
// program keeps it longer than kSaveLockTimeout.
// It overwrites whatever the file holds: a book read from the file and saved
// back to it should go through SaveBookMerging instead.
// absolutePath (may be null) receives the saved file's absolute path; saved
// (may be null) the file's new state and the book as saved.
status_t SaveBookFile(const entry_ref* ref, const CVABook* book, const book_frame& frame,
	std::string* absolutePath, BookAncestor* saved = nullptr);

// Removes the new files that killed saves of the book at targetPath (its
// absolute path, links resolved) left beside it: of the body, its ids and
// its journal; only the user's, of processes that have ended. Every save
// does so first; a window does when it opens the book.
void RemoveSaveLeftovers(const std::string& targetPath);

// The window frame stored with the file; an error when it has none.
status_t ReadBookFrame(const entry_ref* ref, book_frame* frame);

// Stores only the window frame on the existing file named by ref (a symbolic
// link is followed): body, type and other attributes stay as they are.
// B_ENTRY_NOT_FOUND when the file is gone, B_NOT_SUPPORTED on a file system
// without user attributes.
status_t SaveBookFrame(const entry_ref* ref, const book_frame& frame);

// The state of the file named by ref (a link is followed), without a digest,
// for a window that watches whether its book changed on disk: compare it with
// its ancestor's State() by SameFile.
status_t StatBookFile(const entry_ref* ref, book_file_state* state);

// The cause of a file error in plain lower-case words that complete a sentence
// such as "The book could not be saved because ...": "the disk is full",
// "permission was denied", "another program is saving it", ...
const char* DescribeFileError(status_t status);

#endif
