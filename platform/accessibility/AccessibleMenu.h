// AccessibleMenu: a menu bar, or a menu of one, as a screen reader sees it: the
// bar holds its menus, each menu (named by its title) its items and its own
// menus; a menu is enabled as a whole or not, showing while it is open, and
// selected while it is the title open in its bar. Through ATK's Selection
// interface it tells the item the keyboard or pointer highlights. The bar tells
// the reader when menus open and close and the highlight moves, which carries
// the focus into the menus and back.
// Threading: the accessibility thread; made and read with the bar's window locked.
#ifndef _CVAB_ACCESSIBLE_MENU_H
#define _CVAB_ACCESSIBLE_MENU_H

#include "AccessibleSelection.h"
#include "AccessibleView.h"

#include <utility>

class BMenu;
class BMenuBar;

namespace BPrivate {

class AccessibleMenu : public AccessibleView, public AccessibleSelection {
public:
	AccessibleMenu(BMenu* menu, Accessible* parent);

	// The bar a menu belongs to, if any.
	static BMenuBar* BarOf(BMenu* menu);

	void Announce(uint32 changes) override;

	int32 CountSelected() override;
	AtkObject* RefSelected(int32 index) override;
	bool IsChildSelected(int32 child) override;
	// A reader does not open menus through the selection: the items' actions
	// choose them.
	bool SelectChild(int32) override { return false; }
	bool DeselectSelected(int32) override { return false; }
	bool ClearSelection() override { return false; }
	bool SelectAll() override { return false; }

protected:
	bool Refresh() override;

private:
	using OpenMenus = std::vector<std::pair<AccessibleRef, int32>>;

	// The bar's: the open menus' objects with their highlights, read now.
	OpenMenus _ReadOpen();
	void _AnnounceMenus();

	int32 fHighlighted = -1;  // the item highlighted while open, as last read
	int32 fToldHighlighted = -1;
	OpenMenus fOpen;          // the bar's: as last told
};

}  // namespace BPrivate

#endif
