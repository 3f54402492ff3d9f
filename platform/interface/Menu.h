// BMenu: a list of items, laid out in a column (a menu that pops up) or in a row
// (a menu bar). A menu owns its items; a disabled menu disables everything in it
// and cannot be opened.
// Threading: the thread of the menu bar's window, or with that window locked.
#ifndef _MENU_H
#define _MENU_H

#include <View.h>

#include <functional>
#include <vector>

class BMenuBar;
class BMenuItem;

enum menu_layout {
	B_ITEMS_IN_ROW = 0,
	B_ITEMS_IN_COLUMN = 1,
	B_ITEMS_IN_MATRIX = 2,
};

namespace BPrivate {
struct MenuEntry;
class MenuTracker;
}

class BMenu : public BView {
public:
	explicit BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
	virtual ~BMenu();

	void Draw(BRect updateRect) override;

	// The menu owns the items added; false (and the item not taken) for null or an
	// item that already belongs to a menu.
	virtual bool AddItem(BMenuItem* item);
	virtual bool AddItem(BMenuItem* item, int32 index);
	// Adds an item that opens submenu.
	virtual bool AddItem(BMenu* submenu);
	virtual bool AddSeparatorItem();
	// The caller owns the removed item.
	virtual bool RemoveItem(BMenuItem* item);
	virtual BMenuItem* RemoveItem(int32 index);

	BMenuItem* ItemAt(int32 index) const;
	int32 CountItems() const { return (int32)fItems.size(); }
	int32 IndexOf(const BMenuItem* item) const;
	// Searches submenus too; the first match in menu order.
	BMenuItem* FindItem(const char* label) const;
	BMenuItem* FindItem(uint32 command) const;
	BMenuItem* FindMarked() const;

	virtual void SetEnabled(bool enabled);
	// False when this menu or a menu above it is disabled.
	bool IsEnabled() const;
	// Every item of this menu (not of its submenus) sends to handler.
	virtual status_t SetTargetForItems(BHandler* handler);

	menu_layout Layout() const { return fLayout; }
	BMenu* Supermenu() const;
	BMenuItem* Superitem() const { return fSuperitem; }
	// The size the items need.
	virtual void GetPreferredSize(float* width, float* height);

protected:
	BMenu(BRect frame, const char* name, uint32 resizingMode, uint32 flags,
		menu_layout layout);
	// Called when an item or the set of items changed: lays out again and redraws.
	virtual void ItemsChanged();

private:
	friend class BMenuItem;
	friend class BMenuBar;
	friend class BPrivate::MenuTracker;

	void _Layout();
	BMenuBar* _TopBar() const;
	void _TargetItemsAt(BWindow* window);
	std::vector<BPrivate::MenuEntry> _Entries(int32 selected) const;
	int32 _ItemAt(BPoint where) const;
	bool _AllItems(const std::function<bool(BMenuItem*)>& visit) const;

	std::vector<BMenuItem*> fItems;
	BMenuItem* fSuperitem = nullptr;
	menu_layout fLayout;
	bool fEnabled = true;
	float fWidth = 0;
	float fHeight = 0;
};

#endif
