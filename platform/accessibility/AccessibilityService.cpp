// Sections: the seam's functions; the thread and its queue; the tree and the
// bridge; what the windows tell; the focus.
#include "AccessibilityService.h"

#include "AccessibleApplication.h"
#include "AccessibleLinks.h"
#include "AccessibleTable.h"
#include "AccessibleUtil.h"
#include "AccessibleWindow.h"
#include "KeySymbols.h"
#include "ReaderWatch.h"
#include "WindowHold.h"
#include "WindowServerLink.h"

#include <AppDefs.h>
#include <Message.h>
#include <Window.h>

#include <atk-bridge.h>
#include <glib.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>

namespace BPrivate {

// --- the seam's functions

namespace {

std::atomic<AccessibilityObserver*> sObserver{nullptr};

}  // namespace

AccessibilityObserver* accessibility_observer()
{
	return sObserver.load(std::memory_order_acquire);
}

void set_accessibility_observer(AccessibilityObserver* observer)
{
	sObserver.store(observer, std::memory_order_release);
}

void note_accessible_change(Accessible* accessible, uint32 changes)
{
	if (accessible != nullptr)
		accessibility_observer()->Changed(accessible, changes);
}

void drop_accessible_link(Accessible** link)
{
	if (*link == nullptr)
		return;
	Accessible* accessible = *link;
	*link = nullptr;
	accessibility_observer()->Gone(accessible);
}

void start_accessibility()
{
	AccessibilityService::Get().StartWatching();
}

// --- the thread and its queue

AccessibilityService& AccessibilityService::Get()
{
	static AccessibilityService service;
	return service;
}

// The thread ends with the process: what is still queued runs first, the
// bridge says goodbye, then the loop stops.
AccessibilityService::~AccessibilityService()
{
	if (!fThread.joinable())
		return;
	set_accessibility_observer(nullptr);
	Post([this] {
		if (fBridged)
			atk_bridge_adaptor_cleanup();
		fWatch.reset();
		g_main_loop_quit(fLoop);
	});
	fThread.join();
}

void AccessibilityService::StartWatching()
{
	const char* bus = getenv("DBUS_SESSION_BUS_ADDRESS");
	const char* refused = getenv("NO_AT_BRIDGE");
	if (bus == nullptr || *bus == '\0' || (refused != nullptr && atoi(refused) == 1))
		return;
	_StartThread([this] {
		fWatch = std::make_unique<ReaderWatch>([this] {
			_StartTree();
			_StartBridge();
		});
		fWatch->Start();
	});
}

void AccessibilityService::StartLocal()
{
	_StartThread([this] { _StartTree(); });
	RunAndWait([] {});
}

void AccessibilityService::_StartThread(std::function<void()> first)
{
	std::lock_guard<std::mutex> lock(fLock);
	if (fStarted)
		return;
	fStarted = true;
	fThread = std::thread([this, first = std::move(first)] { _Loop(first); });
}

// The loop runs GLib's default context, which the bridge's connections use.
void AccessibilityService::_Loop(std::function<void()> first)
{
	pthread_setname_np(pthread_self(), "accessibility");
	GMainContext* context = g_main_context_default();
	g_main_context_acquire(context);
	{
		std::lock_guard<std::mutex> lock(fLock);
		fLoop = g_main_loop_new(context, FALSE);
		if (!fQueue.empty())
			g_idle_add(_Drain, this);
	}
	first();
	g_main_loop_run(fLoop);
	g_main_context_release(context);
}

void AccessibilityService::Post(std::function<void()> f)
{
	std::lock_guard<std::mutex> lock(fLock);
	const bool wake = fQueue.empty() && fLoop != nullptr;
	fQueue.push_back(std::move(f));
	if (wake) {
		GSource* source = g_idle_source_new();
		g_source_set_callback(source, _Drain, this, nullptr);
		g_source_attach(source, g_main_context_default());
		g_source_unref(source);
	}
}

int AccessibilityService::_Drain(void* data)
{
	auto* service = static_cast<AccessibilityService*>(data);
	while (true) {
		std::function<void()> next;
		{
			std::lock_guard<std::mutex> lock(service->fLock);
			if (service->fQueue.empty())
				break;
			next = std::move(service->fQueue.front());
			service->fQueue.pop_front();
		}
		next();
	}
	return G_SOURCE_REMOVE;
}

void AccessibilityService::RunAndWait(const std::function<void()>& f)
{
	std::mutex lock;
	std::condition_variable ran;
	bool done = false;
	Post([&] {
		f();
		std::lock_guard<std::mutex> guard(lock);
		done = true;
		ran.notify_all();
	});
	std::unique_lock<std::mutex> guard(lock);
	ran.wait(guard, [&] { return done; });
}

// --- the tree and the bridge

AccessibleApplication* AccessibilityService::Application() const
{
	return static_cast<AccessibleApplication*>(Accessible::Of(fRoot.Get()));
}

// The windows already on screen join at once; those shown later tell.
void AccessibilityService::_StartTree()
{
	if (fRoot)
		return;
	auto* application = new AccessibleApplication();
	fRoot = AccessibleRef::Adopt(application->Atk());
	AccessibleUtil::Install(fRoot.Get());
	set_accessibility_observer(this);
	for (const BMessenger& window : WindowServerLink::Windows())
		_AddWindow(window, 0);
}

void AccessibilityService::_StartBridge()
{
	fBridged = atk_bridge_adaptor_init(nullptr, nullptr) == 0;
}

// A window busy as it shows is tried again a little later, a few times.
void AccessibilityService::_AddWindow(const BMessenger& messenger, int32 attempts)
{
	const status_t status = messenger.LockTargetWithTimeout(WindowHold::kWait);
	if (status == B_TIMED_OUT && attempts < 20) {
		struct Retry {
			BMessenger messenger;
			int32 attempts;
		};
		g_timeout_add_once(100, [](void* data) {
			std::unique_ptr<Retry> retry(static_cast<Retry*>(data));
			Get()._AddWindow(retry->messenger, retry->attempts);
		}, new Retry{messenger, attempts + 1});
		return;
	}
	if (status != B_OK)
		return;
	BLooper* looper = nullptr;
	messenger.Target(&looper);
	auto* window = dynamic_cast<BWindow*>(looper);
	AccessibleWindow* node = nullptr;
	if (window != nullptr && AccessibleWindow::IsListed(window) && !window->IsHidden()) {
		node = static_cast<AccessibleWindow*>(AccessibleLinks::Of(window));
		if (node == nullptr) {
			node = new AccessibleWindow(window, Application());
			Application()->Add(node);
		}
	}
	looper->Unlock();
	if (node != nullptr)
		node->Announce(kAccessibleStates | kAccessibleChildren);
}

void AccessibilityService::WindowsChanged()
{
	if (AccessibleApplication* application = Application())
		application->Announce(kAccessibleChildren);
}

// --- what the windows tell

void AccessibilityService::WindowShown(BWindow* window)
{
	const BMessenger messenger(window, window);
	Post([this, messenger] { _AddWindow(messenger, 0); });
}

// Each object's changes gather until the thread gets to them, and go out together.
void AccessibilityService::Changed(Accessible* accessible, uint32 changes)
{
	accessible->Publish(changes);
	if (!accessible->AddPending(changes))
		return;
	AtkObject* object = ATK_OBJECT(g_object_ref(accessible->Atk()));
	Post([object] { _Announce(object); });
}

// The changes are taken with the window locked, so an operation's many notes
// (a reload empties and fills the list) are told once, after it. A busy window
// is asked again a little later.
void AccessibilityService::_Announce(AtkObject* object)
{
	Accessible* node = Accessible::Of(object);
	const WindowHold hold(node->Window());
	if (!hold && hold.WasBusy()) {
		g_timeout_add_once(50, [](void* data) { _Announce(ATK_OBJECT(data)); }, object);
		return;
	}
	node->Announce(node->TakePending());
	g_object_unref(object);
}

// The link's reference goes with the object to the thread, which lets it go.
void AccessibilityService::Gone(Accessible* accessible)
{
	accessible->Detach();
	AtkObject* object = accessible->Atk();
	Post([object] {
		Accessible::Of(object)->Defunct();
		g_object_unref(object);
	});
}

void AccessibilityService::KeyPressed(BWindow*, const BMessage* message)
{
	const char* bytes = "";
	message->FindString("bytes", &bytes);
	const KeySymbols::Key key = KeySymbols::For(bytes, message->GetInt32("key", 0));
	if (key.symbol == 0)
		return;
	const bool pressed = message->what == B_KEY_DOWN;
	const uint32 state = KeySymbols::StateOf((uint32)message->GetInt32("modifiers", 0));
	const uint32 when = (uint32)(message->GetInt64("when", 0) / 1000);
	Post([key, pressed, state, when] {
		AtkKeyEventStruct event = {};
		event.type = pressed ? ATK_KEY_EVENT_PRESS : ATK_KEY_EVENT_RELEASE;
		event.state = state;
		event.keyval = key.symbol;
		event.length = (gint)key.text.size();
		event.string = const_cast<gchar*>(key.text.c_str());
		event.timestamp = when;
		AccessibleUtil::DispatchKey(&event);
	});
}

// --- the focus

void AccessibilityService::FocusMoved(AccessibleWindow* window)
{
	if (!window->IsActive())
		return;
	const AccessibleRef focused = window->Focused();
	Accessible* node = Accessible::Of(focused.Get());
	if (node == nullptr)
		return;
	FocusOn(node);
	if (auto* table = dynamic_cast<AccessibleTable*>(node))
		table->AnnounceFocusRow();
}

void AccessibilityService::FocusOn(Accessible* node)
{
	if (fFocused.Get() == node->Atk())
		return;
	if (Accessible* before = Accessible::Of(fFocused.Get()))
		atk_object_notify_state_change(before->Atk(), ATK_STATE_FOCUSED, FALSE);
	fFocused = AccessibleRef(node->Atk());
	atk_object_notify_state_change(node->Atk(), ATK_STATE_FOCUSED, TRUE);
	G_GNUC_BEGIN_IGNORE_DEPRECATIONS
	atk_focus_tracker_notify(node->Atk());
	G_GNUC_END_IGNORE_DEPRECATIONS
}

}  // namespace BPrivate
