// MessagePort: where messages for one looper (or one waiting synchronous sender) are
// delivered, named by a token unique within the team. It outlives its looper while
// anyone holds it, so a sender racing a looper's deletion finds a closed port instead
// of freed memory. The looper's lock lives here for the same reason.
// Threading: any thread; the queue's lock guards the state.
#ifndef _CVAB_MESSAGE_PORT_H
#define _CVAB_MESSAGE_PORT_H

#include <Locker.h>
#include <MessageQueue.h>

#include <atomic>
#include <condition_variable>
#include <memory>

class BLooper;

namespace BPrivate {

class MessagePort {
public:
	MessagePort(int32 capacity, BLooper* looper);
	~MessagePort();

	int32 Token() const { return fToken; }
	void SetToken(int32 token) { fToken = token; }

	// Takes the message on B_OK; leaves it with the caller otherwise.
	status_t Push(std::unique_ptr<BMessage>& message, bigtime_t timeout);
	// The next message, or null with B_TIMED_OUT, B_WOULD_BLOCK or B_BAD_PORT_ID.
	// For a looper's port, the port counts as busy until DoneDispatching.
	std::unique_ptr<BMessage> Pop(bigtime_t timeout, status_t* status);
	void DoneDispatching();

	// Refuses further messages and deletes those queued (answering waiting senders).
	void Close();
	bool IsClosed() const;
	// Idle when closed, parked, not yet running a looper, or with nothing queued and
	// nothing being dispatched.
	bool IsIdle() const;
	// A parked looper is blocked waiting for someone else (a modal alert), so it
	// counts as idle even with messages queued.
	void SetParked(bool parked);

	BMessageQueue& Queue() { return fQueue; }
	BLocker& LooperLock() { return fLooperLock; }
	BLooper* Looper() const { return fLooper; }
	thread_id LooperThread() const { return fThread.load(); }
	void SetLooperThread(thread_id thread) { fThread.store(thread); }

private:
	BMessageQueue fQueue;
	std::condition_variable_any fNotEmpty;
	std::condition_variable_any fNotFull;
	BLocker fLooperLock;
	BLooper* const fLooper;
	const size_t fCapacity;
	int32 fToken = -1;
	std::atomic<thread_id> fThread{-1};
	bool fClosed = false;
	bool fDispatching = false;
	bool fParked = false;
};

}  // namespace BPrivate

#endif
