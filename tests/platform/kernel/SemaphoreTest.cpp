// Counting semaphores: acquire and release counts, time-outs, waking and deleting.
#include <OS.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(Semaphore, CountsTimeOutsAndBadIds)
{
	sem_id sem = create_sem(2, "counting");
	ASSERT_GT(sem, 0);
	EXPECT_EQ(acquire_sem_etc(sem, 2, 0, 0), B_OK);
	int32 count = -1;
	EXPECT_EQ(get_sem_count(sem, &count), B_OK);
	EXPECT_EQ(count, 0);
	EXPECT_EQ(acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 0), B_WOULD_BLOCK);
	const bigtime_t start = system_time();
	EXPECT_EQ(acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 50000), B_TIMED_OUT);
	EXPECT_GE(system_time() - start, 50000);
	EXPECT_EQ(acquire_sem_etc(sem, 1, B_ABSOLUTE_TIMEOUT, system_time() + 20000), B_TIMED_OUT);
	EXPECT_EQ(release_sem_etc(sem, 3, 0), B_OK);
	EXPECT_EQ(acquire_sem_etc(sem, 3, 0, 0), B_OK);
	EXPECT_EQ(delete_sem(sem), B_OK);
	EXPECT_EQ(acquire_sem(sem), B_BAD_SEM_ID);
}

TEST(Semaphore, ReleaseWakesOneWaiterAndDeletingWakesTheRestWithAnError)
{
	sem_id sem = create_sem(0, "wake");
	std::atomic<int> woken{0};
	std::atomic<int> errors{0};
	std::thread waiters[3];
	for (auto& waiter : waiters) {
		waiter = std::thread([&] {
			if (acquire_sem(sem) == B_BAD_SEM_ID)
				errors++;
			woken++;
		});
	}
	snooze(30000);
	EXPECT_EQ(woken.load(), 0);
	release_sem(sem);
	for (int i = 0; i < 200 && woken.load() == 0; i++)
		snooze(5000);
	snooze(20000);
	EXPECT_EQ(woken.load(), 1);
	delete_sem(sem);
	for (auto& waiter : waiters)
		waiter.join();
	EXPECT_EQ(errors.load(), 2);
}
