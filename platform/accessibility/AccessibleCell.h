// AccessibleCell: one cell of a table as a screen reader sees it, with ATK's
// TableCell interface: named by its text, selected with its row, showing while
// it is in sight, placed by its row and column under its column's header. Made
// when a reader asks, kept while it holds it.
// Threading: the accessibility thread.
#ifndef _CVAB_ACCESSIBLE_CELL_H
#define _CVAB_ACCESSIBLE_CELL_H

#include "Accessible.h"

namespace BPrivate {

class AccessibleRow;

class AccessibleCell : public Accessible {
public:
	AccessibleCell(AccessibleRow* row, int32 column);
	~AccessibleCell() override;

	// Fills in the ATK interface (a GInterfaceInitFunc).
	static void InitInterface(gpointer iface, gpointer data);

	AccessibleRow* RowObject() const { return fRow; }
	int32 Column() const { return fColumn; }
	int32 IndexInParent() override { return fColumn; }

protected:
	bool Refresh() override;

private:
	AccessibleRow* const fRow;  // held as the parent
	const int32 fColumn;
};

}  // namespace BPrivate

#endif
