// AccessibilityService: the accessibility thread. Its GLib main loop runs every
// ATK call and signal and the bridge to the desktop's accessibility bus
// (at-spi2's atk-bridge). It starts only where a session bus is, listens there
// for a screen reader (ReaderWatch) and, once one is wanted, builds the tree
// (the application and the windows on screen), listens to the interface kit and
// starts the bridge; a reader that starts later is heard then. Window threads
// only post to it (a short lock and a wake-up) and never wait on it; it reads a
// window under the window's lock with a time-out (WindowHold).
// It follows the keyboard's focus across windows, menus and lists, and tells the
// reader of it.
// Threading: Get, StartWatching, StartLocal, Post and the observer's calls from
// any thread; RunAndWait from a thread no window waits on; the rest on its thread.
#ifndef _CVAB_ACCESSIBILITY_SERVICE_H
#define _CVAB_ACCESSIBILITY_SERVICE_H

#include "AccessibilityHooks.h"
#include "AccessibleRef.h"

#include <Messenger.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

typedef struct _GMainLoop GMainLoop;

namespace BPrivate {

class Accessible;
class AccessibleApplication;
class AccessibleWindow;
class ReaderWatch;

class AccessibilityService : public AccessibilityObserver {
public:
	static AccessibilityService& Get();

	// Starts the thread where the desktop has a session bus and the bridge is not
	// refused (NO_AT_BRIDGE=1), and listens there for a reader; once.
	void StartWatching();
	// For tests: the tree at once, without a bus or a bridge.
	void StartLocal();
	// Runs f on the thread, from any other, when it gets to it.
	void Post(std::function<void()> f);
	// Runs f on the thread and waits until it has run.
	void RunAndWait(const std::function<void()>& f);

	// On the thread: the root, null before the tree is built.
	AccessibleApplication* Application() const;
	// The application's list of windows changed.
	void WindowsChanged();
	// The keyboard moved inside window (or the window was activated).
	void FocusMoved(AccessibleWindow* window);
	// The keyboard is on node now.
	void FocusOn(Accessible* node);

	// AccessibilityObserver, from the windows' threads.
	void WindowShown(BWindow* window) override;
	void KeyPressed(BWindow* window, const BMessage* key) override;
	void Changed(Accessible* accessible, uint32 changes) override;
	void Gone(Accessible* accessible) override;

private:
	AccessibilityService() = default;
	~AccessibilityService();

	void _StartThread(std::function<void()> first);
	void _Loop(std::function<void()> first);
	static int _Drain(void* service);
	void _StartTree();
	void _StartBridge();
	void _AddWindow(const BMessenger& window, int32 attempts);
	// Tells what was noted of object, whose reference it lets go of then.
	static void _Announce(AtkObject* object);

	std::mutex fLock;  // the queue and the thread's start
	std::deque<std::function<void()>> fQueue;
	std::thread fThread;
	GMainLoop* fLoop = nullptr;
	bool fStarted = false;

	std::unique_ptr<ReaderWatch> fWatch;
	AccessibleRef fRoot;
	AccessibleRef fFocused;
	bool fBridged = false;
};

}  // namespace BPrivate

#endif
