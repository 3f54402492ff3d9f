// The list area of a book window: its columns (which fields it shows), the
// column-header strip (a button for each shown field, which sorts by it) and,
// while a book is open, the record list in its scroll view, a row for each
// record. It keeps the list's place (the selected records, by id, and the
// scroll) across a rebuild of its rows, and draws anew what a resize uncovers.
// Threading: its window's thread, or with the window locked; debug builds check it.
#ifndef _BOOK_LIST_AREA_H
#define _BOOK_LIST_AREA_H

#include "BookColumns.h"
#include "RecordId.h"

#include <Rect.h>

#include <vector>

class ABListView;
class ABookRecord;
class BScrollView;
class BView;
class CVABook;
class CVABWindow;

class BookListArea {
public:
	// Where the list stands, to keep it across a rebuild of its rows.
	struct place {
		std::vector<record_id> selected;
		float top = 0;
	};

	// Builds the header strip into parent, every field shown; window owns the
	// list and its rows (neither pointer is owned).
	BookListArea(BView* parent, CVABWindow* window);

	BookListArea(const BookListArea&) = delete;
	BookListArea& operator=(const BookListArea&) = delete;

	// The record list: null while no book is open.
	ABListView* ListView() const { return fListView; }
	BView* HeaderView() const { return fHeaderView; }

	// The record list in its scroll view, below the header strip.
	void BuildList();
	void RemoveList();
	// Deletes every row; the list keeps its sideways scroll.
	void EmptyList();
	// A row for each record of book in place of those there, the list
	// scrolled to its top; false, with no rows, without a list or a book.
	bool Reload(CVABook* book);
	const BookColumns& Columns() const { return fColumns; }
	// Shows the fields a View menu command asks for, with the header strip and
	// the list's columns anew; false when it changed nothing. The rows are the
	// caller's to rebuild.
	bool ShowColumns(uint32 command, int32 field);

	// The first selected row, or -1; its record, or null.
	int32 Selection() const;
	const ABookRecord* SelectedRecord() const;
	// Adds the first count rows to the selection.
	void SelectFirst(int32 count);

	place Place() const;
	// The same records selected (found by id, wherever they now are) and the
	// list scrolled where it was, as far as its rows still reach.
	void RestorePlace(const place& where);

	// The window was resized to width by height (bounds now): what that
	// uncovered is drawn anew.
	void Resized(BRect bounds, float width, float height);

private:
	void _BuildHeader();
	void _RemoveHeader();
	void _AssertLocked() const;

	BView* const fParent;
	CVABWindow* const fWindow;
	BookColumns fColumns;
	BView* fHeaderView = nullptr;
	BScrollView* fScrollView = nullptr;
	ABListView* fListView = nullptr;
	float fLastWidth = 0;
	float fLastHeight = 0;
};

#endif
