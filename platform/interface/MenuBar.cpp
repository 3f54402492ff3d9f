#include <MenuBar.h>

#include <Message.h>
#include <MenuItem.h>
#include <Window.h>

#include "MenuLook.h"
#include "MenuPopup.h"
#include "MenuTracker.h"

#include <ctype.h>

using BPrivate::MenuLook;
using BPrivate::MenuTracker;

namespace {

constexpr uint32 kHorizontalRule = _rule_(0, 0xf, 0, 0xf);

}  // namespace

BMenuBar::BMenuBar(BRect frame, const char* name, uint32 resizingMode, menu_layout layout,
	bool resizeToFit)
	: BMenu(frame, name, resizingMode, B_WILL_DRAW | B_FRAME_EVENTS, layout),
	  fResizeToFit(resizeToFit),
	  fTracker(std::make_unique<MenuTracker>(this))
{
}

BMenuBar::~BMenuBar()
{
	fTracker.reset();
}

void BMenuBar::AttachedToWindow()
{
	BWindow* window = Window();
	_TargetItemsAt(window);
	if (window->KeyMenuBar() == nullptr)
		window->SetKeyMenuBar(this);
	_FitToItems();
	BMenu::AttachedToWindow();
}

void BMenuBar::DetachedFromWindow()
{
	fTracker->CloseAll();
	if (Window()->KeyMenuBar() == this)
		Window()->SetKeyMenuBar(nullptr);
	BMenu::DetachedFromWindow();
}

void BMenuBar::_FitToItems()
{
	if (!fResizeToFit)
		return;
	float width, height;
	GetPreferredSize(&width, &height);
	// A bar that follows both sides spans its parent; otherwise it hugs its titles.
	if ((ResizingMode() & kHorizontalRule) == (B_FOLLOW_LEFT_RIGHT & kHorizontalRule)
		&& Parent() != nullptr)
		width = Parent()->Bounds().right - Frame().left;
	else
		width = std::max(width - 1, 0.0f);
	ResizeTo(width, height);
}

void BMenuBar::Draw(BRect)
{
	const BRect bounds = Bounds();
	SetHighColor(MenuLook::Background());
	FillRect(bounds);
	for (const BPrivate::MenuEntry& entry : _Entries(fTracker->OpenTitle()))
		MenuLook::DrawEntry(this, entry);
	SetHighColor(MenuLook::Frame());
	StrokeLine(bounds.LeftBottom(), bounds.RightBottom());
}

void BMenuBar::MouseDown(BPoint where)
{
	SetMouseEventMask(B_POINTER_EVENTS);
	fTracker->Pressed(ConvertToScreen(where));
}

void BMenuBar::MouseMoved(BPoint where, uint32, const BMessage*)
{
	fTracker->Moved(ConvertToScreen(where));
}

void BMenuBar::MouseUp(BPoint where)
{
	fTracker->Released(ConvertToScreen(where));
}

void BMenuBar::MessageReceived(BMessage* message)
{
	if (message->what != BPrivate::kMenuPointerMessage) {
		BMenu::MessageReceived(message);
		return;
	}
	if (!fTracker->IsCurrentPopup(message->GetInt32("be:popup", -1)))
		return;
	const BPoint where = message->GetPoint("screen_where", BPoint());
	switch (message->GetInt32("be:what", 0)) {
		case B_MOUSE_DOWN:
			fTracker->Pressed(where);
			break;
		case B_MOUSE_UP:
			fTracker->Released(where);
			break;
		default:
			fTracker->Moved(where);
			break;
	}
}

void BMenuBar::WindowActivated(bool active)
{
	if (!active)
		fTracker->CloseAll();
	BMenu::WindowActivated(active);
}

bool BMenuBar::IsTracking() const
{
	return fTracker->IsOpen();
}

bool BMenuBar::_KeyWhileOpen(const char* bytes)
{
	return fTracker->KeyDown(bytes);
}

bool BMenuBar::_OpenFromKeyboard()
{
	return !fTracker->IsOpen() && fTracker->OpenFirst();
}

bool BMenuBar::_IsMenuOpen() const
{
	return fTracker->IsOpen();
}

void BMenuBar::_CloseMenus()
{
	fTracker->CloseAll();
}

bool BMenuBar::_InvokeShortcut(uint32 key, uint32 modifiers)
{
	const uint32 extra = modifiers & (B_SHIFT_KEY | B_OPTION_KEY);
	BMenuItem* chosen = nullptr;
	_AllItems([&](BMenuItem* item) {
		if (item->fShortcut != 0 && (uint32)tolower((unsigned char)item->fShortcut) == key
			&& (item->fModifiers & (B_SHIFT_KEY | B_OPTION_KEY)) == extra
			&& item->_CanBeChosen())
			chosen = item;
		return chosen != nullptr;
	});
	return chosen != nullptr && chosen->_InvokeInPlace(Window());
}
