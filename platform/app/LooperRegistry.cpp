#include "LooperRegistry.h"

#include <OS.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <unordered_map>

namespace BPrivate {

namespace {

struct Registry {
	std::mutex mutex;
	std::unordered_map<int32, std::shared_ptr<MessagePort>> ports;
	int32 nextToken = 1;

	std::mutex idleMutex;
	std::condition_variable idleChanged;
	std::atomic<int32> idleWaiters{0};

	std::mutex handlerMutex;
	std::unordered_map<int32, BHandler*> handlers;
	int32 nextHandlerToken = 1;
};

Registry& TheRegistry()
{
	static Registry* registry = new Registry;  // outlives static destructors
	return *registry;
}

}  // namespace

int32 LooperRegistry::Add(const std::shared_ptr<MessagePort>& port)
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.mutex);
	const int32 token = registry.nextToken++;
	port->SetToken(token);
	registry.ports.emplace(token, port);
	return token;
}

void LooperRegistry::Remove(int32 token)
{
	Registry& registry = TheRegistry();
	std::shared_ptr<MessagePort> port;  // released outside the lock
	{
		std::lock_guard<std::mutex> lock(registry.mutex);
		auto found = registry.ports.find(token);
		if (found == registry.ports.end())
			return;
		port = std::move(found->second);
		registry.ports.erase(found);
	}
	NotifyActivity();
}

std::shared_ptr<MessagePort> LooperRegistry::Find(int32 token)
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.mutex);
	auto found = registry.ports.find(token);
	return found == registry.ports.end() ? nullptr : found->second;
}

std::vector<std::shared_ptr<MessagePort>> LooperRegistry::LooperPorts()
{
	Registry& registry = TheRegistry();
	std::vector<std::shared_ptr<MessagePort>> result;
	std::lock_guard<std::mutex> lock(registry.mutex);
	for (const auto& [token, port] : registry.ports) {
		if (port->Looper() != nullptr)
			result.push_back(port);
	}
	return result;
}

BLooper* LooperRegistry::LooperForThread(thread_id thread)
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.mutex);
	for (const auto& [token, port] : registry.ports) {
		if (port->Looper() != nullptr && port->LooperThread() == thread)
			return port->Looper();
	}
	return nullptr;
}

bool LooperRegistry::IsIdle()
{
	for (const auto& port : LooperPorts()) {
		if (!port->IsIdle())
			return false;
	}
	return true;
}

status_t LooperRegistry::WaitForIdle(bigtime_t timeout)
{
	Registry& registry = TheRegistry();
	registry.idleWaiters++;
	struct Leave {
		Registry& registry;
		~Leave() { registry.idleWaiters--; }
	} leave{registry};
	const bigtime_t deadline = timeout == B_INFINITE_TIMEOUT ? B_INFINITE_TIMEOUT
		: system_time() + timeout;
	while (!IsIdle()) {
		const bigtime_t now = system_time();
		if (deadline != B_INFINITE_TIMEOUT && now >= deadline)
			return B_TIMED_OUT;
		// Woken by activity, but also on a short period: a port's state can change
		// between the check above and the wait without the waiter noticing.
		bigtime_t wait = 2000;
		if (deadline != B_INFINITE_TIMEOUT && deadline - now < wait)
			wait = deadline - now;
		std::unique_lock<std::mutex> lock(registry.idleMutex);
		registry.idleChanged.wait_for(lock, std::chrono::microseconds(wait));
	}
	return B_OK;
}

void LooperRegistry::NotifyActivity()
{
	Registry& registry = TheRegistry();
	if (registry.idleWaiters.load() == 0)
		return;  // nobody waits: keep the dispatch path free of the shared lock
	std::lock_guard<std::mutex> lock(registry.idleMutex);
	registry.idleChanged.notify_all();
}

int32 HandlerTokens::Add(BHandler* handler)
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.handlerMutex);
	const int32 token = registry.nextHandlerToken++;
	registry.handlers.emplace(token, handler);
	return token;
}

void HandlerTokens::Remove(int32 token)
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.handlerMutex);
	registry.handlers.erase(token);
}

BHandler* HandlerTokens::Find(int32 token)
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.handlerMutex);
	auto found = registry.handlers.find(token);
	return found == registry.handlers.end() ? nullptr : found->second;
}

}  // namespace BPrivate
