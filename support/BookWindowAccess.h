// What the windows opened from a book window (the editors, Find) and a Word
// Services session may do with that window: read and change its book, select a
// record in its list, switch its Find Next item, say the book changed, rebuild
// its list. Reached only through LockedBookWindow, so every call is made with
// the book window locked (which also guards its book, see CVABook.h).
// Threading: with the book window locked.
#ifndef _BOOK_WINDOW_ACCESS_H
#define _BOOK_WINDOW_ACCESS_H

class ABookRecord;
class CVABook;

class BookWindowAccess {
public:
	// The window's book; null before it has one.
	virtual CVABook* Book() const = 0;
	// Selects the record's row alone and scrolls it into view.
	virtual void SelectRecord(const ABookRecord* record) = 0;
	virtual void SetFindNextEnabled(bool enabled) = 0;
	// The records changed (added, changed or deleted): the book needs saving.
	virtual void NoteRecordsChanged() = 0;
	// Rebuilds the list's rows from the book.
	virtual void ReloadList() = 0;

protected:
	~BookWindowAccess() = default;
};

#endif
