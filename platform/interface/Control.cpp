#include <Control.h>

#include <Errors.h>
#include <Message.h>
#include <Window.h>

#include "AccessibleLinks.h"

using BPrivate::AccessibleLinks;

BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BView(frame, name, resizingMode, flags),
	  BInvoker(message, nullptr),
	  fLabel(label != nullptr ? label : ""),
	  fHasLabel(label != nullptr)
{
}

BControl::~BControl() = default;

void BControl::AttachedToWindow()
{
	if (Parent() != nullptr) {
		SetViewColor(Parent()->ViewColor());
		SetLowColor(Parent()->ViewColor());
	}
	if (!Messenger().IsValid())
		SetTarget(Window());
	BView::AttachedToWindow();
}

void BControl::MakeFocus(bool focus)
{
	if (focus == IsFocus())
		return;
	fFocusChanging = true;
	BView::MakeFocus(focus);
	fFocusChanging = false;
	Invalidate();
}

void BControl::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_ENTER)) {
		if (IsEnabled()) {
			SetValue(B_CONTROL_ON);
			Invoke();
		}
		return;
	}
	BView::KeyDown(bytes, numBytes);
}

void BControl::SetLabel(const char* label)
{
	const std::string text = label != nullptr ? label : "";
	if (fHasLabel == (label != nullptr) && text == fLabel)
		return;
	fLabel = text;
	fHasLabel = label != nullptr;
	AccessibleLinks::Note(this, BPrivate::kAccessibleName);
	Invalidate();
}

const char* BControl::Label() const
{
	return fHasLabel ? fLabel.c_str() : nullptr;
}

void BControl::SetValue(int32 value)
{
	if (value == fValue)
		return;
	fValue = value;
	AccessibleLinks::Note(this, BPrivate::kAccessibleStates);
	Invalidate();
}

void BControl::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	// A disabled control leaves the Tab order, and takes its place again once enabled.
	if (!enabled && (Flags() & B_NAVIGABLE)) {
		fNavigableWhenEnabled = true;
		SetFlags(Flags() & ~B_NAVIGABLE);
	} else if (enabled && fNavigableWhenEnabled) {
		fNavigableWhenEnabled = false;
		SetFlags(Flags() | B_NAVIGABLE);
	}
	AccessibleLinks::Note(this, BPrivate::kAccessibleStates);
	Invalidate();
}

status_t BControl::Invoke(BMessage* message)
{
	if (!IsEnabled())
		return B_ERROR;
	const BMessage* original = message != nullptr ? message : Message();
	if (original == nullptr)
		return B_BAD_VALUE;
	BMessage copy(*original);
	copy.RemoveName("be:value");
	copy.AddInt32("be:value", fValue);
	return InvokeFrom(static_cast<BView*>(this), &copy);
}

rgb_color BControl::LabelColor() const
{
	return IsEnabled() ? HighColor() : make_color(152, 152, 152);
}
