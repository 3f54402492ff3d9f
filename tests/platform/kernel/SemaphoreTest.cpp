// Counting semaphores: waking one waiter a release, and the rest on deleting. (The
// counts are what the preference store's locks rely on, and test.)
#include <OS.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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
