// Sections: start-up; the thread and its commands; window records; presenting;
// input routing; activation and stacking; headless control.
#include "DisplayServer.h"

#include "DeviceScale.h"
#include "HeadlessBackend.h"
#include "SdlBackend.h"
#include "TextBreaks.h"

#include <InterfaceDefs.h>
#include <OS.h>

#include <algorithm>
#include <future>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct DisplayServer::Record {
	WindowRequest request;
	WindowClient* client = nullptr;
	bool visible = false;
	Framebuffer front;         // the last finished frame
	PixelRect pendingDirty;    // presented at the server's next turn
	bool presentQueued = false;
	int32 minWidth = 1;
	int32 maxWidth = 1 << 16;
	int32 minHeight = 1;
	int32 maxHeight = 1 << 16;
	PixelRect textInput;       // the caret of its focused text
};

namespace {

const uint32 kDesktopColor = PackColor(51, 102, 152);

PixelRect Union(const PixelRect& a, const PixelRect& b)
{
	if (!a.IsValid())
		return b;
	if (!b.IsValid())
		return a;
	return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
		std::max(a.bottom, b.bottom)};
}

// The virtual screen's device pixels: CVAB_SCREEN_SIZE ("800x600"), or else
// 1024 x 768 of the API's pixels at any scale.
void ScreenSizeFromEnvironment(int32 scale, int32& width, int32& height)
{
	width = 1024 * scale;
	height = 768 * scale;
	const char* size = getenv("CVAB_SCREEN_SIZE");
	int w = 0;
	int h = 0;
	if (size != nullptr && sscanf(size, "%dx%d", &w, &h) == 2 && w > 0 && h > 0) {
		width = w;
		height = h;
	}
}

}  // namespace

// --- start-up

DisplayServer& DisplayServer::Get()
{
	static DisplayServer* server = Start();
	return *server;
}

DisplayServer* DisplayServer::Start()
{
	const char* chosen = getenv("CVAB_BACKEND");
	std::string name = chosen != nullptr ? chosen : "";
	if (name.empty()) {
		const bool display = getenv("DISPLAY") != nullptr || getenv("WAYLAND_DISPLAY") != nullptr;
		if (!display) {
			fprintf(stderr, "No display available: DISPLAY is not set "
				"(set CVAB_BACKEND=headless to run without a screen).\n");
			exit(1);
		}
		name = "sdl";
	}
	if (name == "headless") {
		const int32 scale = DeviceScale::Choose(true);
		int32 width;
		int32 height;
		ScreenSizeFromEnvironment(scale, width, height);
		return new DisplayServer(std::make_unique<HeadlessBackend>(width, height), true, scale);
	}
	if (name != "sdl") {
		fprintf(stderr, "Unknown display backend \"%s\" in CVAB_BACKEND "
			"(use \"sdl\" or \"headless\").\n", name.c_str());
		exit(1);
	}
	// SDL must live on the thread that uses it, so the server's thread opens it.
	std::promise<std::string> opened;
	std::future<std::string> result = opened.get_future();
	DisplayServer* server = nullptr;
	const int32 scale = DeviceScale::Choose(false);
	std::thread([&opened, &server, scale] {
		std::string error;
		std::unique_ptr<SdlBackend> backend = SdlBackend::Open(error);
		if (!backend) {
			opened.set_value(error);
			return;
		}
		// Start's locals die once the promise is kept: run on a copy of the pointer.
		DisplayServer* const created = new DisplayServer(std::move(backend), false, scale);
		server = created;
		opened.set_value(std::string());
		created->Run();
	}).detach();
	const std::string error = result.get();
	if (!error.empty()) {
		fprintf(stderr, "%s\n", error.c_str());
		exit(1);
	}
	return server;
}

DisplayServer::DisplayServer(std::unique_ptr<Backend> backend, bool headless, int32 scale)
	: fBackend(std::move(backend)), fHeadless(headless), fScale(scale)
{
	if (headless) {
		fThread = std::thread([this] { Run(); });
		fThread.detach();
	} else {
		fThreadId = std::this_thread::get_id();
	}
}

DisplayServer::~DisplayServer() = default;

