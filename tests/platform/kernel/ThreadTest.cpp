// Threads: spawning suspended and exit values. (Snoozing is timed by the semaphore
// and looper tests.)
#include <OS.h>

#include <gtest/gtest.h>

#include <atomic>
#include <unistd.h>

namespace {

std::atomic<int> gRuns{0};

int32 CountRun(void* data)
{
	gRuns++;
	*static_cast<thread_id*>(data) = find_thread(nullptr);
	return 1234;
}

}  // namespace

TEST(Thread, SpawnedThreadWaitsForResumeAndEndsWithItsValue)
{
	EXPECT_EQ(find_thread(nullptr), getpid()) << "the main thread's id is the team id";
	thread_id seen = -1;
	const thread_id thread = spawn_thread(CountRun, "worker", B_NORMAL_PRIORITY, &seen);
	ASSERT_GT(thread, 0);
	snooze(20000);
	EXPECT_EQ(gRuns.load(), 0) << "a spawned thread must not run before resume_thread";
	thread_info info;
	ASSERT_EQ(get_thread_info(thread, &info), B_OK);
	EXPECT_STREQ(info.name, "worker");

	EXPECT_EQ(resume_thread(thread), B_OK);
	status_t exitValue = 0;
	EXPECT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_EQ(exitValue, 1234);
	EXPECT_EQ(seen, thread);
	EXPECT_EQ(gRuns.load(), 1);
	EXPECT_EQ(wait_for_thread(thread, &exitValue), B_BAD_THREAD_ID);
}
