// The looper form of BAutolock, here because only the app kit knows BLooper.
#include <Autolock.h>

#include <Looper.h>

BAutolock::BAutolock(BLooper* looper)
	: fTarget(looper),
	  fUnlock([](void* target) { static_cast<BLooper*>(target)->Unlock(); })
{
	fLocked = looper != nullptr && looper->Lock();
}