const char* DisplayServer::BackendName() const
{
	return fBackend->Name();
}

PixelRect DisplayServer::ScreenFrame() const
{
	if (fHeadless)
		return fBackend->ScreenFrame();
	PixelRect frame;
	const_cast<DisplayServer*>(this)->RunSync([&] { frame = fBackend->ScreenFrame(); });
	return frame;
}

// --- the thread and its commands

void DisplayServer::Run()
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		fThreadId = std::this_thread::get_id();
	}
	std::vector<BackendEvent> events;
	while (true) {
		std::vector<std::function<void()>> commands;
		std::vector<BackendEvent> injected;
		{
			std::lock_guard<std::mutex> lock(fLock);
			if (fQuit)
				break;
			commands.swap(fCommands);
			injected.swap(fInjected);
			fBusy = true;
		}
		for (auto& command : commands)
			command();
		for (BackendEvent& event : injected)
			Route(event);
		bool more;
		{
			std::lock_guard<std::mutex> lock(fLock);
			more = !fCommands.empty() || !fInjected.empty();
			if (!more)
				fBusy = false;
		}
		events.clear();
		fBackend->WaitForEvents(more ? 0 : 20000, events);
		if (!events.empty()) {
			{
				std::lock_guard<std::mutex> lock(fLock);
				fBusy = true;
			}
			for (BackendEvent& event : events)
				Route(event);
			std::lock_guard<std::mutex> lock(fLock);
			fBusy = false;
		}
	}
}

void DisplayServer::Post(std::function<void()> command)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		fCommands.push_back(std::move(command));
	}
	fBackend->Wake();
}

void DisplayServer::RunSync(std::function<void()> command)
{
	if (std::this_thread::get_id() == fThreadId) {
		command();
		return;
	}
	std::promise<void> done;
	std::future<void> finished = done.get_future();
	Post([&] {
		command();
		done.set_value();
	});
	finished.wait();
}

// --- window records

int32 DisplayServer::CreateWindow(const WindowRequest& request, WindowClient* client)
{
	int32 id;
	{
		std::lock_guard<std::mutex> lock(fLock);
		id = fNextId++;
		auto record = std::make_unique<Record>();
		record->request = request;
		record->client = client;
		record->front.Resize(request.frame.Width(), request.frame.Height());
		fWindows[id] = std::move(record);
		fStacking.push_back(id);
	}
	RunSync([this, id, request] { fBackend->CreateWindow(id, request); });
	return id;
}

void DisplayServer::DestroyWindow(int32 id)
{
	RunSync([this, id] {
		ShowWindow(id, false);
		fBackend->DestroyWindow(id);
		std::lock_guard<std::mutex> lock(fLock);
		fWindows.erase(id);
		fStacking.erase(std::remove(fStacking.begin(), fStacking.end(), id), fStacking.end());
		// Input still on its way (a key's release, a click's button-up) finds no
		// window through these and is dropped.
		if (fCapture == id)
			fCapture = -1;
		if (fHover == id)
			fHover = -1;
		if (fActive == id)
			fActive = -1;
		if (fHeldDeactivation == id)
			fHeldDeactivation = -1;
	});
}

void DisplayServer::ShowWindow(int32 id, bool show)
{
	RunSync([this, id, show] {
		std::lock_guard<std::mutex> lock(fLock);
		auto found = fWindows.find(id);
		if (found == fWindows.end() || found->second->visible == show)
			return;
		Record& record = *found->second;
		record.visible = show;
		const bool popup = record.request.kind == WindowKind::kPopup;
		fBackend->ShowWindow(id, show);
		if (show)
			fBackend->Present(id, record.front, record.front.Bounds());
		if (!show && popup && !AnyPopupShownLocked()) {
			ReleaseHeldDeactivationLocked();  // the focus went elsewhere after all
			// The last menu closing hands the keyboard back to the active window:
			// the desktop may not, the popup having taken it.
			if (fActive >= 0)
				fBackend->FocusWindow(fActive);
		}
		if (show) {
			RaiseLocked(id);
			if (!popup && !fBackend->ManagesFocus())
				ActivateLocked(id);
		} else if (fActive == id && !fBackend->ManagesFocus()) {
			int32 next = -1;
			for (int32 other : fStacking) {
				const Record* candidate = FindLocked(other);
				if (other != id && candidate != nullptr && candidate->visible
					&& candidate->request.kind != WindowKind::kPopup)
					next = other;
			}
			ActivateLocked(next);
		}
	});
}

