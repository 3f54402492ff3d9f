#include "AccessibleCell.h"

#include "AccessibleRow.h"
#include "AccessibleTable.h"
#include "AccessibleView.h"

#include <ListView.h>

namespace BPrivate {

AccessibleCell::AccessibleCell(AccessibleRow* row, int32 column)
	: Accessible(row->Window(), row, ATK_ROLE_TABLE_CELL, kInterfaceTableCell),
	  fRow(row),
	  fColumn(column)
{
}

AccessibleCell::~AccessibleCell()
{
	fRow->ForgetCell(fColumn);
}

bool AccessibleCell::Refresh()
{
	BListView* list = fRow->Table()->List();
	if (list == nullptr)
		return false;
	const int32 row = fRow->Row();
	uint64 states = Bit(ATK_STATE_TRANSIENT);
	fName.clear();
	fFrame = BRect();
	if (row >= list->CountItems() || fColumn >= list->CountColumns()) {
		fStates = states | Bit(ATK_STATE_DEFUNCT);
		return true;
	}
	states |= Bit(ATK_STATE_SELECTABLE) | Bit(ATK_STATE_ENABLED) | Bit(ATK_STATE_SENSITIVE);
	if (list->IsItemSelected(row))
		states |= Bit(ATK_STATE_SELECTED);
	fStates = states | AccessibleView::PartStates(list, list->CellFrame(row, fColumn), &fFrame);
	fName = list->CellText(row, fColumn);
	return true;
}

namespace {

AccessibleCell* CellOf(AtkTableCell* cell)
{
	Accessible* node = Accessible::Of(ATK_OBJECT(cell));
	return node != nullptr && !node->IsDefunct() ? dynamic_cast<AccessibleCell*>(node) : nullptr;
}

gint Span(AtkTableCell*)
{
	return 1;
}

gboolean GetPosition(AtkTableCell* object, gint* row, gint* column)
{
	AccessibleCell* cell = CellOf(object);
	if (cell == nullptr)
		return FALSE;
	*row = cell->RowObject()->Row();
	*column = cell->Column();
	return TRUE;
}

GPtrArray* ColumnHeaderCells(AtkTableCell* object)
{
	GPtrArray* headers = g_ptr_array_new_with_free_func(g_object_unref);
	AccessibleCell* cell = CellOf(object);
	if (cell == nullptr)
		return headers;
	if (AtkObject* header = cell->RowObject()->Table()->ColumnHeader(cell->Column()))
		g_ptr_array_add(headers, g_object_ref(header));
	return headers;
}

GPtrArray* RowHeaderCells(AtkTableCell*)
{
	return g_ptr_array_new_with_free_func(g_object_unref);
}

AtkObject* GetTable(AtkTableCell* object)
{
	AccessibleCell* cell = CellOf(object);
	return cell != nullptr ? ATK_OBJECT(g_object_ref(cell->RowObject()->Table()->Atk())) : nullptr;
}

}  // namespace

void AccessibleCell::InitInterface(gpointer iface_data, gpointer)
{
	auto* iface = static_cast<AtkTableCellIface*>(iface_data);
	iface->get_column_span = Span;
	iface->get_row_span = Span;
	iface->get_position = GetPosition;
	iface->get_column_header_cells = ColumnHeaderCells;
	iface->get_row_header_cells = RowHeaderCells;
	iface->get_table = GetTable;
}

}  // namespace BPrivate
