#include <Autolock.h>

BAutolock::BAutolock(BLocker* locker)
	: fTarget(locker),
	  fUnlock([](void* target) { static_cast<BLocker*>(target)->Unlock(); })
{
	fLocked = locker != nullptr && locker->Lock();
}

BAutolock::BAutolock(BLocker& locker)
	: BAutolock(&locker)
{
}

BAutolock::~BAutolock()
{
	Unlock();
}

void BAutolock::Unlock()
{
	if (fLocked)
		fUnlock(fTarget);
	fLocked = false;
}
