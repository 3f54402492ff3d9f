// AccessibleView: a view as a screen reader sees it, and the base of the objects
// that stand for one kind of view (labels, buttons, text, scroll bars, lists,
// menus). A view of its own kind is a panel holding its children (a scroll view a
// scroll pane); its name is none, its states follow the view (shown, focusable,
// focused) and its extents are where the view shows.
// Which view becomes which object, and which views a reader is shown at all
// (neither hidden views nor the parts of a control), is decided here.
// Threading: the accessibility thread; made, read and linked with the window
// locked. Detach comes from the window's thread.
#ifndef _CVAB_ACCESSIBLE_VIEW_H
#define _CVAB_ACCESSIBLE_VIEW_H

#include "Accessible.h"

#include <Messenger.h>

class BView;

namespace BPrivate {

class AccessibleView : public Accessible {
public:
	// The object of a view in window's tree, made with those of the views above
	// it as needed; null for a view a reader is not shown.
	static Accessible* Find(BView* view, AccessibleWindow* window);
	// The objects of the children of view that a reader is shown, made as needed.
	static void ChildrenOf(BView* view, Accessible* parent, std::vector<AccessibleRef>* out);

	void Detach() override;
	bool GrabFocus() override;

	// A frame in the API's screen coordinates, in the screen's pixels.
	static BRect ToScreenPixels(BRect frame);
	// For a part of a view (a list's row or cell) at frame in the view's
	// coordinates: its visible and showing states, and its frame on the screen.
	static uint64 PartStates(const BView* view, BRect frame, BRect* screenFrame);

protected:
	// view is locked in its window and gets linked to the new object, whose one
	// reference the link holds.
	AccessibleView(BView* view, Accessible* parent, AtkRole role, uint32 interfaces = 0);

	// With the window locked: the view while it lasts, else null.
	BView* View() const { return fView; }
	// States every shown view has: showing and visible while it is in sight,
	// enabled, sensitive, focusable and focused.
	uint64 ViewStates() const;
	bool Refresh() override;
	// The view's frame on the screen, in the screen's pixels.
	static BRect ScreenFrameOf(const BView* view);

private:
	static Accessible* _Make(BView* view, Accessible* parent);

	BView* fView;  // guarded by the window's lock; null once the view is gone
};

}  // namespace BPrivate

#endif
