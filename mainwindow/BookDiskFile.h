// The file a book window reads its book from and writes it to: where it is,
// the file and the book as last read or saved (what another program's change
// is told by and merged over), whether the file is the book's own yet, and the
// watch on it. It reads a book (a vCard or CSV file as one too), reads the
// file anew after another program changed it, and writes the book whole,
// merging with that program's changes; it shows nothing and says how it went.
// Threading: its window's thread, or with the window locked (debug builds
// check it); the watch's own thread only posts to the window.
#ifndef _BOOK_DISK_FILE_H
#define _BOOK_DISK_FILE_H

#include "BookAncestor.h"
#include "BookBody.h"
#include "CVABook.h"
#include "MergingSave.h"

#include <EntryRef.h>

#include <memory>
#include <string>

class BLooper;
class BookFileWatcher;

class BookDiskFile {
public:
	// What reading a file into a book came to.
	struct read_outcome {
		// A vCard or CSV file, read as its contacts: it is the book's source,
		// never its file, so the book has none until one is chosen.
		bool imported = false;
		// The source's absolute path ("" when it has none), and what the
		// contact readers noted, for the user ("" when nothing).
		std::string sourcePath;
		std::string importNotes;
		// What a book file held that the book cannot keep.
		book_read_losses losses;
		// Why the file could not be read, to end "could not be opened: ..."
		// ("" when it was read, or is not there yet).
		std::string failure;
	};

	// The file as it is now, read apart from the window's book.
	struct fresh_read {
		CVABook book{nullptr};
		book_read_losses losses;
		BookAncestor ancestor;
	};

	enum class disk_change { kNone, kGone, kChanged };

	// changedWhat is posted to window when the watched file may have changed.
	BookDiskFile(BLooper* window, uint32 changedWhat);
	~BookDiskFile();

	BookDiskFile(const BookDiskFile&) = delete;
	BookDiskFile& operator=(const BookDiskFile&) = delete;

	const entry_ref& Ref() const { return fRef; }
	// The absolute path, links resolved, as last read or written ("" for none).
	const std::string& Path() const { return fPath; }
	// The file is the book's own (read from it, or written to it), so a save
	// merges with it; not so for a file named in the save panel until it is
	// written, which replaces whatever the chosen file held.
	bool KnowsFile() const { return fKnowsFile; }
	// The named file is there, so the frame alone can be stored with it.
	bool BodyOnDisk() const;
	const book_save_result& LastSave() const { return fLastSave; }
	// The file and the book as last read or saved.
	const BookAncestor& Ancestor() const { return fAncestor; }

	// Reads ref into book (new, its owner locked) and makes it the book's file,
	// unless it is a vCard or CSV file. B_OK; B_ENTRY_NOT_FOUND for a file not
	// there yet (an empty book under its name, watched so that whoever makes
	// it is read); else the error that left the file unread, and not known.
	// Anything but a regular file, or one too large, is refused before a byte
	// of it is read (ReadOnlyBookFile.h).
	status_t Read(const entry_ref& ref, CVABook* book, read_outcome* outcome);
	// What became of the known file since it was last read or saved; kNone
	// too for the events of the window's own saves and a file not watched.
	disk_change LookAgain() const;
	// Reads the file anew into fresh. kBookBusyError while another program
	// saves it: the watch posts again later.
	status_t ReadAnew(fresh_read* fresh);
	// Makes book hold fresh's records (their ids kept), as the file now is.
	void TakeAnew(CVABook* book, fresh_read* fresh);

	// The save panel named a file; B_OK once it is the one to write. The
	// book's own file chosen again is still merged with.
	status_t Choose(const entry_ref& directory, const char* name);
	// Stores only the frame with the file; a file system without attributes
	// keeps none.
	status_t WriteFrame(const book_frame& frame);
	// Writes book whole: merging with another program's changes to a known
	// file (book then holds the merge), replacing any other; LastSave() says
	// how it went.
	status_t WriteWhole(CVABook* book, const book_frame& frame);
	// After a write that ended well, to path ("" when not known): the file is
	// watched as written. True when path is new for the book.
	bool NoteWritten(const std::string& path);

private:
	void _Watch();
	void _AssertLocked() const;

	BLooper* const fWindow;
	const uint32 fChangedWhat;
	entry_ref fRef;
	std::string fPath;
	BookAncestor fAncestor;
	bool fKnowsFile = false;
	book_save_result fLastSave;
	std::unique_ptr<BookFileWatcher> fWatcher;
};

#endif