void DisplayServer::ActivateWindow(int32 id)
{
	RunSync([this, id] {
		fBackend->RaiseWindow(id);
		std::lock_guard<std::mutex> lock(fLock);
		RaiseLocked(id);
		if (!fBackend->ManagesFocus())
			ActivateLocked(id);
	});
}

void DisplayServer::MoveWindow(int32 id, int32 x, int32 y)
{
	RunSync([this, id, x, y] {
		{
			std::lock_guard<std::mutex> lock(fLock);
			auto found = fWindows.find(id);
			if (found == fWindows.end())
				return;
			PixelRect& frame = found->second->request.frame;
			frame = frame.Offset(x - frame.left, y - frame.top);
		}
		fBackend->MoveWindow(id, x, y);
	});
}

void DisplayServer::ResizeWindow(int32 id, int32 width, int32 height)
{
	RunSync([this, id, width, height] {
		{
			std::lock_guard<std::mutex> lock(fLock);
			auto found = fWindows.find(id);
			if (found == fWindows.end())
				return;
			PixelRect& frame = found->second->request.frame;
			frame.right = frame.left + width - 1;
			frame.bottom = frame.top + height - 1;
		}
		fBackend->ResizeWindow(id, width, height);
	});
}

void DisplayServer::SetTitle(int32 id, const std::string& title)
{
	Post([this, id, title] { fBackend->SetTitle(id, title); });
}

void DisplayServer::SetSizeLimits(int32 id, int32 minWidth, int32 maxWidth, int32 minHeight,
	int32 maxHeight)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		auto found = fWindows.find(id);
		if (found == fWindows.end())
			return;
		Record& record = *found->second;
		record.minWidth = minWidth;
		record.maxWidth = maxWidth;
		record.minHeight = minHeight;
		record.maxHeight = maxHeight;
	}
	Post([=, this] { fBackend->SetSizeLimits(id, minWidth, maxWidth, minHeight, maxHeight); });
}

// --- presenting

void DisplayServer::Present(int32 id, const Framebuffer& frame,
	const std::vector<PixelRect>& dirty)
{
	bool queue = false;
	{
		std::lock_guard<std::mutex> lock(fLock);
		auto found = fWindows.find(id);
		if (found == fWindows.end())
			return;
		Record& record = *found->second;
		if (record.front.Width() != frame.Width() || record.front.Height() != frame.Height()) {
			record.front = frame;
			record.pendingDirty = frame.Bounds();
		} else {
			for (const PixelRect& rect : dirty) {
				record.front.CopyFrom(frame, rect);
				record.pendingDirty = Union(record.pendingDirty, rect.Intersect(frame.Bounds()));
			}
		}
		if (!fHeadless && !record.presentQueued) {
			record.presentQueued = true;
			queue = true;
		}
	}
	if (queue)
		Post([this, id] { PresentPending(id); });
}

void DisplayServer::PresentPending(int32 id)
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	Record& record = *found->second;
	record.presentQueued = false;
	if (record.visible && record.pendingDirty.IsValid())
		fBackend->Present(id, record.front, record.pendingDirty);
	record.pendingDirty = PixelRect();
}

// --- cursors, clipboard, pointer state

void DisplayServer::SetTextInputRect(int32 id, const PixelRect& rect)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		Record* record = FindLocked(id);
		if (record == nullptr || record->textInput == rect)
			return;
		record->textInput = rect;
	}
	Post([this, id, rect] { fBackend->SetTextInputRect(id, rect); });
}

PixelRect DisplayServer::TextInputRect(int32 id) const
{
	std::lock_guard<std::mutex> lock(fLock);
	const Record* record = FindLocked(id);
	return record != nullptr ? record->textInput : PixelRect();
}

