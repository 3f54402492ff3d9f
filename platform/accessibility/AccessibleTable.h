// AccessibleTable: a list view as a screen reader sees it: a table (a list with
// columns or column headers) or a list, with ATK's Table and Selection
// interfaces. Its rows are its children and a row's cells are the row's; both are
// made only when a reader asks for them and kept only while it holds them (the
// table manages its descendants), so a long list costs nothing until read. The
// column headers are the list's header views. When the rows are made anew (a
// reload or a sort) the table tells one change of its children, of its model and
// of the visible data, whatever the number of rows; one change of the selection
// when it changes; and the row the keyboard is on as its active descendant.
// Threading: the accessibility thread; made and read with the window locked.
#ifndef _CVAB_ACCESSIBLE_TABLE_H
#define _CVAB_ACCESSIBLE_TABLE_H

#include "AccessibleSelection.h"
#include "AccessibleView.h"

#include <unordered_map>

class BListView;

namespace BPrivate {

class AccessibleTable : public AccessibleView, public AccessibleSelection {
public:
	AccessibleTable(BListView* list, Accessible* parent);

	// Fills in the ATK interface (a GInterfaceInitFunc).
	static void InitInterface(gpointer iface, gpointer data);

	// The list, with the window locked (null once it is gone).
	BListView* List() const;
	int32 CountRows();
	int32 CountColumns();
	// A row's object and a cell's, new references; null outside the table.
	AtkObject* RefRow(int32 row);
	AtkObject* RefCell(int32 row, int32 column);
	// The object of a column's header view, null for none; its link holds it.
	AtkObject* ColumnHeader(int32 column);
	// A row's object forgets it (it is being let go).
	void ForgetRow(int32 row) { fRows.erase(row); }
	bool IsRowSelected(int32 row);
	bool SetRowSelected(int32 row, bool selected);
	// Tells the reader which row the keyboard is on (the table has the focus).
	void AnnounceFocusRow();

	int32 CountChildren() override;
	AtkObject* RefChild(int32 index) override;
	void Announce(uint32 changes) override;

	int32 CountSelected() override;
	AtkObject* RefSelected(int32 index) override;
	bool IsChildSelected(int32 child) override;
	bool SelectChild(int32 child) override;
	bool DeselectSelected(int32 index) override;
	bool ClearSelection() override;
	bool SelectAll() override;

protected:
	bool Refresh() override;

private:
	static AtkRole _RoleOf(const BListView* list);

	std::unordered_map<int32, AtkObject*> fRows;  // those a reader holds, unreferenced
	int32 fRowCount = 0;
	int32 fColumnCount = 0;
	int32 fFocusRow = -1;
	int32 fToldFocusRow = -1;
};

}  // namespace BPrivate

#endif
