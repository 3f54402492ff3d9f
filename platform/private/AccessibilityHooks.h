// The seam through which the accessibility kit hears what changes in windows,
// views and menus, to tell a screen reader. The kits call it for the objects a
// reader has been shown (each holds a link to its accessible object), and for
// every window once an observer listens; without a reader a call site costs one
// test of a null pointer.
// Threading: every call comes with the window concerned locked, from its thread
// or from one holding its lock. An observer only notes and posts: it never waits.
#ifndef _CVAB_ACCESSIBILITY_HOOKS_H
#define _CVAB_ACCESSIBILITY_HOOKS_H

#include <SupportDefs.h>

class BMessage;
class BWindow;

namespace BPrivate {

// The accessibility kit's object of a window, a view or a menu item.
class Accessible;

// What changed, as bits.
enum accessible_change : uint32 {
	kAccessibleName = 1 << 0,       // name, title, label
	kAccessibleStates = 1 << 1,     // enabled, marked, default, active, shown
	kAccessibleValue = 1 << 2,      // a scroll bar's value or range
	kAccessibleText = 1 << 3,       // text, caret or selection
	kAccessibleChildren = 1 << 4,   // views added, removed, shown or hidden
	kAccessibleRows = 1 << 5,       // a list's rows
	kAccessibleSelection = 1 << 6,  // a list's selection
	kAccessibleFocusRow = 1 << 7,   // the row of a list that the keyboard is on
	kAccessibleFocus = 1 << 8,      // the focus of a window moved
	kAccessibleMenus = 1 << 9,      // a menu opened, closed or moved its highlight
};

class AccessibilityObserver {
public:
	virtual ~AccessibilityObserver() = default;

	// A window is shown: the reader may list it (linked or not yet).
	virtual void WindowShown(BWindow* window) = 0;
	// A key went down or up in a window.
	virtual void KeyPressed(BWindow* window, const BMessage* key) = 0;
	// A linked object changed (a mask of accessible_change).
	virtual void Changed(Accessible* accessible, uint32 changes) = 0;
	// A linked object is going away; its link has been dropped.
	virtual void Gone(Accessible* accessible) = 0;
};

// The observer while a reader may listen; null before.
AccessibilityObserver* accessibility_observer();
void set_accessibility_observer(AccessibilityObserver* observer);

// Shorthands for the kits: tell of a change of a linked object, and drop a link
// (telling that its object is gone). Both do nothing for an unlinked one.
void note_accessible_change(Accessible* accessible, uint32 changes);
void drop_accessible_link(Accessible** link);

// Whatever the observer, starts listening for a screen reader once (the first
// window does this), where the desktop has a session bus.
void start_accessibility();

}  // namespace BPrivate

#endif
