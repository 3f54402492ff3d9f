// BMessageQueue: a looper's queue of messages, in arrival order. The queue owns the
// messages it holds.
// Threading: any thread; each call locks the queue, and Lock/Unlock hold it across
// several calls (for example to look for queued mouse messages).
#ifndef _MESSAGE_QUEUE_H
#define _MESSAGE_QUEUE_H

#include <Message.h>

#include <deque>
#include <mutex>

namespace BPrivate {
class MessagePort;
}

class BMessageQueue {
public:
	BMessageQueue();
	virtual ~BMessageQueue();

	void AddMessage(BMessage* message);
	void RemoveMessage(BMessage* message);  // the caller takes the message back
	BMessage* NextMessage();                // the caller owns the result
	int32 CountMessages() const;
	bool IsEmpty() const;
	BMessage* FindMessage(int32 index) const;
	BMessage* FindMessage(uint32 what, int32 index = 0) const;

	bool Lock();
	void Unlock();
	bool IsLocked() const;  // by the calling thread

private:
	friend class BPrivate::MessagePort;
	BMessageQueue(const BMessageQueue&) = delete;
	BMessageQueue& operator=(const BMessageQueue&) = delete;

	mutable std::recursive_mutex fMutex;
	std::deque<BMessage*> fMessages;
	thread_id fOwner = -1;
	int32 fOwnerCount = 0;
};

#endif
