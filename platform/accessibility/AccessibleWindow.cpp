#include "AccessibleWindow.h"

#include "AccessibilityService.h"
#include "AccessibleLinks.h"
#include "AccessibleView.h"
#include "DisplayServer.h"

#include <Alert.h>
#include <Window.h>

namespace BPrivate {

AccessibleWindow::AccessibleWindow(BWindow* window, Accessible* application)
	: Accessible(this, application, _RoleOf(window), kInterfaceWindow),
	  fMessenger(window, window),
	  fTarget(window)
{
	AccessibleLinks::Of(window) = this;
}

bool AccessibleWindow::IsListed(const BWindow* window)
{
	return !(window->Look() == B_NO_BORDER_WINDOW_LOOK
		&& window->Feel() == B_FLOATING_ALL_WINDOW_FEEL);
}

AtkRole AccessibleWindow::_RoleOf(const BWindow* window)
{
	if (dynamic_cast<const BAlert*>(window) != nullptr)
		return ATK_ROLE_ALERT;
	return window->KeyMenuBar() != nullptr ? ATK_ROLE_FRAME : ATK_ROLE_DIALOG;
}

bool AccessibleWindow::Refresh()
{
	BWindow* window = fTarget;
	fName = window->Title();
	uint64 states = Bit(ATK_STATE_ENABLED) | Bit(ATK_STATE_SENSITIVE);
	if (!window->IsHidden())
		states |= Bit(ATK_STATE_SHOWING) | Bit(ATK_STATE_VISIBLE);
	if (window->IsActive())
		states |= Bit(ATK_STATE_ACTIVE);
	if (!(window->Flags() & B_NOT_RESIZABLE))
		states |= Bit(ATK_STATE_RESIZABLE);
	if (window->Feel() == B_MODAL_APP_WINDOW_FEEL || window->Feel() == B_MODAL_ALL_WINDOW_FEEL
		|| window->Feel() == B_MODAL_SUBSET_WINDOW_FEEL)
		states |= Bit(ATK_STATE_MODAL);
	fStates = states;
	const float scale = DisplayServer::Get().Scale();
	const BRect frame = window->Frame();
	fFrame = BRect(frame.left * scale, frame.top * scale, (frame.right + 1) * scale - 1,
		(frame.bottom + 1) * scale - 1);
	fChildren.clear();
	AccessibleView::ChildrenOf(AccessibleLinks::RootOf(window), this, &fChildren);
	return true;
}

AccessibleRef AccessibleWindow::Focused()
{
	AccessibleRef focused;
	WithWindow([&] {
		BView* view = fTarget->CurrentFocus();
		Accessible* node = view != nullptr ? AccessibleView::Find(view, this) : nullptr;
		focused = AccessibleRef(node != nullptr ? node->Atk() : Atk());
	});
	return focused;
}

// Shown and hidden, the window joins and leaves the application's list; its
// activation moves the keyboard, which the service follows.
void AccessibleWindow::Announce(uint32 changes)
{
	Accessible::Announce(changes);
	AccessibilityService& service = AccessibilityService::Get();
	const bool activated = IsActive() != fToldActive;
	if (IsShowing() != fToldShowing) {
		fToldShowing = IsShowing();
		service.WindowsChanged();
		g_signal_emit_by_name(Atk(), fToldShowing ? "create" : "destroy");
	}
	if (activated) {
		fToldActive = IsActive();
		g_signal_emit_by_name(Atk(), fToldActive ? "activate" : "deactivate");
	}
	if ((changes & kAccessibleFocus) || activated)
		service.FocusMoved(this);
}

void AccessibleWindow::Defunct()
{
	if (IsDefunct())
		return;
	if (fToldActive)
		g_signal_emit_by_name(Atk(), "deactivate");
	if (fToldShowing)
		g_signal_emit_by_name(Atk(), "destroy");
	Accessible::Defunct();
	AccessibilityService::Get().WindowsChanged();
}

}  // namespace BPrivate
