// BookColumns: which of a record's fields the book window shows as columns, in
// field order, and where each column stands. It is the one home of the list's
// columns: the View menu's marks show it, and the rows, the header strip and
// what a screen reader is told read it.
// Threading: a plain value; the list area keeps it under its window's lock.
#ifndef _BOOK_COLUMNS_H
#define _BOOK_COLUMNS_H

#include "BookFields.h"

#include <SupportDefs.h>

#include <vector>

class BookColumns {
public:
	// Columns, and their header buttons, are this many pixels apart.
	static constexpr float kWidth = 80;

	// Every field shown.
	BookColumns();

	bool IsShown(int32 field) const;
	int32 Count() const { return (int32)fFields.size(); }
	// The field of a column; -1 outside them.
	int32 FieldAt(int32 column) const;
	// Where a column starts, from the left of the first.
	static float Left(int32 column) { return column * kWidth; }

	// A View menu command (all, a preset, or one field more or less: field is
	// the command's "index"). False when it changes nothing: not such a command,
	// or no such field.
	bool Apply(uint32 command, int32 field);

private:
	void _ShowOnly(const int32* fields, int32 count);
	void _Collect();

	bool fShown[kBookFieldCount];
	std::vector<int32> fFields;  // the shown fields, in order
};

#endif
