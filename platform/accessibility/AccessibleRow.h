// AccessibleRow: one row of a list or table as a screen reader sees it: a list
// item named by its text, or a table row named by its cells' texts and holding
// its cells; selectable, selected with the list's row, focused while it is the
// row the keyboard is on in a focused list, showing while it is in sight. It
// stands for a place in the list, not a record: after the rows are made anew it
// reads the row now there. Made when a reader asks, kept while it holds it.
// Threading: the accessibility thread.
#ifndef _CVAB_ACCESSIBLE_ROW_H
#define _CVAB_ACCESSIBLE_ROW_H

#include "Accessible.h"

#include <unordered_map>

namespace BPrivate {

class AccessibleTable;

class AccessibleRow : public Accessible {
public:
	AccessibleRow(AccessibleTable* table, int32 row);
	~AccessibleRow() override;

	AccessibleTable* Table() const { return fTable; }
	int32 Row() const { return fRow; }
	// A cell's object forgets it (it is being let go).
	void ForgetCell(int32 column) { fCells.erase(column); }

	int32 CountChildren() override;
	AtkObject* RefChild(int32 column) override;
	int32 IndexInParent() override { return fRow; }
	bool GrabFocus() override;

protected:
	bool Refresh() override;

private:
	AccessibleTable* const fTable;  // held as the parent
	const int32 fRow;
	std::unordered_map<int32, AtkObject*> fCells;  // those a reader holds, unreferenced
};

}  // namespace BPrivate

#endif
