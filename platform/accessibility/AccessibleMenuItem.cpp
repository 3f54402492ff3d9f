#include "AccessibleMenuItem.h"

#include "AccessibleLinks.h"
#include "AccessibleMenu.h"

#include <InterfaceDefs.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <SeparatorItem.h>

#include <cctype>

namespace BPrivate {

AccessibleMenuItem::AccessibleMenuItem(BMenuItem* item, Accessible* menu)
	: Accessible(menu->Window(), menu, _RoleOf(item), kInterfaceAction),
	  fItem(item)
{
}

AtkRole AccessibleMenuItem::_RoleOf(const BMenuItem* item)
{
	if (dynamic_cast<const BSeparatorItem*>(item) != nullptr)
		return ATK_ROLE_SEPARATOR;
	return AccessibleLinks::IsCheckItem(item) ? ATK_ROLE_CHECK_MENU_ITEM : ATK_ROLE_MENU_ITEM;
}

std::string AccessibleMenuItem::KeyBinding(char shortcut, uint32 modifiers)
{
	if (shortcut == 0)
		return "";
	std::string keys;
	if (modifiers & B_COMMAND_KEY)
		keys += "<Control>";
	if (modifiers & B_SHIFT_KEY)
		keys += "<Shift>";
	if (modifiers & B_OPTION_KEY)
		keys += "<Alt>";
	return ";;" + keys + char(tolower((unsigned char)shortcut));
}

void AccessibleMenuItem::Detach()
{
	fItem = nullptr;
}

bool AccessibleMenuItem::Refresh()
{
	if (fItem == nullptr)
		return false;
	fName = fItem->Label();
	uint32 modifiers = 0;
	const char shortcut = fItem->Shortcut(&modifiers);
	fKeyBinding = KeyBinding(shortcut, modifiers);
	BMenu* menu = fItem->Menu();
	uint64 states = 0;
	if (fItem->IsEnabled() && menu != nullptr && menu->IsEnabled())
		states |= Bit(ATK_STATE_ENABLED) | Bit(ATK_STATE_SENSITIVE) | Bit(ATK_STATE_SELECTABLE)
			| Bit(ATK_STATE_FOCUSABLE);
	if (Role() == ATK_ROLE_CHECK_MENU_ITEM) {
		states |= Bit(ATK_STATE_CHECKABLE);
		if (fItem->IsMarked())
			states |= Bit(ATK_STATE_CHECKED);
	}
	fFrame = BRect();
	BMenuBar* bar = menu != nullptr ? AccessibleMenu::BarOf(menu) : nullptr;
	if (bar != nullptr) {
		for (const MenuTracker::OpenMenu& open : AccessibleLinks::TrackerOf(bar).OpenMenus()) {
			if (open.menu != menu)
				continue;
			states |= Bit(ATK_STATE_SHOWING) | Bit(ATK_STATE_VISIBLE);
			BRect frame = fItem->Frame();
			frame.OffsetBy(open.screenFrame.LeftTop());
			fFrame = AccessibleView::ToScreenPixels(frame);
			if (open.selected == menu->IndexOf(fItem))
				states |= Bit(ATK_STATE_SELECTED) | Bit(ATK_STATE_FOCUSED);
		}
	}
	fStates = states;
	return true;
}

const char* AccessibleMenuItem::ActionName(int32)
{
	return "click";
}

const char* AccessibleMenuItem::ActionKeyBinding(int32)
{
	Update();
	return fKeyBinding.c_str();
}

// The item's message goes to its target as after a click; nothing waits for it.
bool AccessibleMenuItem::DoAction(int32)
{
	bool done = false;
	WithWindow([&] { done = fItem != nullptr && fItem->Invoke() == B_OK; });
	return done;
}

}  // namespace BPrivate
