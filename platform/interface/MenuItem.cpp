#include <MenuItem.h>

#include <Errors.h>
#include <Menu.h>
#include <Message.h>
#include <Window.h>

#include "AccessibilityHooks.h"
#include "MenuLook.h"

#include <ctype.h>

using BPrivate::MenuLook;

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32 modifiers)
	: BInvoker(message, nullptr),
	  fLabel(label != nullptr ? label : ""),
	  fShortcut(shortcut),
	  fModifiers(shortcut != 0 ? (modifiers | B_COMMAND_KEY) : 0)
{
}

BMenuItem::BMenuItem(BMenu* submenu, BMessage* message)
	: BInvoker(message, nullptr),
	  fLabel(submenu != nullptr && submenu->Name() != nullptr ? submenu->Name() : ""),
	  fSubmenu(submenu)
{
	if (fSubmenu != nullptr)
		fSubmenu->fSuperitem = this;
}

BMenuItem::~BMenuItem()
{
	BPrivate::drop_accessible_link(&fAccessible);
	// Deleted while still in a menu: leave it rather than dangle there.
	if (fSuper != nullptr)
		fSuper->RemoveItem(this);
	delete fSubmenu;
}

void BMenuItem::SetLabel(const char* label)
{
	const std::string text = label != nullptr ? label : "";
	if (text == fLabel)
		return;
	fLabel = text;
	_Changed();
}

void BMenuItem::SetEnabled(bool enabled)
{
	if (fSubmenu != nullptr) {
		fSubmenu->SetEnabled(enabled);
		return;
	}
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	_Changed();
}

bool BMenuItem::IsEnabled() const
{
	return fSubmenu != nullptr ? fSubmenu->fEnabled : fEnabled;
}

void BMenuItem::SetMarked(bool marked)
{
	if (marked == fMarked)
		return;
	fMarked = marked;
	fEverMarked = fEverMarked || marked;
	_Changed();
}

void BMenuItem::SetShortcut(char shortcut, uint32 modifiers)
{
	fShortcut = shortcut;
	fModifiers = shortcut != 0 ? (modifiers | B_COMMAND_KEY) : 0;
	_Changed();
}

char BMenuItem::Shortcut(uint32* modifiers) const
{
	if (modifiers != nullptr)
		*modifiers = fModifiers;
	return fShortcut;
}

void BMenuItem::GetContentSize(float* width, float* height)
{
	*width = MenuLook::LabelWidth(fLabel.c_str());
	*height = MenuLook::kItemHeight;
}

bool BMenuItem::_CanBeChosen() const
{
	return fSubmenu == nullptr && fEnabled && fSuper != nullptr && fSuper->IsEnabled();
}

void BMenuItem::_Changed()
{
	if (fSuper != nullptr)
		fSuper->ItemsChanged();
}

void BMenuItem::_EnsureTarget(BWindow* window)
{
	if (window != nullptr && !Messenger().IsValid())
		SetTarget(window);
}

BMessage BMenuItem::_StampedCopy(const BMessage& original) const
{
	BMessage copy(original);
	copy.RemoveName("when");
	copy.AddInt64("when", system_time());
	copy.RemoveName("source");
	copy.AddPointer("source", this);
	copy.AddInt32("index", fSuper != nullptr ? fSuper->IndexOf(this) : -1);
	return copy;
}

status_t BMenuItem::Invoke(BMessage* message)
{
	if (!_CanBeChosen())
		return B_ERROR;
	const BMessage* original = message != nullptr ? message : Message();
	if (original == nullptr)
		return B_BAD_VALUE;
	BMessage copy(*original);
	// Appended: a message that carries its own "index" keeps it as the first value.
	copy.AddInt32("index", fSuper->IndexOf(this));
	return InvokeFrom(this, &copy);
}

bool BMenuItem::_InvokeInPlace(BWindow* window)
{
	if (!_CanBeChosen() || Message() == nullptr)
		return false;
	BLooper* looper = nullptr;
	BHandler* handler = Target(&looper);
	if (looper != window || looper == nullptr)
		return Invoke() == B_OK;
	BMessage copy = _StampedCopy(*Message());
	window->DispatchMessage(&copy, handler != nullptr ? handler : window);
	return true;
}
