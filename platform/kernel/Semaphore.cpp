// Counting semaphores kept in one process-wide table, keyed by id.
#include <OS.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

struct Semaphore {
	std::mutex mutex;
	std::condition_variable changed;
	int32 count = 0;
	bool deleted = false;
	std::string name;
	thread_id latestHolder = -1;
};

struct SemaphoreTable {
	std::mutex mutex;
	std::map<sem_id, std::shared_ptr<Semaphore>> semaphores;
	sem_id nextId = 1;
};

SemaphoreTable& Table()
{
	static SemaphoreTable* table = new SemaphoreTable;  // outlives static destructors
	return *table;
}

std::shared_ptr<Semaphore> Find(sem_id id)
{
	SemaphoreTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	auto found = table.semaphores.find(id);
	return found == table.semaphores.end() ? nullptr : found->second;
}

}  // namespace

extern "C" sem_id create_sem(int32 count, const char* name)
{
	if (count < 0)
		return B_BAD_VALUE;
	auto semaphore = std::make_shared<Semaphore>();
	semaphore->count = count;
	semaphore->name = name != nullptr ? std::string(name).substr(0, B_OS_NAME_LENGTH - 1) : "";
	SemaphoreTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	if (table.nextId == INT32_MAX)
		return B_NO_MORE_SEMS;
	sem_id id = table.nextId++;
	table.semaphores[id] = semaphore;
	return id;
}

extern "C" status_t delete_sem(sem_id id)
{
	std::shared_ptr<Semaphore> semaphore;
	{
		SemaphoreTable& table = Table();
		std::lock_guard<std::mutex> lock(table.mutex);
		auto found = table.semaphores.find(id);
		if (found == table.semaphores.end())
			return B_BAD_SEM_ID;
		semaphore = found->second;
		table.semaphores.erase(found);
	}
	std::lock_guard<std::mutex> lock(semaphore->mutex);
	semaphore->deleted = true;
	semaphore->changed.notify_all();
	return B_OK;
}

extern "C" status_t acquire_sem_etc(sem_id id, int32 count, uint32 flags, bigtime_t timeout)
{
	if (count < 1)
		return B_BAD_VALUE;
	std::shared_ptr<Semaphore> semaphore = Find(id);
	if (!semaphore)
		return B_BAD_SEM_ID;

	bool timed = (flags & (B_RELATIVE_TIMEOUT | B_ABSOLUTE_TIMEOUT)) != 0
		&& timeout != B_INFINITE_TIMEOUT;
	bigtime_t deadline = 0;
	if (timed)
		deadline = (flags & B_ABSOLUTE_TIMEOUT) != 0 ? timeout : system_time() + timeout;

	std::unique_lock<std::mutex> lock(semaphore->mutex);
	while (!semaphore->deleted && semaphore->count < count) {
		if (!timed) {
			semaphore->changed.wait(lock);
			continue;
		}
		bigtime_t remaining = deadline - system_time();
		if (remaining <= 0)
			return (flags & B_RELATIVE_TIMEOUT) != 0 && timeout == 0 ? B_WOULD_BLOCK : B_TIMED_OUT;
		semaphore->changed.wait_for(lock, std::chrono::microseconds(remaining));
	}
	if (semaphore->deleted)
		return B_BAD_SEM_ID;
	semaphore->count -= count;
	semaphore->latestHolder = find_thread(nullptr);
	return B_OK;
}

extern "C" status_t acquire_sem(sem_id id)
{
	return acquire_sem_etc(id, 1, 0, 0);
}

extern "C" status_t release_sem_etc(sem_id id, int32 count, uint32 /*flags*/)
{
	if (count < 1)
		return B_BAD_VALUE;
	std::shared_ptr<Semaphore> semaphore = Find(id);
	if (!semaphore)
		return B_BAD_SEM_ID;
	std::lock_guard<std::mutex> lock(semaphore->mutex);
	if (semaphore->deleted)
		return B_BAD_SEM_ID;
	semaphore->count += count;
	semaphore->changed.notify_all();
	return B_OK;
}

extern "C" status_t release_sem(sem_id id)
{
	return release_sem_etc(id, 1, 0);
}

extern "C" status_t get_sem_count(sem_id id, int32* count)
{
	if (count == nullptr)
		return B_BAD_VALUE;
	std::shared_ptr<Semaphore> semaphore = Find(id);
	if (!semaphore)
		return B_BAD_SEM_ID;
	std::lock_guard<std::mutex> lock(semaphore->mutex);
	*count = semaphore->count;
	return B_OK;
}

extern "C" status_t get_sem_info(sem_id id, sem_info* info)
{
	if (info == nullptr)
		return B_BAD_VALUE;
	std::shared_ptr<Semaphore> semaphore = Find(id);
	if (!semaphore)
		return B_BAD_SEM_ID;
	std::lock_guard<std::mutex> lock(semaphore->mutex);
	std::memset(info, 0, sizeof(*info));
	info->sem = id;
	info->team = getpid();
	std::strncpy(info->name, semaphore->name.c_str(), B_OS_NAME_LENGTH - 1);
	info->count = semaphore->count;
	info->latest_holder = semaphore->latestHolder;
	return B_OK;
}
