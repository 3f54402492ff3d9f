// AccessibleMenuItem: one item of a menu as a screen reader sees it: a menu item,
// a check item (one that has been marked: checked while it is), or a separator;
// named by its label, enabled only when it and its menu are, selected and focused
// while highlighted in its open menu. Its Action chooses it as a click does and
// tells its shortcut.
// Threading: the accessibility thread; made and read with the window locked.
// Detach comes from the window's thread.
#ifndef _CVAB_ACCESSIBLE_MENU_ITEM_H
#define _CVAB_ACCESSIBLE_MENU_ITEM_H

#include "Accessible.h"
#include "AccessibleActions.h"

#include <SupportDefs.h>

#include <string>

class BMenuItem;

namespace BPrivate {

class AccessibleMenuItem : public Accessible, public AccessibleActions {
public:
	// item is locked in its window and gets linked to the new object.
	AccessibleMenuItem(BMenuItem* item, Accessible* menu);

	// ATK's key binding for a shortcut: ";;<Control>n", "" for none.
	static std::string KeyBinding(char shortcut, uint32 modifiers);

	void Detach() override;

	const char* ActionName(int32 index) override;
	const char* ActionKeyBinding(int32 index) override;
	bool DoAction(int32 index) override;

protected:
	bool Refresh() override;

private:
	static AtkRole _RoleOf(const BMenuItem* item);

	BMenuItem* fItem;  // guarded by the window's lock; null once the item is gone
	std::string fKeyBinding;
};

}  // namespace BPrivate

#endif