void DisplayServer::SetCursor(CursorKind cursor)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (fCursor == cursor)
			return;
		fCursor = cursor;
	}
	Post([this, cursor] { fBackend->SetCursor(cursor); });
}

CursorKind DisplayServer::Cursor() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fCursor;
}

std::string DisplayServer::ClipboardText()
{
	std::string text;
	RunSync([&] { text = fBackend->ClipboardText(); });
	return text;
}

void DisplayServer::SetClipboardText(const std::string& text)
{
	RunSync([&] { fBackend->SetClipboardText(text); });
}

void DisplayServer::GetMouse(int32* x, int32* y, uint32* buttons) const
{
	std::lock_guard<std::mutex> lock(fLock);
	*x = fMouseX;
	*y = fMouseY;
	*buttons = fButtons;
}

uint32 DisplayServer::Modifiers() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fModifiers;
}

int32 DisplayServer::ActiveWindow() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fActive;
}

// --- input routing

DisplayServer::Record* DisplayServer::FindLocked(int32 id) const
{
	auto found = fWindows.find(id);
	return found != fWindows.end() ? found->second.get() : nullptr;
}

void DisplayServer::Deliver(int32 id, const BackendEvent& event)
{
	// Called with fLock held; clients only post, so they never call back in.
	const Record* record = FindLocked(id);
	if (record != nullptr && record->client != nullptr)
		record->client->HandleDisplayEvent(event);
}

void DisplayServer::Route(BackendEvent event)
{
	std::lock_guard<std::mutex> lock(fLock);
	switch (event.kind) {
		case BackendEvent::kMouseMoved:
		case BackendEvent::kMouseDown:
		case BackendEvent::kMouseUp:
		case BackendEvent::kMouseWheel:
		case BackendEvent::kMouseExited:
			RouteMouse(event);
			break;
		case BackendEvent::kKeyDown:
		case BackendEvent::kKeyUp:
		case BackendEvent::kComposition:
			RouteKey(event);
			break;
		case BackendEvent::kText:
			RouteText(event);
			break;
		default:
			RouteWindowEvent(event);
			break;
	}
}

void DisplayServer::RouteMouse(BackendEvent& event)
{
	if (event.kind == BackendEvent::kMouseExited) {
		// The pointer left for the desktop; a captured drag goes on regardless.
		if (fCapture < 0 && fHover >= 0) {
			event.screenX = fMouseX;
			event.screenY = fMouseY;
			Deliver(fHover, event);
			fHover = -1;
		}
		return;
	}
	fModifiers = event.modifiers;
	fMouseX = event.x;
	fMouseY = event.y;
	if (event.kind != BackendEvent::kMouseWheel)
		fButtons = event.buttons;

	int32 target = fCapture;
	if (target < 0)
		target = FindLocked(event.window) != nullptr ? event.window
			: TopmostLocked(event.x, event.y);
	if (target != fHover && fCapture < 0) {
		if (fHover >= 0) {
			BackendEvent exited = event;
			exited.kind = BackendEvent::kMouseExited;
			exited.screenX = event.x;
			exited.screenY = event.y;
			Deliver(fHover, exited);
		}
		fHover = target;
	}
	if (event.kind == BackendEvent::kMouseDown && fCapture < 0)
		fCapture = target;
	if (event.kind == BackendEvent::kMouseUp && event.buttons == 0)
		fCapture = -1;
	const Record* found = FindLocked(target);
	if (found == nullptr)
		return;
	if (BlockedByModalLocked(target) && event.kind != BackendEvent::kMouseMoved) {
		// A click on a window behind a modal one brings the modal one forward.
		const int32 modal = TopModalLocked();
		if (event.kind == BackendEvent::kMouseDown && modal != fActive) {
			fBackend->RaiseWindow(modal);
			RaiseLocked(modal);
			if (!fBackend->ManagesFocus())
				ActivateLocked(modal);
		}
		return;
	}
	const Record& record = *found;
	if (event.kind == BackendEvent::kMouseDown && !fBackend->ManagesFocus()
		&& record.request.kind != WindowKind::kPopup && target != fActive) {
		RaiseLocked(target);
		ActivateLocked(target);
	}
	BackendEvent local = event;
	local.window = target;
	local.screenX = event.x;
	local.screenY = event.y;
	local.x = event.x - record.request.frame.left;
	local.y = event.y - record.request.frame.top;
	Deliver(target, local);
}

