// Threads are Linux threads; a thread's id is its kernel thread id, so the main
// thread's id equals the team id, as on the platform.
#include <OS.h>

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

struct ThreadRecord {
	std::mutex mutex;
	std::condition_variable changed;
	thread_id id = -1;
	std::string name;
	int32 priority = B_NORMAL_PRIORITY;
	thread_func function = nullptr;
	void* data = nullptr;
	bool started = false;   // resume_thread was called
	bool exited = false;
	status_t exitValue = B_OK;
};

struct ThreadTable {
	std::mutex mutex;
	std::map<thread_id, std::shared_ptr<ThreadRecord>> threads;
};

ThreadTable& Table()
{
	static ThreadTable* table = new ThreadTable;  // outlives static destructors
	return *table;
}

std::shared_ptr<ThreadRecord> Find(thread_id id)
{
	ThreadTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	auto found = table.threads.find(id);
	return found == table.threads.end() ? nullptr : found->second;
}

thread_local status_t tExitValue = B_OK;

// Marks the record exited however the thread ends: by returning or by exit_thread,
// whose forced unwinding runs this destructor too.
struct ExitMarker {
	std::shared_ptr<ThreadRecord> record;
	~ExitMarker()
	{
		std::lock_guard<std::mutex> lock(record->mutex);
		record->exited = true;
		record->exitValue = tExitValue;
		record->changed.notify_all();
	}
};

void RunThread(std::shared_ptr<ThreadRecord> record)
{
	{
		std::unique_lock<std::mutex> lock(record->mutex);
		record->id = thread_id(syscall(SYS_gettid));
		record->changed.notify_all();
		record->changed.wait(lock, [&] { return record->started; });
	}
	pthread_setname_np(pthread_self(), record->name.substr(0, 15).c_str());
	ExitMarker marker{record};
	tExitValue = record->function(record->data);
}

bool IsThreadOfThisTeam(thread_id id)
{
	char path[64];
	std::snprintf(path, sizeof(path), "/proc/self/task/%d", int(id));
	struct stat st;
	return stat(path, &st) == 0;
}

}  // namespace

extern "C" thread_id spawn_thread(thread_func func, const char* name, int32 priority, void* data)
{
	if (func == nullptr)
		return B_BAD_VALUE;
	auto record = std::make_shared<ThreadRecord>();
	record->function = func;
	record->data = data;
	record->name = name != nullptr ? std::string(name).substr(0, B_OS_NAME_LENGTH - 1) : "";
	record->priority = priority;
	try {
		std::thread(RunThread, record).detach();
	} catch (...) {
		return B_NO_MORE_THREADS;
	}
	std::unique_lock<std::mutex> lock(record->mutex);
	record->changed.wait(lock, [&] { return record->id >= 0; });
	ThreadTable& table = Table();
	std::lock_guard<std::mutex> tableLock(table.mutex);
	table.threads[record->id] = record;
	return record->id;
}

extern "C" status_t resume_thread(thread_id id)
{
	std::shared_ptr<ThreadRecord> record = Find(id);
	if (!record)
		return B_BAD_THREAD_ID;
	std::lock_guard<std::mutex> lock(record->mutex);
	if (record->started)
		return B_BAD_THREAD_STATE;
	record->started = true;
	record->changed.notify_all();
	return B_OK;
}

extern "C" status_t wait_for_thread(thread_id id, status_t* exitValue)
{
	std::shared_ptr<ThreadRecord> record = Find(id);
	if (!record)
		return B_BAD_THREAD_ID;
	if (id == find_thread(nullptr))
		return B_BAD_THREAD_ID;
	{
		std::unique_lock<std::mutex> lock(record->mutex);
		// Waiting for a thread that was never started starts it, as the platform does.
		if (!record->started) {
			record->started = true;
			record->changed.notify_all();
		}
		record->changed.wait(lock, [&] { return record->exited; });
		if (exitValue != nullptr)
			*exitValue = record->exitValue;
	}
	ThreadTable& table = Table();
	std::lock_guard<std::mutex> tableLock(table.mutex);
	table.threads.erase(id);
	return B_OK;
}

extern "C" void exit_thread(status_t exitValue)
{
	tExitValue = exitValue;
	pthread_exit(nullptr);
}

extern "C" status_t rename_thread(thread_id id, const char* newName)
{
	if (newName == nullptr)
		return B_BAD_VALUE;
	std::shared_ptr<ThreadRecord> record = Find(id);
	if (!record)
		return B_BAD_THREAD_ID;
	std::lock_guard<std::mutex> lock(record->mutex);
	record->name = std::string(newName).substr(0, B_OS_NAME_LENGTH - 1);
	return B_OK;
}

extern "C" thread_id find_thread(const char* name)
{
	if (name == nullptr) {
		static thread_local thread_id tSelf = thread_id(syscall(SYS_gettid));
		return tSelf;
	}
	ThreadTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	for (const auto& [id, record] : table.threads) {
		std::lock_guard<std::mutex> recordLock(record->mutex);
		if (!record->exited && record->name == name)
			return id;
	}
	return B_NAME_NOT_FOUND;
}

extern "C" status_t get_thread_info(thread_id id, thread_info* info)
{
	if (info == nullptr)
		return B_BAD_VALUE;
	std::memset(info, 0, sizeof(*info));
	std::shared_ptr<ThreadRecord> record = Find(id);
	if (record) {
		std::lock_guard<std::mutex> lock(record->mutex);
		if (record->exited)
			return B_BAD_THREAD_ID;
		std::strncpy(info->name, record->name.c_str(), B_OS_NAME_LENGTH - 1);
		info->priority = record->priority;
		info->state = record->started ? B_THREAD_RUNNING : B_THREAD_SUSPENDED;
	} else if (IsThreadOfThisTeam(id)) {
		char path[64];
		std::snprintf(path, sizeof(path), "/proc/self/task/%d/comm", int(id));
		if (FILE* comm = std::fopen(path, "r")) {
			if (std::fgets(info->name, B_OS_NAME_LENGTH, comm) != nullptr)
				info->name[std::strcspn(info->name, "\n")] = '\0';
			std::fclose(comm);
		}
		info->priority = B_NORMAL_PRIORITY;
		info->state = B_THREAD_RUNNING;
	} else {
		return B_BAD_THREAD_ID;
	}
	info->thread = id;
	info->team = getpid();
	return B_OK;
}

extern "C" status_t get_team_info(team_id team, team_info* info)
{
	if (info == nullptr)
		return B_BAD_VALUE;
	if (team != 0 && team != getpid())
		return B_BAD_TEAM_ID;
	std::memset(info, 0, sizeof(*info));
	info->team = getpid();
	info->uid = getuid();
	info->gid = getgid();
	return B_OK;
}
