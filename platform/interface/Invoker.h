// BInvoker: a message and the target it is sent to when the object is invoked.
// Threading: set up and invoked by the thread that owns the object (a control's
// window thread once it is attached); the sending itself is thread-safe.
#ifndef _INVOKER_H
#define _INVOKER_H

#include <Messenger.h>
#include <OS.h>

class BHandler;
class BLooper;
class BMessage;

class BInvoker {
public:
	BInvoker();
	// The invoker owns message from here on.
	BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = nullptr);
	BInvoker(BMessage* message, BMessenger target);
	virtual ~BInvoker();

	// Takes ownership of message and deletes the previous one; null removes it.
	virtual status_t SetMessage(BMessage* message);
	BMessage* Message() const;
	uint32 Command() const;

	// A handler (which must already belong to a looper), or a looper alone for its
	// preferred handler. Both null clears the target. B_BAD_HANDLER or
	// B_MISMATCHED_VALUES when the two cannot be combined; the target is then cleared.
	virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = nullptr);
	virtual status_t SetTarget(BMessenger messenger);
	bool IsTargetLocal() const;
	BHandler* Target(BLooper** looper = nullptr) const;
	BMessenger Messenger() const;

	// Replies to invocation messages go to this handler (the application if null).
	virtual status_t SetHandlerForReply(BHandler* handler);
	BHandler* HandlerForReply() const;

	status_t SetTimeout(bigtime_t timeout);
	bigtime_t Timeout() const;

	// Sends a copy of message (or of the invoker's own message when null) with the
	// fields "when" (int64, system_time) and "source" (pointer to this object).
	// B_BAD_VALUE without a message; the messenger's error without a valid target.
	virtual status_t Invoke(BMessage* message = nullptr);

protected:
	// For subclasses whose "source" is a derived object: stamps copy with "when"
	// and source, then delivers it to the target.
	status_t InvokeFrom(const void* source, BMessage* message);

private:
	BInvoker(const BInvoker&) = delete;
	BInvoker& operator=(const BInvoker&) = delete;

	BMessage* fMessage = nullptr;
	BMessenger fMessenger;
	BHandler* fReplyTo = nullptr;
	bigtime_t fTimeout = B_INFINITE_TIMEOUT;
};

#endif
