// MenuPopup: the borderless window, above every other, that shows one open menu.
// It draws a copy of the menu's entries and reports the pointer to the tracker in
// the menu bar's window; it never touches the menu itself.
// Threading: created, updated and closed by the menu bar's window thread (locking
// the popup); its own thread only draws and forwards pointer events.
#ifndef _CVAB_MENU_POPUP_H
#define _CVAB_MENU_POPUP_H

#include <Messenger.h>
#include <Window.h>

#include "MenuLook.h"

#include <vector>

namespace BPrivate {

// Pointer events a popup forwards: "be:what" (B_MOUSE_DOWN, B_MOUSE_MOVED or
// B_MOUSE_UP), "screen_where", "buttons" and "be:popup" (the popup's serial).
constexpr uint32 kMenuPointerMessage = '_MPT';

class MenuPopup : public BWindow {
public:
	MenuPopup(BRect screenFrame, BMessenger tracker, int32 serial);

	// Locks the popup; redraws what changed.
	void SetEntries(std::vector<MenuEntry> entries);
	// Locks and quits it; the popup is gone afterwards.
	void Close();

private:
	class EntriesView;
	EntriesView* fView;
};

}  // namespace BPrivate

#endif
