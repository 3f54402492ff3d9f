#include "MessagePort.h"

#include "LooperRegistry.h"
#include "MessageAccess.h"

#include <chrono>
#include <vector>

namespace BPrivate {

namespace {

template<typename Predicate>
bool WaitFor(std::condition_variable_any& condition, std::unique_lock<std::recursive_mutex>& lock,
	bigtime_t timeout, Predicate ready)
{
	if (timeout == B_INFINITE_TIMEOUT) {
		condition.wait(lock, ready);
		return true;
	}
	return condition.wait_for(lock, std::chrono::microseconds(timeout > 0 ? timeout : 0), ready);
}

}  // namespace

MessagePort::MessagePort(int32 capacity, BLooper* looper)
	: fLooper(looper),
	  fCapacity(capacity > 0 ? size_t(capacity) : 1)
{
}

MessagePort::~MessagePort() = default;

status_t MessagePort::Push(std::unique_ptr<BMessage>& message, bigtime_t timeout)
{
	{
		std::unique_lock<std::recursive_mutex> lock(fQueue.fMutex);
		auto hasRoom = [this] { return fClosed || fQueue.fMessages.size() < fCapacity; };
		if (!hasRoom() && timeout <= 0)
			return B_WOULD_BLOCK;
		if (!WaitFor(fNotFull, lock, timeout, hasRoom))
			return B_TIMED_OUT;
		if (fClosed)
			return B_BAD_PORT_ID;
		fQueue.fMessages.push_back(message.release());
	}
	fNotEmpty.notify_one();
	return B_OK;
}

std::unique_ptr<BMessage> MessagePort::Pop(bigtime_t timeout, status_t* status)
{
	std::unique_ptr<BMessage> message;
	{
		std::unique_lock<std::recursive_mutex> lock(fQueue.fMutex);
		auto ready = [this] { return fClosed || !fQueue.fMessages.empty(); };
		if (!ready() && timeout <= 0) {
			*status = B_WOULD_BLOCK;
			return nullptr;
		}
		if (!WaitFor(fNotEmpty, lock, timeout, ready)) {
			*status = B_TIMED_OUT;
			return nullptr;
		}
		if (fQueue.fMessages.empty()) {
			*status = B_BAD_PORT_ID;
			return nullptr;
		}
		message.reset(fQueue.fMessages.front());
		fQueue.fMessages.pop_front();
		fDispatching = fLooper != nullptr;
	}
	fNotFull.notify_one();
	MessageAccess::AddFlags(*message, kMessageDelivered);
	*status = B_OK;
	return message;
}

void MessagePort::DoneDispatching()
{
	{
		std::lock_guard<std::recursive_mutex> lock(fQueue.fMutex);
		fDispatching = false;
	}
	LooperRegistry::NotifyActivity();
}

void MessagePort::Close()
{
	std::deque<BMessage*> orphans;
	{
		std::lock_guard<std::recursive_mutex> lock(fQueue.fMutex);
		fClosed = true;
		fDispatching = false;
		orphans.swap(fQueue.fMessages);
	}
	fNotEmpty.notify_all();
	fNotFull.notify_all();
	// Deleted outside the lock: each may answer a waiting sender through another port.
	for (BMessage* message : orphans)
		delete message;
	LooperRegistry::NotifyActivity();
}

bool MessagePort::IsClosed() const
{
	std::lock_guard<std::recursive_mutex> lock(fQueue.fMutex);
	return fClosed;
}

bool MessagePort::IsIdle() const
{
	std::lock_guard<std::recursive_mutex> lock(fQueue.fMutex);
	// A looper that has not started running cannot make progress yet either.
	const bool notRunning = fLooper != nullptr && fThread.load() < 0;
	return fClosed || fParked || notRunning || (!fDispatching && fQueue.fMessages.empty());
}

void MessagePort::SetParked(bool parked)
{
	{
		std::lock_guard<std::recursive_mutex> lock(fQueue.fMutex);
		fParked = parked;
	}
	LooperRegistry::NotifyActivity();
}

}  // namespace BPrivate
