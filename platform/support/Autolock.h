// Holds a BLocker (or a looper) for the lifetime of a scope.
// Threading: used by one thread, within one scope.
#ifndef _AUTOLOCK_H
#define _AUTOLOCK_H

#include <Locker.h>

class BLooper;

class BAutolock {
public:
	explicit BAutolock(BLocker* locker);
	explicit BAutolock(BLocker& locker);
	explicit BAutolock(BLooper* looper);  // defined by the app kit, which knows BLooper
	~BAutolock();

	bool IsLocked() const { return fLocked; }
	void Unlock();

private:
	BAutolock(const BAutolock&) = delete;
	BAutolock& operator=(const BAutolock&) = delete;

	void* fTarget = nullptr;
	void (*fUnlock)(void* target) = nullptr;
	bool fLocked = false;
};

#endif
