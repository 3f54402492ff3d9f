#include "WindowHold.h"

#include "AccessibleWindow.h"

#include <OS.h>
#include <Window.h>

namespace BPrivate {

WindowHold::WindowHold(AccessibleWindow* window)
{
	if (window == nullptr || window->IsDefunct())
		return;
	const bigtime_t now = system_time();
	const bigtime_t wait = now < window->BusyUntil() ? 0 : kWait;
	const status_t status = window->Messenger().LockTargetWithTimeout(wait);
	if (status != B_OK) {
		fBusy = status == B_TIMED_OUT;
		if (fBusy && wait > 0)
			window->SetBusyUntil(now + kBusy);
		return;
	}
	BLooper* looper = nullptr;
	window->Messenger().Target(&looper);
	fWindow = dynamic_cast<BWindow*>(looper);
	if (fWindow == nullptr && looper != nullptr)
		looper->Unlock();
}

WindowHold::~WindowHold()
{
	if (fWindow != nullptr)
		fWindow->Unlock();
}

}  // namespace BPrivate
