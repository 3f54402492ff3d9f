// BHandler: an object that receives messages within a looper.
// Threading: called in its looper's thread, or by any thread holding the looper's lock.
#ifndef _HANDLER_H
#define _HANDLER_H

#include <Message.h>

#include <string>

class BLooper;

namespace BPrivate {
class HandlerAccess;
}

class BHandler {
public:
	explicit BHandler(const char* name = nullptr);
	virtual ~BHandler();

	// Default: pass to the next handler; at the end of the chain, a sender waiting for a
	// reply gets B_MESSAGE_NOT_UNDERSTOOD.
	virtual void MessageReceived(BMessage* message);

	BLooper* Looper() const;
	void SetName(const char* name);
	const char* Name() const;
	virtual void SetNextHandler(BHandler* handler);
	BHandler* NextHandler() const;

	// Lock the looper the handler belongs to, checking it still belongs to it after
	// the lock is taken.
	bool LockLooper();
	status_t LockLooperWithTimeout(bigtime_t timeout);
	void UnlockLooper();

	// Scripting: the handler that answers the current specifier, or null after a
	// B_MESSAGE_NOT_UNDERSTOOD reply. The default knows "Messenger", "Suites" and
	// "InternalName" of this handler.
	virtual BHandler* ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier,
		int32 what, const char* property);
	virtual status_t GetSupportedSuites(BMessage* data);

private:
	friend class BLooper;
	friend class BPrivate::HandlerAccess;
	BHandler(const BHandler&) = delete;
	BHandler& operator=(const BHandler&) = delete;

	void _SetLooper(BLooper* looper);

	int32 fToken;
	std::string fName;
	bool fHasName = false;
	BLooper* fLooper = nullptr;
	BHandler* fNextHandler = nullptr;
};

namespace BPrivate {
class HandlerAccess {
public:
	static int32 Token(const BHandler& handler) { return handler.fToken; }
};
}  // namespace BPrivate

#endif
