// Private access for the accessibility kit to what the interface kit keeps for it:
// the links of windows, views and menu items to their accessible objects, a
// window's root view, a menu bar's tracker of open menus and a list's keyboard
// row.
// Threading: with the window concerned locked.
#ifndef _CVAB_ACCESSIBLE_LINKS_H
#define _CVAB_ACCESSIBLE_LINKS_H

#include <ListView.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <TextView.h>
#include <Window.h>

#include "AccessibilityHooks.h"
#include "MenuTracker.h"
#include "TextBuffer.h"

namespace BPrivate {

class AccessibleLinks {
public:
	static Accessible*& Of(BView* view) { return view->fAccessible; }
	static Accessible*& Of(BWindow* window) { return window->fAccessible; }
	static Accessible*& Of(BMenuItem* item) { return item->fAccessible; }

	// Tells a reader that a linked object changed (a mask of accessible_change).
	static void Note(BView* view, uint32 changes)
	{
		note_accessible_change(view->fAccessible, changes);
	}

	// The part of a view in sight in its window (window coordinates); invalid
	// where none is.
	static BRect VisibleFrame(const BView* view) { return view->_VisibleInWindow(); }

	// The view that holds a window's views.
	static BView* RootOf(const BWindow* window) { return window->fTopView; }

	// What of a bar's menus is open.
	static const MenuTracker& TrackerOf(const BMenuBar* bar) { return *bar->fTracker; }
	static bool IsCheckItem(const BMenuItem* item) { return item->fEverMarked; }

	// Where a text view's caret is (a byte offset): the end of its selection that
	// moves.
	static int32 CaretOf(const BTextView* view) { return view->fBuffer->Caret(); }

	// The row the keyboard is on: the one last moved to, else the first selected,
	// else the first; -1 in an empty list.
	static int32 FocusRow(const BListView* list) { return list->_FocusRow(); }
};

}  // namespace BPrivate

#endif
