// AccessibleWindow: a window as a screen reader sees it: a frame (a window with a
// menu bar), an alert, or a dialog (any other: editors, Find, information
// windows, file panels), named by its title, active while it has the keyboard,
// holding its views. Its thread is reached only through its messenger.
// Threading: the accessibility thread; it is created with the window locked.
#ifndef _CVAB_ACCESSIBLE_WINDOW_H
#define _CVAB_ACCESSIBLE_WINDOW_H

#include "Accessible.h"

#include <Messenger.h>

class BWindow;

namespace BPrivate {

class AccessibleWindow : public Accessible {
public:
	// window is locked; the new object is linked to it and the link holds it.
	AccessibleWindow(BWindow* window, Accessible* application);

	// Whether a reader is shown this window at all (menus' popups are parts of
	// their menu bar's window).
	static bool IsListed(const BWindow* window);

	const BMessenger& Messenger() const { return fMessenger; }
	bigtime_t BusyUntil() const { return fBusyUntil; }
	void SetBusyUntil(bigtime_t when) { fBusyUntil = when; }
	bool IsShowing() const { return (fStates & Bit(ATK_STATE_SHOWING)) != 0; }
	bool IsActive() const { return (fStates & Bit(ATK_STATE_ACTIVE)) != 0; }

	// What has the keyboard: the focused view's object, or the window's own; a
	// new reference, null when the window cannot be had.
	AccessibleRef Focused();

	void Announce(uint32 changes) override;
	void Defunct() override;

protected:
	bool Refresh() override;

private:
	static AtkRole _RoleOf(const BWindow* window);

	BMessenger fMessenger;
	BWindow* const fTarget;  // used only while the messenger holds it locked
	bigtime_t fBusyUntil = 0;
	// What the reader was told: nothing, until the window shows.
	bool fToldShowing = false;
	bool fToldActive = false;
};

}  // namespace BPrivate

#endif