void DisplayServer::RouteKey(BackendEvent& event)
{
	fModifiers = event.modifiers;
	// The window may be gone already: a key that closed it is released after.
	int32 target = FindLocked(event.window) != nullptr ? event.window : fActive;
	const Record* record = FindLocked(target);
	if (record == nullptr)
		return;
	// A menu that holds the desktop's focus does not take keys: its window does.
	if (record->request.kind == WindowKind::kPopup) {
		if (FindLocked(fActive) == nullptr)
			return;
		target = fActive;
	}
	// Keys meant for a window behind a modal one (the desktop may have focused it)
	// go to the modal window instead.
	const int32 receiver = BlockedByModalLocked(target) ? TopModalLocked() : target;
	event.window = receiver;
	Deliver(receiver, event);
}

// Text arrives as one key for each cluster, with its bytes, so that a key
// filter takes or leaves a character as the user sees it whole.
void DisplayServer::RouteText(const BackendEvent& event)
{
	const TextBreaks breaks(event.bytes);
	for (int32 start = 0; start < breaks.Length();) {
		const int32 end = breaks.NextCluster(start);
		BackendEvent key = event;
		key.kind = BackendEvent::kKeyDown;
		key.bytes = event.bytes.substr((size_t)start, (size_t)(end - start));
		key.rawChar = (uint8)key.bytes[0];
		RouteKey(key);
		start = end;
	}
}

void DisplayServer::RouteWindowEvent(BackendEvent& event)
{
	auto found = fWindows.find(event.window);
	if (found == fWindows.end())
		return;
	Record& record = *found->second;
	switch (event.kind) {
		case BackendEvent::kWindowMoved:
			if (event.x == record.request.frame.left && event.y == record.request.frame.top)
				return;
			record.request.frame = record.request.frame.Offset(event.x - record.request.frame.left,
				event.y - record.request.frame.top);
			break;
		case BackendEvent::kWindowResized: {
			// The user's resizing stays within the limits the program set.
			event.width = std::clamp(event.width, record.minWidth, record.maxWidth);
			event.height = std::clamp(event.height, record.minHeight, record.maxHeight);
			if (event.width == record.request.frame.Width()
				&& event.height == record.request.frame.Height()) {
				// Same size: the backend only lost the picture; show it again.
				if (record.visible)
					fBackend->Present(event.window, record.front, record.front.Bounds());
				return;
			}
			record.request.frame.right = record.request.frame.left + event.width - 1;
			record.request.frame.bottom = record.request.frame.top + event.height - 1;
			break;
		}
		case BackendEvent::kWindowActivated:
			if (record.request.kind == WindowKind::kPopup) {
				// The desktop may focus a menu as it opens; the window the menu
				// belongs to keeps the focus as far as the program can tell.
				if (fHeldDeactivation >= 0) {
					fActive = fHeldDeactivation;
					fHeldDeactivation = -1;
				}
				return;
			}
			if (fHeldDeactivation == event.window) {
				fActive = event.window;  // it never knew it had lost the focus
				fHeldDeactivation = -1;
				return;
			}
			ReleaseHeldDeactivationLocked();
			if (fActive == event.window)
				return;
			if (fActive >= 0 && fActive != event.window) {
				BackendEvent lost = event;
				lost.kind = BackendEvent::kWindowDeactivated;
				Deliver(fActive, lost);
			}
			fActive = event.window;
			break;
		case BackendEvent::kWindowDeactivated:
			if (fActive != event.window)
				return;
			fActive = -1;
			// With a menu open the focus may only be passing to that menu: hold the
			// news until it is known where the focus went.
			if (AnyPopupShownLocked()) {
				fHeldDeactivation = event.window;
				return;
			}
			break;
		default:
			break;
	}
	Deliver(event.window, event);
}

// --- activation and stacking

