// Sections: which view becomes which object; the view's own object.
#include "AccessibleView.h"

#include "AccessibleButton.h"
#include "AccessibleLabel.h"
#include "AccessibleLinks.h"
#include "AccessibleMenu.h"
#include "AccessibleScrollBar.h"
#include "AccessibleTable.h"
#include "AccessibleText.h"
#include "AccessibleWindow.h"
#include "DisplayServer.h"

#include <Button.h>
#include <ListView.h>
#include <MenuBar.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <StringView.h>
#include <TextView.h>
#include <Window.h>

namespace BPrivate {

// --- which view becomes which object

Accessible* AccessibleView::_Make(BView* view, Accessible* parent)
{
	if (auto* bar = dynamic_cast<BMenuBar*>(view))
		return new AccessibleMenu(bar, parent);
	if (auto* list = dynamic_cast<BListView*>(view))
		return new AccessibleTable(list, parent);
	if (auto* text = dynamic_cast<BTextView*>(view))
		return new AccessibleText(text, parent);
	if (auto* bar = dynamic_cast<BScrollBar*>(view))
		return new AccessibleScrollBar(bar, parent);
	if (auto* button = dynamic_cast<BButton*>(view))
		return new AccessibleButton(button, parent);
	if (auto* label = dynamic_cast<BStringView*>(view))
		return new AccessibleLabel(label, parent);
	const AtkRole role = dynamic_cast<BScrollView*>(view) != nullptr ? ATK_ROLE_SCROLL_PANE
		: ATK_ROLE_PANEL;
	return new AccessibleView(view, parent, role);
}

void AccessibleView::ChildrenOf(BView* view, Accessible* parent,
	std::vector<AccessibleRef>* out)
{
	// A control's parts (a header's drag edge) are the control's own business.
	if (dynamic_cast<BControl*>(view) != nullptr)
		return;
	for (int32 i = 0; BView* child = view->ChildAt(i); i++) {
		if (child->IsHidden())
			continue;
		Accessible*& link = AccessibleLinks::Of(child);
		if (link == nullptr)
			link = _Make(child, parent);
		out->push_back(AccessibleRef(link->Atk()));
	}
}

Accessible* AccessibleView::Find(BView* view, AccessibleWindow* window)
{
	if (view == nullptr || view->IsHidden())
		return nullptr;
	if (Accessible* linked = AccessibleLinks::Of(view))
		return linked;
	BView* parent = view->Parent();
	if (parent == nullptr)
		return nullptr;
	Accessible* parentNode = parent == AccessibleLinks::RootOf(view->Window()) ? window
		: Find(parent, window);
	if (parentNode == nullptr || dynamic_cast<BControl*>(parent) != nullptr)
		return parentNode;
	return AccessibleLinks::Of(view) = _Make(view, parentNode);
}

// --- the view's own object

AccessibleView::AccessibleView(BView* view, Accessible* parent, AtkRole role, uint32 interfaces)
	: Accessible(parent->Window(), parent, role, interfaces),
	  fView(view)
{
}

void AccessibleView::Detach()
{
	fView = nullptr;
}

BRect AccessibleView::ToScreenPixels(BRect frame)
{
	const float scale = DisplayServer::Get().Scale();
	return BRect(frame.left * scale, frame.top * scale, (frame.right + 1) * scale - 1,
		(frame.bottom + 1) * scale - 1);
}

uint64 AccessibleView::PartStates(const BView* view, BRect frame, BRect* screenFrame)
{
	uint64 states = 0;
	if (!view->IsHidden()) {
		states |= Bit(ATK_STATE_VISIBLE);
		if (frame.Intersects(view->Bounds()))
			states |= Bit(ATK_STATE_SHOWING);
	}
	*screenFrame = ToScreenPixels(view->ConvertToScreen(frame));
	return states;
}

BRect AccessibleView::ScreenFrameOf(const BView* view)
{
	return ToScreenPixels(view->ConvertToScreen(view->Bounds()));
}

uint64 AccessibleView::ViewStates() const
{
	uint64 states = Bit(ATK_STATE_ENABLED) | Bit(ATK_STATE_SENSITIVE);
	if (!fView->IsHidden()) {
		states |= Bit(ATK_STATE_VISIBLE);
		if (AccessibleLinks::VisibleFrame(fView).IsValid())
			states |= Bit(ATK_STATE_SHOWING);
	}
	if (fView->Flags() & B_NAVIGABLE)
		states |= Bit(ATK_STATE_FOCUSABLE);
	if (fView->IsFocus()) {
		states |= Bit(ATK_STATE_FOCUSABLE);
		if (fView->Window()->IsActive())
			states |= Bit(ATK_STATE_FOCUSED);
	}
	return states;
}

bool AccessibleView::Refresh()
{
	if (fView == nullptr)
		return false;
	fStates = ViewStates();
	fFrame = ScreenFrameOf(fView);
	fChildren.clear();
	ChildrenOf(fView, this, &fChildren);
	return true;
}

bool AccessibleView::GrabFocus()
{
	bool done = false;
	WithWindow([&] {
		if (fView == nullptr)
			return;
		fView->MakeFocus(true);
		fView->Window()->Activate(true);
		done = fView->IsFocus();
	});
	return done;
}

}  // namespace BPrivate
