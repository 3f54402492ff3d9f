// Sections: the table; rows, cells and headers; changes; the selection; AtkTable.
#include "AccessibleTable.h"

#include "AccessibleLinks.h"
#include "AccessibleRow.h"
#include "AccessibleWindow.h"

#include <ListView.h>
#include <Window.h>

namespace BPrivate {

// --- the table

AccessibleTable::AccessibleTable(BListView* list, Accessible* parent)
	: AccessibleView(list, parent, _RoleOf(list), kInterfaceSelection | kInterfaceTable)
{
}

AtkRole AccessibleTable::_RoleOf(const BListView* list)
{
	return list->CountColumns() != 1 || list->ColumnHeader(0) != nullptr ? ATK_ROLE_TABLE
		: ATK_ROLE_LIST;
}

BListView* AccessibleTable::List() const
{
	return static_cast<BListView*>(View());
}

bool AccessibleTable::Refresh()
{
	if (!AccessibleView::Refresh())
		return false;
	BListView* list = List();
	fRowCount = list->CountItems();
	fColumnCount = list->CountColumns();
	fFocusRow = AccessibleLinks::FocusRow(list);
	fStates |= Bit(ATK_STATE_MANAGES_DESCENDANTS) | Bit(ATK_STATE_FOCUSABLE);
	if (list->ListType() == B_MULTIPLE_SELECTION_LIST)
		fStates |= Bit(ATK_STATE_MULTISELECTABLE);
	return true;
}

int32 AccessibleTable::CountRows()
{
	Update();
	return fRowCount;
}

int32 AccessibleTable::CountColumns()
{
	Update();
	return fColumnCount;
}

// --- rows, cells and headers

AtkObject* AccessibleTable::RefRow(int32 row)
{
	if (row < 0 || row >= CountRows())
		return nullptr;
	auto found = fRows.find(row);
	if (found != fRows.end())
		return ATK_OBJECT(g_object_ref(found->second));
	auto* object = new AccessibleRow(this, row);
	fRows[row] = object->Atk();
	return object->Atk();
}

AtkObject* AccessibleTable::RefCell(int32 row, int32 column)
{
	const AccessibleRef rowObject = AccessibleRef::Adopt(RefRow(row));
	auto* node = static_cast<AccessibleRow*>(Of(rowObject.Get()));
	return node != nullptr ? node->RefChild(column) : nullptr;
}

AtkObject* AccessibleTable::ColumnHeader(int32 column)
{
	AtkObject* header = nullptr;
	WithWindow([&] {
		BListView* list = List();
		if (list == nullptr)
			return;
		if (Accessible* node = AccessibleView::Find(list->ColumnHeader(column), Window()))
			header = node->Atk();
	});
	return header;
}

int32 AccessibleTable::CountChildren()
{
	return CountRows();
}

AtkObject* AccessibleTable::RefChild(int32 index)
{
	return RefRow(index);
}

// --- changes

// Rows made anew are one change, whatever their number; the rows a reader
// holds read the new ones in their places. The bridge keeps a table's
// children-changed to itself (the table manages its descendants), so the reader
// hears the table's model change with it.
void AccessibleTable::Announce(uint32 changes)
{
	AccessibleView::Announce(changes);
	if (changes & kAccessibleRows) {
		AccessibleRef first = AccessibleRef::Adopt(RefRow(0));
		g_signal_emit_by_name(Atk(), first ? "children-changed::add" : "children-changed::remove",
			0u, first.Get());
		g_signal_emit_by_name(Atk(), "model-changed");
		g_signal_emit_by_name(Atk(), "visible-data-changed");
	}
	if (changes & (kAccessibleSelection | kAccessibleRows)) {
		for (const auto& [row, object] : std::unordered_map<int32, AtkObject*>(fRows)) {
			if (Accessible* node = Of(object))
				node->Announce(kAccessibleStates);
		}
	}
	if (changes & kAccessibleSelection)
		g_signal_emit_by_name(Atk(), "selection-changed");
	if ((changes & kAccessibleFocusRow) && fFocusRow != fToldFocusRow
		&& (fStates & Bit(ATK_STATE_FOCUSED)))
		AnnounceFocusRow();
}

// The table keeps the focus; the row is its active descendant, focused within it.
void AccessibleTable::AnnounceFocusRow()
{
	Update();
	fToldFocusRow = fFocusRow;
	const AccessibleRef row = AccessibleRef::Adopt(RefRow(fFocusRow));
	if (!row)
		return;
	g_signal_emit_by_name(Atk(), "active-descendant-changed", row.Get());
	atk_object_notify_state_change(row.Get(), ATK_STATE_FOCUSED, TRUE);
}

// --- the selection

bool AccessibleTable::IsRowSelected(int32 row)
{
	bool selected = false;
	WithWindow([&] { selected = List() != nullptr && List()->IsItemSelected(row); });
	return selected;
}

bool AccessibleTable::SetRowSelected(int32 row, bool selected)
{
	bool done = false;
	WithWindow([&] {
		BListView* list = List();
		if (list == nullptr || row < 0 || row >= list->CountItems())
			return;
		if (selected)
			list->Select(row, list->ListType() == B_MULTIPLE_SELECTION_LIST);
		else
			list->Deselect(row);
		done = true;
	});
	return done;
}

int32 AccessibleTable::CountSelected()
{
	int32 count = 0;
	WithWindow([&] {
		while (List() != nullptr && List()->CurrentSelection(count) >= 0)
			count++;
	});
	return count;
}

AtkObject* AccessibleTable::RefSelected(int32 index)
{
	int32 row = -1;
	WithWindow([&] { row = List() != nullptr ? List()->CurrentSelection(index) : -1; });
	return row >= 0 ? RefRow(row) : nullptr;
}

bool AccessibleTable::IsChildSelected(int32 child)
{
	return IsRowSelected(child);
}

bool AccessibleTable::SelectChild(int32 child)
{
	return SetRowSelected(child, true);
}

bool AccessibleTable::DeselectSelected(int32 index)
{
	int32 row = -1;
	WithWindow([&] { row = List() != nullptr ? List()->CurrentSelection(index) : -1; });
	return row >= 0 && SetRowSelected(row, false);
}

bool AccessibleTable::ClearSelection()
{
	bool done = false;
	WithWindow([&] {
		if (BListView* list = List()) {
			list->DeselectAll();
			done = true;
		}
	});
	return done;
}

bool AccessibleTable::SelectAll()
{
	bool done = false;
	WithWindow([&] {
		BListView* list = List();
		if (list == nullptr || list->ListType() != B_MULTIPLE_SELECTION_LIST)
			return;
		if (list->CountItems() > 0)
			list->Select(0, list->CountItems() - 1, false);
		done = true;
	});
	return done;
}

// --- AtkTable

namespace {

AccessibleTable* TableOf(AtkTable* table)
{
	Accessible* node = Accessible::Of(ATK_OBJECT(table));
	return node != nullptr && !node->IsDefunct() ? dynamic_cast<AccessibleTable*>(node) : nullptr;
}

AtkObject* OnRefAt(AtkTable* table, gint row, gint column)
{
	AccessibleTable* node = TableOf(table);
	return node != nullptr ? node->RefCell(row, column) : nullptr;
}

gint OnIndexAt(AtkTable* table, gint row, gint column)
{
	AccessibleTable* node = TableOf(table);
	return node != nullptr ? row * node->CountColumns() + column : -1;
}

gint OnColumnAtIndex(AtkTable* table, gint index)
{
	AccessibleTable* node = TableOf(table);
	const int32 columns = node != nullptr ? node->CountColumns() : 0;
	return columns > 0 ? index % columns : -1;
}

gint OnRowAtIndex(AtkTable* table, gint index)
{
	AccessibleTable* node = TableOf(table);
	const int32 columns = node != nullptr ? node->CountColumns() : 0;
	return columns > 0 ? index / columns : -1;
}

gint OnColumnCount(AtkTable* table)
{
	AccessibleTable* node = TableOf(table);
	return node != nullptr ? node->CountColumns() : 0;
}

gint OnRowCount(AtkTable* table)
{
	AccessibleTable* node = TableOf(table);
	return node != nullptr ? node->CountRows() : 0;
}

AtkObject* OnColumnHeader(AtkTable* table, gint column)
{
	AccessibleTable* node = TableOf(table);
	return node != nullptr ? node->ColumnHeader(column) : nullptr;
}

const gchar* OnColumnDescription(AtkTable* table, gint column)
{
	AtkObject* header = OnColumnHeader(table, column);
	return header != nullptr ? atk_object_get_name(header) : nullptr;
}

gint OnSelectedRows(AtkTable* table, gint** rows)
{
	AccessibleTable* node = TableOf(table);
	const int32 count = node != nullptr ? node->CountSelected() : 0;
	if (rows == nullptr)
		return count;
	*rows = count > 0 ? g_new(gint, count) : nullptr;
	int32 found = 0;
	for (int32 i = 0; i < count; i++) {
		AccessibleRef row = AccessibleRef::Adopt(node->RefSelected(i));
		if (row)
			(*rows)[found++] = atk_object_get_index_in_parent(row.Get());
	}
	return found;
}

gint OnSelectedColumns(AtkTable*, gint** columns)
{
	if (columns != nullptr)
		*columns = nullptr;
	return 0;
}

gboolean OnIsRowSelected(AtkTable* table, gint row)
{
	AccessibleTable* node = TableOf(table);
	return node != nullptr && node->IsRowSelected(row);
}

gboolean OnIsSelected(AtkTable* table, gint row, gint)
{
	return OnIsRowSelected(table, row);
}

gboolean OnAddRowSelection(AtkTable* table, gint row)
{
	AccessibleTable* node = TableOf(table);
	return node != nullptr && node->SetRowSelected(row, true);
}

gboolean OnRemoveRowSelection(AtkTable* table, gint row)
{
	AccessibleTable* node = TableOf(table);
	return node != nullptr && node->SetRowSelected(row, false);
}

gboolean OnIsColumnSelected(AtkTable*, gint)
{
	return FALSE;
}

}  // namespace

void AccessibleTable::InitInterface(gpointer iface_data, gpointer)
{
	auto* iface = static_cast<AtkTableIface*>(iface_data);
	iface->ref_at = OnRefAt;
	iface->get_index_at = OnIndexAt;
	iface->get_column_at_index = OnColumnAtIndex;
	iface->get_row_at_index = OnRowAtIndex;
	iface->get_n_columns = OnColumnCount;
	iface->get_n_rows = OnRowCount;
	iface->get_column_header = OnColumnHeader;
	iface->get_column_description = OnColumnDescription;
	iface->get_selected_rows = OnSelectedRows;
	iface->get_selected_columns = OnSelectedColumns;
	iface->is_row_selected = OnIsRowSelected;
	iface->is_selected = OnIsSelected;
	iface->add_row_selection = OnAddRowSelection;
	iface->remove_row_selection = OnRemoveRowSelection;
	iface->is_column_selected = OnIsColumnSelected;
}

}  // namespace BPrivate
