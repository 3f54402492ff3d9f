#include "MenuPopup.h"

#include <AppDefs.h>
#include <Message.h>
#include <View.h>

namespace BPrivate {

// Draws the entries it was given and forwards the pointer to the tracker.
class MenuPopup::EntriesView : public BView {
public:
	EntriesView(BRect frame, BMessenger tracker, int32 serial)
		: BView(frame, "_menu_", B_FOLLOW_ALL_SIDES, B_WILL_DRAW),
		  fTracker(tracker),
		  fSerial(serial)
	{
		SetViewColor(MenuLook::Background());
	}

	void SetEntries(std::vector<MenuEntry> entries)
	{
		fEntries = std::move(entries);
		Invalidate();
	}

	void Draw(BRect) override { MenuLook::DrawPopup(this, fEntries); }
	void MouseDown(BPoint where) override { _Forward(B_MOUSE_DOWN, where); }
	void MouseUp(BPoint where) override { _Forward(B_MOUSE_UP, where); }
	void MouseMoved(BPoint where, uint32, const BMessage*) override
	{
		_Forward(B_MOUSE_MOVED, where);
	}

private:
	void _Forward(uint32 what, BPoint where)
	{
		BMessage message(kMenuPointerMessage);
		message.AddInt32("be:what", (int32)what);
		message.AddPoint("screen_where", ConvertToScreen(where));
		message.AddInt32("be:popup", fSerial);
		fTracker.SendMessage(&message);
	}

	BMessenger fTracker;
	int32 fSerial;
	std::vector<MenuEntry> fEntries;
};

MenuPopup::MenuPopup(BRect screenFrame, BMessenger tracker, int32 serial)
	: BWindow(screenFrame, "menu", B_NO_BORDER_WINDOW_LOOK, B_FLOATING_ALL_WINDOW_FEEL,
		B_NOT_MOVABLE | B_NOT_RESIZABLE | B_AVOID_FOCUS | B_WILL_ACCEPT_FIRST_CLICK)
{
	fView = new EntriesView(Bounds(), tracker, serial);
	AddChild(fView);
}

void MenuPopup::SetEntries(std::vector<MenuEntry> entries)
{
	if (!Lock())
		return;
	fView->SetEntries(std::move(entries));
	Unlock();
}

void MenuPopup::Close()
{
	Lock();
	Quit();
}

}  // namespace BPrivate
