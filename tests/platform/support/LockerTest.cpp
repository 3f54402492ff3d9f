// BLocker: recursion for its owner, waiting and time-outs for others, and BAutolock.
#include <Autolock.h>
#include <Locker.h>
#include <OS.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(Locker, RecursiveForItsOwnerWaitedForOrTimedOutByOthersWhoCannotUnlockIt)
{
	BLocker locker("recursive");
	EXPECT_TRUE(locker.Lock());
	EXPECT_TRUE(locker.Lock());
	EXPECT_EQ(locker.CountLocks(), 2);
	EXPECT_EQ(locker.LockingThread(), find_thread(nullptr));
	locker.Unlock();
	EXPECT_TRUE(locker.IsLocked());
	std::atomic<status_t> timed{1};
	std::thread([&] { timed = locker.LockWithTimeout(20000); }).join();
	EXPECT_EQ(timed.load(), B_TIMED_OUT);
	// An unlock by a thread that does not hold it is ignored.
	std::thread([&] { locker.Unlock(); }).join();
	EXPECT_TRUE(locker.IsLocked());

	std::atomic<bool> got{false};
	std::thread waiter([&] {
		got = locker.Lock();
		locker.Unlock();
	});
	snooze(20000);
	EXPECT_FALSE(got.load());
	locker.Unlock();
	waiter.join();
	EXPECT_TRUE(got.load());
	EXPECT_EQ(locker.LockingThread(), -1);
	{
		BAutolock lock(locker);
		EXPECT_TRUE(lock.IsLocked());
		EXPECT_TRUE(locker.IsLocked());
	}
	EXPECT_FALSE(locker.IsLocked());
}
