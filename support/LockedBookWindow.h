// A book window locked through its messenger for one scope, the one way other
// windows and a Word Services session reach it: a window that has closed, or
// is no book window, or stays locked past the time-out, gives nothing, so a
// caller never uses a window that has gone. Whoever takes it holds no other
// window's lock but its own (see CVABook.h).
// Threading: any thread; the lock is released where it was taken.
#ifndef _LOCKED_BOOK_WINDOW_H
#define _LOCKED_BOOK_WINDOW_H

#include "BookWindowAccess.h"

#include <SupportDefs.h>

class BLooper;
class BMessenger;

class LockedBookWindow {
public:
	// Waits at most timeout for the lock. A thread that others wait on (the
	// application's, during a Word Services session) must give a time-out.
	explicit LockedBookWindow(const BMessenger& window, bigtime_t timeout = B_INFINITE_TIMEOUT);
	~LockedBookWindow();

	LockedBookWindow(const LockedBookWindow&) = delete;
	LockedBookWindow& operator=(const LockedBookWindow&) = delete;

	// The window, locked; null when it could not be had.
	BookWindowAccess* Window() const { return fWindow; }
	BookWindowAccess* operator->() const { return fWindow; }
	explicit operator bool() const { return fWindow != nullptr; }

private:
	BLooper* fLooper = nullptr;
	BookWindowAccess* fWindow = nullptr;
};

#endif
