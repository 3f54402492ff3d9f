#include <OS.h>

#include <cerrno>
#include <ctime>

namespace {

bigtime_t ClockMicros(clockid_t clock)
{
	timespec now;
	clock_gettime(clock, &now);
	return bigtime_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

}  // namespace

extern "C" bigtime_t system_time(void)
{
	return ClockMicros(CLOCK_MONOTONIC);
}

extern "C" bigtime_t real_time_clock_usecs(void)
{
	return ClockMicros(CLOCK_REALTIME);
}

extern "C" uint32 real_time_clock(void)
{
	return uint32(real_time_clock_usecs() / 1000000);
}

extern "C" status_t snooze_until(bigtime_t time, int /*timeBase*/)
{
	timespec until;
	until.tv_sec = time / 1000000;
	until.tv_nsec = (time % 1000000) * 1000;
	// The full time always passes: interruptions by signals resume the wait.
	while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
	}
	return B_OK;
}

extern "C" status_t snooze(bigtime_t amount)
{
	if (amount < 0)
		return B_BAD_VALUE;
	return snooze_until(system_time() + amount, B_SYSTEM_TIMEBASE);
}
