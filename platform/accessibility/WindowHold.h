// WindowHold: a window locked for one scope on the accessibility thread, through
// its messenger, so a window that has gone is never touched. It waits a short
// time for the lock, and for a window found busy a moment ago only tries: a
// reader walking a busy window's objects gets their last values at once rather
// than one wait each.
// Threading: the accessibility thread.
#ifndef _CVAB_WINDOW_HOLD_H
#define _CVAB_WINDOW_HOLD_H

#include <SupportDefs.h>

class BWindow;

namespace BPrivate {

class AccessibleWindow;

class WindowHold {
public:
	// How long a lock is waited for, and how long a window stays busy after a wait
	// that ran out.
	static constexpr bigtime_t kWait = 20000;
	static constexpr bigtime_t kBusy = 250000;

	explicit WindowHold(AccessibleWindow* window);
	~WindowHold();

	WindowHold(const WindowHold&) = delete;
	WindowHold& operator=(const WindowHold&) = delete;

	// The window, locked; null when it could not be had.
	BWindow* Window() const { return fWindow; }
	explicit operator bool() const { return fWindow != nullptr; }
	// Not had because it was busy (not because it is gone).
	bool WasBusy() const { return fBusy; }

private:
	BWindow* fWindow = nullptr;
	bool fBusy = false;
};

}  // namespace BPrivate

#endif
