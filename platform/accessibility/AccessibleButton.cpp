#include "AccessibleButton.h"

#include <Button.h>

namespace BPrivate {

AccessibleButton::AccessibleButton(BButton* button, Accessible* parent)
	: AccessibleView(button, parent, ATK_ROLE_PUSH_BUTTON, kInterfaceAction)
{
}

bool AccessibleButton::Refresh()
{
	if (!AccessibleView::Refresh())
		return false;
	auto* button = static_cast<BButton*>(View());
	fName = button->Label() != nullptr ? button->Label() : "";
	if (!button->IsEnabled())
		fStates &= ~(Bit(ATK_STATE_ENABLED) | Bit(ATK_STATE_SENSITIVE));
	else
		fStates |= Bit(ATK_STATE_FOCUSABLE);
	if (button->IsDefault())
		fStates |= Bit(ATK_STATE_DEFAULT);
	return true;
}

const char* AccessibleButton::ActionName(int32)
{
	return "click";
}

// The button's message goes to its target as after a click; nothing waits for it.
bool AccessibleButton::DoAction(int32)
{
	bool done = false;
	WithWindow([&] {
		auto* button = static_cast<BButton*>(View());
		done = button != nullptr && button->IsEnabled() && button->Invoke() == B_OK;
	});
	return done;
}

}  // namespace BPrivate
