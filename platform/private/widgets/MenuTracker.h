// MenuTracker: the state of a menu bar's open menus: which title is open, the
// chain of popups with their selections, and the pointer and key rules that move
// through them, choose an item or close everything.
// Threading: the menu bar's window thread only.
#ifndef _CVAB_MENU_TRACKER_H
#define _CVAB_MENU_TRACKER_H

#include <Point.h>
#include <Rect.h>

#include <vector>

class BMenu;
class BMenuBar;
class BMenuItem;

namespace BPrivate {

class MenuPopup;

class MenuTracker {
public:
	explicit MenuTracker(BMenuBar* bar);
	~MenuTracker();

	bool IsOpen() const { return fLevels.size() > 1; }
	int32 OpenTitle() const;

	// Pointer events in screen coordinates, from the bar's window or a popup.
	void Pressed(BPoint where);
	void Moved(BPoint where);
	void Released(BPoint where);
	// True when the key was used by the open menus (all keys are while one is open).
	bool KeyDown(const char* bytes);
	// Opens the first menu that can open, its first item selected, for the
	// keyboard. False when none can.
	bool OpenFirst();

	void CloseAll();
	// Shows items' changed states in the open popups.
	void Refresh();
	// Popup messages carry this; older ones are stale.
	bool IsCurrentPopup(int32 serial) const;

	// The menus open below the bar, outermost first, each with its highlighted
	// item (-1 for none) and where it shows on the screen.
	struct OpenMenu {
		BMenu* menu;
		int32 selected;
		BRect screenFrame;
	};
	std::vector<OpenMenu> OpenMenus() const;

private:
	struct Level {
		BMenu* menu;
		MenuPopup* popup;  // null for the bar itself
		BRect screenFrame;
		int32 selected;
		int32 serial;
	};

	void _OpenTitle(int32 index);
	void _OpenSubmenu(size_t level, int32 index);
	void _CloseFrom(size_t level);
	// openSubmenu: an item with a submenu opens it (the pointer does, keys do not).
	void _Select(size_t level, int32 index, bool openSubmenu);
	void _MoveSelection(int32 step);
	void _SwitchTitle(int32 step);
	void _Choose(BMenuItem* item);
	void _Update(size_t level);
	// The deepest level whose area holds where, or -1.
	int32 _LevelAt(BPoint where) const;
	int32 _ItemAt(size_t level, BPoint where) const;
	BRect _PopupFrame(BMenu* menu, BPoint leftTop) const;
	// Tells a reader that menus opened, closed or moved their highlight.
	void _NoteMenus();

	BMenuBar* fBar;
	std::vector<Level> fLevels;
	bool fButtonHeld = false;
	bool fOpenedByPress = false;
	int32 fNextSerial = 1;
};

}  // namespace BPrivate

#endif
