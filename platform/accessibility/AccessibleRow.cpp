#include "AccessibleRow.h"

#include "AccessibleCell.h"
#include "AccessibleLinks.h"
#include "AccessibleTable.h"
#include "AccessibleView.h"

#include <ListView.h>
#include <Window.h>

namespace BPrivate {

AccessibleRow::AccessibleRow(AccessibleTable* table, int32 row)
	: Accessible(table->Window(), table,
		  table->Role() == ATK_ROLE_TABLE ? ATK_ROLE_TABLE_ROW : ATK_ROLE_LIST_ITEM),
	  fTable(table),
	  fRow(row)
{
}

AccessibleRow::~AccessibleRow()
{
	fTable->ForgetRow(fRow);
}

bool AccessibleRow::Refresh()
{
	BListView* list = fTable->List();
	if (list == nullptr)
		return false;
	uint64 states = Bit(ATK_STATE_TRANSIENT);
	fFrame = BRect();
	fName.clear();
	if (fRow >= list->CountItems()) {
		fStates = states | Bit(ATK_STATE_DEFUNCT);
		return true;
	}
	states |= Bit(ATK_STATE_SELECTABLE) | Bit(ATK_STATE_FOCUSABLE);
	if (list->ItemAt(fRow)->IsEnabled())
		states |= Bit(ATK_STATE_ENABLED) | Bit(ATK_STATE_SENSITIVE);
	if (list->IsItemSelected(fRow))
		states |= Bit(ATK_STATE_SELECTED);
	if (list->IsFocus() && AccessibleLinks::FocusRow(list) == fRow
		&& list->Window()->IsActive())
		states |= Bit(ATK_STATE_FOCUSED);
	fStates = states | AccessibleView::PartStates(list, list->ItemFrame(fRow), &fFrame);
	const int32 columns = list->CountColumns();
	for (int32 column = 0; column < columns; column++) {
		const std::string text = list->CellText(fRow, column);
		if (!text.empty())
			fName += (fName.empty() ? "" : " ") + text;
	}
	return true;
}

int32 AccessibleRow::CountChildren()
{
	return Role() == ATK_ROLE_TABLE_ROW ? fTable->CountColumns() : 0;
}

AtkObject* AccessibleRow::RefChild(int32 column)
{
	if (column < 0 || column >= CountChildren())
		return nullptr;
	auto found = fCells.find(column);
	if (found != fCells.end())
		return ATK_OBJECT(g_object_ref(found->second));
	auto* cell = new AccessibleCell(this, column);
	fCells[column] = cell->Atk();
	return cell->Atk();
}

// The keyboard goes to the list, onto this row alone.
bool AccessibleRow::GrabFocus()
{
	bool done = false;
	WithWindow([&] {
		BListView* list = fTable->List();
		if (list == nullptr || fRow >= list->CountItems())
			return;
		list->MakeFocus(true);
		list->Select(fRow, false);
		list->ScrollToSelection();
		list->Window()->Activate(true);
		done = true;
	});
	return done;
}

}  // namespace BPrivate