void DisplayServer::ActivateLocked(int32 id)
{
	if (FindLocked(id) == nullptr)
		id = -1;  // gone before its activation came through
	if (fHeldDeactivation == id && id >= 0) {
		fHeldDeactivation = -1;
		fActive = id;
		return;
	}
	ReleaseHeldDeactivationLocked();
	if (id == fActive)
		return;
	const int32 previous = fActive;
	fActive = id;
	BackendEvent event;
	event.when = system_time();
	if (previous >= 0) {
		event.kind = BackendEvent::kWindowDeactivated;
		event.window = previous;
		Deliver(previous, event);
	}
	if (id >= 0) {
		event.kind = BackendEvent::kWindowActivated;
		event.window = id;
		Deliver(id, event);
	}
}

void DisplayServer::RaiseLocked(int32 id)
{
	if (!fWindows.count(id))
		return;
	fStacking.erase(std::remove(fStacking.begin(), fStacking.end(), id), fStacking.end());
	fStacking.push_back(id);
	// Modal windows stay above the others, menus above everything.
	auto rank = [this](int32 window) {
		const WindowKind kind = FindLocked(window)->request.kind;
		return kind == WindowKind::kPopup ? 2 : kind == WindowKind::kModal ? 1 : 0;
	};
	std::stable_sort(fStacking.begin(), fStacking.end(),
		[&](int32 a, int32 b) { return rank(a) < rank(b); });
}

int32 DisplayServer::TopmostLocked(int32 x, int32 y) const
{
	for (auto it = fStacking.rbegin(); it != fStacking.rend(); ++it) {
		const Record* record = FindLocked(*it);
		if (record != nullptr && record->visible && record->request.frame.Contains(x, y))
			return *it;
	}
	return -1;
}

int32 DisplayServer::TopModalLocked() const
{
	for (auto it = fStacking.rbegin(); it != fStacking.rend(); ++it) {
		const Record* record = FindLocked(*it);
		if (record != nullptr && record->visible && record->request.kind == WindowKind::kModal)
			return *it;
	}
	return -1;
}

bool DisplayServer::AnyPopupShownLocked() const
{
	for (const auto& [id, record] : fWindows) {
		if (record->visible && record->request.kind == WindowKind::kPopup)
			return true;
	}
	return false;
}

void DisplayServer::ReleaseHeldDeactivationLocked()
{
	const int32 held = fHeldDeactivation;
	fHeldDeactivation = -1;
	if (FindLocked(held) == nullptr)
		return;
	BackendEvent lost;
	lost.when = system_time();
	lost.kind = BackendEvent::kWindowDeactivated;
	lost.window = held;
	Deliver(held, lost);
}

bool DisplayServer::BlockedByModalLocked(int32 id) const
{
	const Record* record = FindLocked(id);
	if (record == nullptr)
		return false;
	const WindowKind kind = record->request.kind;
	if (kind == WindowKind::kModal || kind == WindowKind::kPopup)
		return false;
	return TopModalLocked() >= 0;
}

// --- headless control

void DisplayServer::Inject(const BackendEvent& event)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		fInjected.push_back(event);
		if (fInjected.back().when == 0)
			fInjected.back().when = system_time();
	}
	fBackend->Wake();
}

bool DisplayServer::IsIdle() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return !fBusy && fCommands.empty() && fInjected.empty();
}

bool DisplayServer::Snapshot(int32 id, Framebuffer& out) const
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return false;
	out = found->second->front;
	return true;
}

bool DisplayServer::SnapshotScreen(Framebuffer& out) const
{
	const PixelRect screen = fBackend->ScreenFrame();
	std::lock_guard<std::mutex> lock(fLock);
	out.Resize(screen.Width(), screen.Height(), kDesktopColor);
	for (int32 id : fStacking) {
		const Record* record = FindLocked(id);
		if (record != nullptr && record->visible)
			out.Blit(record->front, record->request.frame.left - screen.left,
				record->request.frame.top - screen.top);
	}
	return true;
}

int32 DisplayServer::WindowAt(int32 x, int32 y) const
{
	std::lock_guard<std::mutex> lock(fLock);
	return TopmostLocked(x, y);
}

PixelRect DisplayServer::WindowFrame(int32 id) const
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	return found != fWindows.end() ? found->second->request.frame : PixelRect();
}
