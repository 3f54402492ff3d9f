#include "AccessibleActions.h"

#include "Accessible.h"

namespace BPrivate {

namespace {

AccessibleActions* ActionsOf(AtkAction* action)
{
	Accessible* node = Accessible::Of(ATK_OBJECT(action));
	return node != nullptr && !node->IsDefunct() ? dynamic_cast<AccessibleActions*>(node)
		: nullptr;
}

gboolean OnDoAction(AtkAction* action, gint index)
{
	AccessibleActions* actions = ActionsOf(action);
	return actions != nullptr && index >= 0 && index < actions->CountActions()
		&& actions->DoAction(index);
}

gint OnGetActionCount(AtkAction* action)
{
	AccessibleActions* actions = ActionsOf(action);
	return actions != nullptr ? actions->CountActions() : 0;
}

const gchar* OnGetName(AtkAction* action, gint index)
{
	AccessibleActions* actions = ActionsOf(action);
	return actions != nullptr && index >= 0 && index < actions->CountActions()
		? actions->ActionName(index) : nullptr;
}

const gchar* OnGetKeyBinding(AtkAction* action, gint index)
{
	AccessibleActions* actions = ActionsOf(action);
	return actions != nullptr && index >= 0 && index < actions->CountActions()
		? actions->ActionKeyBinding(index) : nullptr;
}

}  // namespace

void AccessibleActions::InitInterface(gpointer iface_data, gpointer)
{
	auto* iface = static_cast<AtkActionIface*>(iface_data);
	iface->do_action = OnDoAction;
	iface->get_n_actions = OnGetActionCount;
	iface->get_name = OnGetName;
	iface->get_localized_name = OnGetName;
	iface->get_keybinding = OnGetKeyBinding;
}

}  // namespace BPrivate
