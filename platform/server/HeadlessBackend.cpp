#include "HeadlessBackend.h"

#include <chrono>

HeadlessBackend::HeadlessBackend(int32 width, int32 height)
	: fScreen{0, 0, width - 1, height - 1}
{
}

void HeadlessBackend::WaitForEvents(bigtime_t timeout, std::vector<BackendEvent>&)
{
	std::unique_lock<std::mutex> lock(fMutex);
	fWoken.wait_for(lock, std::chrono::microseconds(timeout), [this] { return fWakePending; });
	fWakePending = false;
}

void HeadlessBackend::Wake()
{
	std::lock_guard<std::mutex> lock(fMutex);
	fWakePending = true;
	fWoken.notify_one();
}
