#include <Locker.h>

#include <OS.h>

#include <chrono>

BLocker::BLocker() = default;
BLocker::BLocker(const char*) {}
BLocker::BLocker(const char*, bool) {}
BLocker::BLocker(bool) {}
BLocker::~BLocker() = default;

bool BLocker::Lock()
{
	return LockWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t BLocker::LockWithTimeout(bigtime_t timeout)
{
	const thread_id self = find_thread(nullptr);
	std::unique_lock<std::mutex> lock(fMutex);
	if (fOwner == self) {
		fCount++;
		return B_OK;
	}
	if (timeout == B_INFINITE_TIMEOUT) {
		fReleased.wait(lock, [this] { return fOwner < 0; });
	} else if (!fReleased.wait_for(lock, std::chrono::microseconds(timeout > 0 ? timeout : 0),
			[this] { return fOwner < 0; })) {
		return B_TIMED_OUT;
	}
	fOwner = self;
	fCount = 1;
	return B_OK;
}

void BLocker::Unlock()
{
	std::lock_guard<std::mutex> lock(fMutex);
	if (fOwner != find_thread(nullptr))
		return;  // only the owner may release; anything else is a caller's fault
	if (--fCount == 0) {
		fOwner = -1;
		fReleased.notify_one();
	}
}

thread_id BLocker::LockingThread() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	return fOwner;
}

bool BLocker::IsLocked() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	return fOwner == find_thread(nullptr);
}

int32 BLocker::CountLocks() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	return fCount;
}
