// Sections: the menu; menus opening, closing and moving their highlight; the
// selection.
#include "AccessibleMenu.h"

#include "AccessibilityService.h"
#include "AccessibleLinks.h"
#include "AccessibleMenuItem.h"
#include "AccessibleWindow.h"

#include <MenuBar.h>
#include <MenuItem.h>

namespace BPrivate {

// --- the menu

AccessibleMenu::AccessibleMenu(BMenu* menu, Accessible* parent)
	: AccessibleView(menu, parent,
		  dynamic_cast<BMenuBar*>(menu) != nullptr ? ATK_ROLE_MENU_BAR : ATK_ROLE_MENU,
		  kInterfaceSelection)
{
}

BMenuBar* AccessibleMenu::BarOf(BMenu* menu)
{
	while (menu->Supermenu() != nullptr)
		menu = menu->Supermenu();
	return dynamic_cast<BMenuBar*>(menu);
}

bool AccessibleMenu::Refresh()
{
	auto* menu = static_cast<BMenu*>(View());
	if (menu == nullptr)
		return false;
	BMenuBar* bar = BarOf(menu);
	std::vector<MenuTracker::OpenMenu> open;
	if (bar != nullptr)
		open = AccessibleLinks::TrackerOf(bar).OpenMenus();
	fHighlighted = -1;
	if (menu == bar) {
		fStates = ViewStates();
		fFrame = ScreenFrameOf(bar);
	} else {
		fStates = 0;
		fFrame = BRect();
		BMenuItem* title = menu->Superitem();
		fName = title != nullptr ? title->Label() : "";
		for (const MenuTracker::OpenMenu& each : open) {
			if (each.menu == menu) {
				fStates |= Bit(ATK_STATE_SHOWING) | Bit(ATK_STATE_VISIBLE);
				fFrame = ToScreenPixels(each.screenFrame);
				fHighlighted = each.selected;
			}
			if (title != nullptr && each.menu == title->Menu()
				&& each.selected == each.menu->IndexOf(title))
				fStates |= Bit(ATK_STATE_SELECTED);
		}
		if (title != nullptr && title->Menu() == bar) {
			fFrame = ToScreenPixels(bar->ConvertToScreen(title->Frame()));
			fStates |= Bit(ATK_STATE_VISIBLE) | Bit(ATK_STATE_SHOWING);
			if (AccessibleLinks::TrackerOf(bar).OpenTitle() == bar->IndexOf(title))
				fStates |= Bit(ATK_STATE_SELECTED);
		}
	}
	fStates |= Bit(ATK_STATE_SELECTABLE);
	if (menu->IsEnabled())
		fStates |= Bit(ATK_STATE_ENABLED) | Bit(ATK_STATE_SENSITIVE);
	fChildren.clear();
	for (int32 i = 0; BMenuItem* item = menu->ItemAt(i); i++) {
		Accessible* child = nullptr;
		if (BMenu* submenu = item->Submenu()) {
			Accessible*& link = AccessibleLinks::Of(submenu);
			if (link == nullptr)
				link = new AccessibleMenu(submenu, this);
			child = link;
		} else {
			Accessible*& link = AccessibleLinks::Of(item);
			if (link == nullptr)
				link = new AccessibleMenuItem(item, this);
			child = link;
		}
		fChildren.push_back(AccessibleRef(child->Atk()));
	}
	return true;
}

// --- menus opening, closing and moving their highlight

// An item's state follows its menu's: each is read and told again.
void AccessibleMenu::Announce(uint32 changes)
{
	AccessibleView::Announce(changes);
	if (changes & (kAccessibleStates | kAccessibleChildren | kAccessibleMenus)) {
		for (const AccessibleRef& child : std::vector<AccessibleRef>(fChildren)) {
			if (Accessible* node = Of(child.Get()))
				node->Announce(kAccessibleStates | kAccessibleName);
		}
	}
	if (fHighlighted != fToldHighlighted) {
		fToldHighlighted = fHighlighted;
		g_signal_emit_by_name(Atk(), "selection-changed");
	}
	if (changes & kAccessibleMenus)
		_AnnounceMenus();
}

AccessibleMenu::OpenMenus AccessibleMenu::_ReadOpen()
{
	OpenMenus open;
	WithWindow([&] {
		auto* bar = dynamic_cast<BMenuBar*>(static_cast<BMenu*>(View()));
		if (bar == nullptr)
			return;
		// Outermost first: each menu's object is made by reading the one above it.
		for (const MenuTracker::OpenMenu& each : AccessibleLinks::TrackerOf(bar).OpenMenus()) {
			BMenuItem* title = each.menu->Superitem();
			BMenu* above = title != nullptr ? title->Menu() : nullptr;
			if (AccessibleLinks::Of(each.menu) == nullptr && above != nullptr) {
				if (Accessible* parent = AccessibleLinks::Of(above))
					parent->Update();
			}
			if (Accessible* node = AccessibleLinks::Of(each.menu))
				open.emplace_back(AccessibleRef(node->Atk()), each.selected);
		}
	});
	return open;
}

// The menus that opened or closed tell their new states; the keyboard goes to
// the highlighted item, and back to the window when the last menu closes.
void AccessibleMenu::_AnnounceMenus()
{
	const OpenMenus before = fOpen;
	fOpen = _ReadOpen();
	for (const OpenMenus* list : {&before, static_cast<const OpenMenus*>(&fOpen)}) {
		for (const auto& [menu, selected] : *list) {
			if (Accessible* node = Of(menu.Get()); node != nullptr && node != this)
				node->Announce(kAccessibleStates);
		}
	}
	AccessibilityService& service = AccessibilityService::Get();
	if (fOpen.empty()) {
		if (!before.empty() && Window() != nullptr)
			service.FocusMoved(Window());
		return;
	}
	Accessible* deepest = Of(fOpen.back().first.Get());
	AccessibleRef item;
	if (fOpen.back().second >= 0 && deepest != nullptr)
		item = AccessibleRef::Adopt(deepest->RefChild(fOpen.back().second));
	Accessible* focus = item ? Of(item.Get()) : deepest;
	if (focus != nullptr)
		service.FocusOn(focus);
}

// --- the selection

int32 AccessibleMenu::CountSelected()
{
	Update();
	return fHighlighted >= 0 ? 1 : 0;
}

AtkObject* AccessibleMenu::RefSelected(int32 index)
{
	Update();
	return index == 0 && fHighlighted >= 0 ? RefChild(fHighlighted) : nullptr;
}

bool AccessibleMenu::IsChildSelected(int32 child)
{
	Update();
	return child >= 0 && child == fHighlighted;
}

}  // namespace BPrivate
