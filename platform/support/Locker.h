// A recursive lock owned by one thread at a time.
// Threading: any thread; the owner may lock again and must unlock as often.
#ifndef _LOCKER_H
#define _LOCKER_H

#include <SupportDefs.h>

#include <condition_variable>
#include <mutex>

class BLocker {
public:
	BLocker();
	explicit BLocker(const char* name);
	BLocker(const char* name, bool benaphoreStyle);
	explicit BLocker(bool benaphoreStyle);
	virtual ~BLocker();

	status_t InitCheck() const { return B_OK; }

	bool Lock();
	status_t LockWithTimeout(bigtime_t timeout);
	void Unlock();

	thread_id LockingThread() const;
	bool IsLocked() const;  // by the calling thread
	int32 CountLocks() const;

private:
	BLocker(const BLocker&) = delete;
	BLocker& operator=(const BLocker&) = delete;

	mutable std::mutex fMutex;
	std::condition_variable fReleased;
	thread_id fOwner = -1;
	int32 fCount = 0;
};

#endif
