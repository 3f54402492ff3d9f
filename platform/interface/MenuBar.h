// BMenuBar: the row of menu titles at the top of a window. A click on a title
// opens its menu in a popup above every window (a second click closes it); a press,
// drag and release chooses in one gesture; moving along the bar switches menus.
// While a menu is open the arrow keys move through it, Enter chooses, Escape or a
// click elsewhere closes it. The first bar added to a window is its key menu bar,
// whose items' shortcuts the window honours.
// Threading: the thread of its window, or with the window locked.
#ifndef _MENU_BAR_H
#define _MENU_BAR_H

#include <Menu.h>

#include <memory>

namespace BPrivate {
class AccessibleLinks;
}

class BMenuBar : public BMenu {
public:
	// With resizeToFit the bar keeps the height its items need and, following the
	// window's width, spans it.
	BMenuBar(BRect frame, const char* name,
		uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
		menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);
	virtual ~BMenuBar();

	void AttachedToWindow() override;
	void DetachedFromWindow() override;
	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
	void MouseUp(BPoint where) override;
	void MessageReceived(BMessage* message) override;
	void WindowActivated(bool active) override;

	bool IsResizeToFit() const { return fResizeToFit; }
	// True while one of its menus is open.
	bool IsTracking() const;

private:
	friend class BWindow;
	friend class BMenu;
	friend class BPrivate::AccessibleLinks;

	// The window's hooks (virtual, so the window needs no link to the menus): keys
	// while a menu is open, Command-key shortcuts, and whether a menu is open.
	virtual bool _KeyWhileOpen(const char* bytes);
	virtual bool _OpenFromKeyboard();
	virtual bool _InvokeShortcut(uint32 key, uint32 modifiers);
	virtual bool _IsMenuOpen() const;
	virtual void _CloseMenus();
	void _FitToItems();

	bool fResizeToFit;
	std::unique_ptr<BPrivate::MenuTracker> fTracker;
};

#endif
