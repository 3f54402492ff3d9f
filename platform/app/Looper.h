// BLooper: a thread that takes messages from its queue in order and hands each to a
// handler, with the looper locked around every dispatch.
// Threading: PostMessage from any thread; handler and queue management, and Quit
// from another thread, need the looper's lock. Lock is recursive for its owner.
#ifndef _LOOPER_H
#define _LOOPER_H

#include <Handler.h>
#include <MessageQueue.h>
#include <OS.h>

#include <atomic>
#include <memory>
#include <vector>

namespace BPrivate {
class MessagePort;
class LooperAccess;
}

class BLooper : public BHandler {
public:
	// Messages a queue holds before senders wait (or time out).
	static constexpr int32 kDefaultPortCapacity = 1000000;

	explicit BLooper(const char* name = nullptr, int32 priority = B_NORMAL_PRIORITY,
		int32 portCapacity = kDefaultPortCapacity);
	// Only Quit deletes a running looper.
	virtual ~BLooper();

	// Posting copies the message; the caller keeps it. A null handler means the
	// preferred handler; replies go to replyTo, else to the application.
	status_t PostMessage(uint32 command);
	status_t PostMessage(BMessage* message);
	status_t PostMessage(uint32 command, BHandler* handler, BHandler* replyTo = nullptr);
	status_t PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo = nullptr);

	// B_QUIT_REQUESTED for the looper itself: QuitRequested, then Quit if it agreed.
	// Everything else goes to handler->MessageReceived.
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);
	BMessage* CurrentMessage() const;
	BMessage* DetachCurrentMessage();  // the caller owns the result
	BMessageQueue* MessageQueue() const;
	bool IsMessageWaiting() const;

	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);
	int32 CountHandlers() const;
	BHandler* HandlerAt(int32 index) const;
	int32 IndexOf(BHandler* handler) const;
	BHandler* PreferredHandler() const;
	void SetPreferredHandler(BHandler* handler);

	// Starts the looper's thread; returns its id.
	virtual thread_id Run();
	// From the looper's thread: ends the loop after this dispatch and deletes the
	// looper. From another thread (holding the lock): posts the quit, waits for the
	// thread to end; the looper is deleted by then.
	virtual void Quit();
	virtual bool QuitRequested();

	bool Lock();
	void Unlock();
	bool IsLocked() const;
	status_t LockWithTimeout(bigtime_t timeout);
	thread_id Thread() const;
	team_id Team() const;
	thread_id LockingThread() const;
	int32 CountLocks() const;
	int32 CountLockRequests() const;

	static BLooper* LooperForThread(thread_id thread);

	// Scripting: the default resolves the specifier stack down to a handler.
	virtual BHandler* ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier,
		int32 what, const char* property);
	virtual status_t GetSupportedSuites(BMessage* data);

private:
	friend class BApplication;
	friend class BPrivate::LooperAccess;
	BLooper(const BLooper&) = delete;
	BLooper& operator=(const BLooper&) = delete;

	static int32 _ThreadEntry(void* looper);
	void _Loop();
	void _DispatchOne(std::unique_ptr<BMessage> message);
	BHandler* _TargetOf(BMessage* message);
	BHandler* _ResolveScripting(BMessage* message, BHandler* target);
	status_t _Post(BMessage* message, BHandler* handler, BHandler* replyTo);
	void _PostQuit();
	int32 _UnlockFully();

	std::shared_ptr<BPrivate::MessagePort> fPort;
	std::vector<BHandler*> fHandlers;
	BHandler* fPreferred = nullptr;
	BMessage* fCurrentMessage = nullptr;
	thread_id fThread = -1;
	int32 fPriority;
	std::atomic<bool> fTerminating{false};
	std::atomic<int32> fLockRequests{0};
	bool fRunCalled = false;
};

#endif
