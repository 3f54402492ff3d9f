// BMenuItem: one entry of a menu: a label, the message it sends when chosen (it is
// an invoker), an optional Command-key shortcut, a check mark, and optionally a
// submenu it opens instead of sending. Its default target is the window of the
// menu bar it belongs to.
// Threading: the thread of the menu bar's window, or with that window locked.
#ifndef _MENU_ITEM_H
#define _MENU_ITEM_H

#include <Invoker.h>
#include <Rect.h>

#include <string>

class BMenu;
class BWindow;

namespace BPrivate {
class Accessible;
class AccessibleLinks;
class MenuTracker;
}

class BMenuItem : public BInvoker {
public:
	// The item owns message. shortcut is a character typed with B_COMMAND_KEY;
	// modifiers may add B_SHIFT_KEY or B_OPTION_KEY (B_COMMAND_KEY is implied).
	BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
	// The item owns submenu; its label is the submenu's name.
	explicit BMenuItem(BMenu* submenu, BMessage* message = nullptr);
	virtual ~BMenuItem();

	virtual void SetLabel(const char* label);
	const char* Label() const { return fLabel.c_str(); }
	// An item that opens a submenu is enabled when the submenu is.
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;
	virtual void SetMarked(bool marked);
	bool IsMarked() const { return fMarked; }
	virtual void SetShortcut(char shortcut, uint32 modifiers);
	char Shortcut(uint32* modifiers = nullptr) const;

	BMenu* Submenu() const { return fSubmenu; }
	BMenu* Menu() const { return fSuper; }
	// In the coordinates of the menu that holds it.
	BRect Frame() const { return fFrame; }

	// Sends a copy of the message stamped with "when", "source" (this item) and
	// "index" (its place in its menu). B_ERROR when the item or its menu is
	// disabled; nothing is sent then.
	status_t Invoke(BMessage* message = nullptr) override;

protected:
	// What the item's label and shortcut need, for the menu's layout.
	virtual void GetContentSize(float* width, float* height);

private:
	friend class BMenu;
	friend class BMenuBar;
	friend class BWindow;
	friend class BPrivate::MenuTracker;
	friend class BPrivate::AccessibleLinks;

	// Takes the target from the window when none was set.
	void _EnsureTarget(BWindow* window);
	// As Invoke, but a target in window is handled at once, in typing order.
	bool _InvokeInPlace(BWindow* window);
	bool _CanBeChosen() const;
	void _Changed();
	BMessage _StampedCopy(const BMessage& original) const;

	std::string fLabel;
	BMenu* fSubmenu = nullptr;
	BMenu* fSuper = nullptr;
	BRect fFrame;
	char fShortcut = 0;
	uint32 fModifiers = 0;
	bool fEnabled = true;
	bool fMarked = false;
	// Once marked, an item is one that can be: a screen reader calls it a check item.
	bool fEverMarked = false;
	// A screen reader's object for this item, while one exists; window locked.
	BPrivate::Accessible* fAccessible = nullptr;
};

#endif
