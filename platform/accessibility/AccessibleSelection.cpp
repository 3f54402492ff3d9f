#include "AccessibleSelection.h"

#include "Accessible.h"

namespace BPrivate {

namespace {

AccessibleSelection* SelectionOf(AtkSelection* selection)
{
	Accessible* node = Accessible::Of(ATK_OBJECT(selection));
	return node != nullptr && !node->IsDefunct() ? dynamic_cast<AccessibleSelection*>(node)
		: nullptr;
}

gboolean OnAddSelection(AtkSelection* object, gint child)
{
	AccessibleSelection* selection = SelectionOf(object);
	return selection != nullptr && selection->SelectChild(child);
}

gboolean OnClearSelection(AtkSelection* object)
{
	AccessibleSelection* selection = SelectionOf(object);
	return selection != nullptr && selection->ClearSelection();
}

AtkObject* OnRefSelection(AtkSelection* object, gint index)
{
	AccessibleSelection* selection = SelectionOf(object);
	return selection != nullptr ? selection->RefSelected(index) : nullptr;
}

gint OnGetSelectionCount(AtkSelection* object)
{
	AccessibleSelection* selection = SelectionOf(object);
	return selection != nullptr ? selection->CountSelected() : 0;
}

gboolean OnIsChildSelected(AtkSelection* object, gint child)
{
	AccessibleSelection* selection = SelectionOf(object);
	return selection != nullptr && selection->IsChildSelected(child);
}

gboolean OnRemoveSelection(AtkSelection* object, gint index)
{
	AccessibleSelection* selection = SelectionOf(object);
	return selection != nullptr && selection->DeselectSelected(index);
}

gboolean OnSelectAllSelection(AtkSelection* object)
{
	AccessibleSelection* selection = SelectionOf(object);
	return selection != nullptr && selection->SelectAll();
}

}  // namespace

void AccessibleSelection::InitInterface(gpointer iface_data, gpointer)
{
	auto* iface = static_cast<AtkSelectionIface*>(iface_data);
	iface->add_selection = OnAddSelection;
	iface->clear_selection = OnClearSelection;
	iface->ref_selection = OnRefSelection;
	iface->get_selection_count = OnGetSelectionCount;
	iface->is_child_selected = OnIsChildSelected;
	iface->remove_selection = OnRemoveSelection;
	iface->select_all_selection = OnSelectAllSelection;
}

}  // namespace BPrivate
