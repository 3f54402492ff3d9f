// BMessenger: the address of a handler or looper, in this team or another, as
// (team, looper port token, handler token). It never holds a pointer, so it stays
// safe after its target is gone; IsValid then answers false.
// Threading: a value; any thread may send through it.
#ifndef _MESSENGER_H
#define _MESSENGER_H

#include <Message.h>

class BHandler;
class BLooper;

namespace BPrivate {
class MessengerAccess;
}

class BMessenger {
public:
	BMessenger();
	// A handler (which must belong to a looper), or with only a looper, the
	// looper's preferred handler. result: B_BAD_VALUE without either, B_BAD_HANDLER
	// when the handler has no looper, B_MISMATCHED_VALUES when they disagree.
	BMessenger(const BHandler* handler, const BLooper* looper = nullptr,
		status_t* result = nullptr);
	// The be_app of the running application with that signature (or that team).
	BMessenger(const char* signature, team_id team = -1, status_t* result = nullptr);
	BMessenger(const BMessenger& other) = default;
	BMessenger& operator=(const BMessenger& other) = default;
	~BMessenger() = default;

	bool IsTargetLocal() const;
	// Local targets only: the handler (null for the preferred handler) and its looper.
	BHandler* Target(BLooper** looper) const;
	bool LockTarget() const;
	status_t LockTargetWithTimeout(bigtime_t timeout) const;

	// Asynchronous: the message is copied. Replies go to replyTo (or be_app).
	status_t SendMessage(uint32 command, BHandler* replyTo = nullptr) const;
	status_t SendMessage(BMessage* message, BHandler* replyTo = nullptr,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;
	status_t SendMessage(BMessage* message, BMessenger replyTo,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;

	// Synchronous: waits for the reply. B_TIMED_OUT when either time-out runs out;
	// B_BAD_PORT_ID when the target is gone before delivery. If the target goes away
	// with the message unanswered, the result is B_OK with reply->what B_NO_REPLY.
	// A looper's own thread sending to that looper gets B_MESSAGE_TO_SELF: waiting
	// for its own reply would deadlock.
	status_t SendMessage(uint32 command, BMessage* reply) const;
	status_t SendMessage(BMessage* message, BMessage* reply,
		bigtime_t deliveryTimeout = B_INFINITE_TIMEOUT,
		bigtime_t replyTimeout = B_INFINITE_TIMEOUT) const;

	bool IsValid() const;
	team_id Team() const;

	bool operator==(const BMessenger& other) const;
	bool operator!=(const BMessenger& other) const { return !(*this == other); }
	bool operator<(const BMessenger& other) const;

private:
	friend class BPrivate::MessengerAccess;

	team_id fTeam = -1;
	int32 fPort = -1;
	int32 fHandlerToken = B_NULL_TOKEN;
};

#endif
