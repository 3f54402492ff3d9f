// LooperRegistry: the team's message ports by token (every looper's, and the
// temporary ones of synchronous senders), and the idle point the headless display
// waits on: every looper's queue empty and no looper dispatching.
// Threading: any thread.
#ifndef _CVAB_LOOPER_REGISTRY_H
#define _CVAB_LOOPER_REGISTRY_H

#include "MessagePort.h"

#include <memory>
#include <vector>

namespace BPrivate {

class LooperRegistry {
public:
	// Gives the port its token and makes it findable.
	static int32 Add(const std::shared_ptr<MessagePort>& port);
	static void Remove(int32 token);
	static std::shared_ptr<MessagePort> Find(int32 token);
	static std::vector<std::shared_ptr<MessagePort>> LooperPorts();
	static BLooper* LooperForThread(thread_id thread);

	// True when every looper's queue is empty and none is dispatching.
	static bool IsIdle();
	// Waits until IsIdle holds; B_TIMED_OUT if it does not within timeout.
	static status_t WaitForIdle(bigtime_t timeout);
	// Ports call this when they may have become idle.
	static void NotifyActivity();
};

// Handler tokens: a messenger names a handler by token, never by pointer, so a
// deleted handler simply stops being found.
class HandlerTokens {
public:
	static int32 Add(BHandler* handler);
	static void Remove(int32 token);
	static BHandler* Find(int32 token);
};

}  // namespace BPrivate

#endif
