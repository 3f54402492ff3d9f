#include "LockedBookWindow.h"

#include <Looper.h>
#include <Messenger.h>

LockedBookWindow::LockedBookWindow(const BMessenger& window, bigtime_t timeout)
{
	if (window.LockTargetWithTimeout(timeout) != B_OK)
		return;
	window.Target(&fLooper);
	fWindow = dynamic_cast<BookWindowAccess*>(fLooper);
	if (fWindow == nullptr) {
		fLooper->Unlock();
		fLooper = nullptr;
	}
}

LockedBookWindow::~LockedBookWindow()
{
	if (fLooper != nullptr)
		fLooper->Unlock();
}
