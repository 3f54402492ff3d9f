// Sections: the window list; the link; display events as messages; the app kit's seams.
#include "WindowServerLink.h"

#include <AppDefs.h>
#include <Autolock.h>
#include <Cursor.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Messenger.h>
#include <TypeConstants.h>
#include <Window.h>

#include "AccessibilityHooks.h"
#include "AppKitHooks.h"

#include <algorithm>
#include <mutex>
#include <string.h>

namespace BPrivate {

// --- the window list

namespace {

std::mutex sWindowsLock;
struct KnownWindow {
	BWindow* window;
	int32 id;
	bool modal;
};
std::vector<KnownWindow> sWindows;

}  // namespace

std::vector<BMessenger> WindowServerLink::Windows()
{
	std::lock_guard<std::mutex> lock(sWindowsLock);
	std::vector<BMessenger> windows;
	for (const bool modal : {true, false}) {
		for (const KnownWindow& known : sWindows) {
			if (known.modal == modal)
				windows.emplace_back(known.window, known.window);
		}
	}
	return windows;
}

BWindow* WindowServerLink::WindowWithId(int32 id)
{
	std::lock_guard<std::mutex> lock(sWindowsLock);
	for (const KnownWindow& known : sWindows) {
		if (known.id == id)
			return known.window;
	}
	return nullptr;
}

int32 WindowServerLink::IdOf(BWindow* window)
{
	std::lock_guard<std::mutex> lock(sWindowsLock);
	for (const KnownWindow& known : sWindows) {
		if (known.window == window)
			return known.id;
	}
	return -1;
}

// --- the link

namespace {

// Whole API pixels from device pixels: points round down, sizes up (a window the
// desktop made an odd number of pixels wide is covered to its edge).
int32 PointFromDevice(int32 value, int32 scale)
{
	return value >= 0 ? value / scale : -((-value + scale - 1) / scale);
}

int32 SizeFromDevice(int32 value, int32 scale)
{
	return (value + scale - 1) / scale;
}

PixelRect ToDevice(const PixelRect& rect, int32 scale)
{
	return {rect.left * scale, rect.top * scale, (rect.right + 1) * scale - 1,
		(rect.bottom + 1) * scale - 1};
}

WindowRequest OnDevice(WindowRequest request, int32 scale)
{
	request.frame = ToDevice(request.frame, scale);
	return request;
}

}  // namespace

WindowServerLink::WindowServerLink(BWindow* window, const WindowRequest& request)
	: fWindow(window),
	  fScale(DisplayServer::Get().Scale()),
	  fId(-1),
	  fBuffer(request.frame.Width() * fScale, request.frame.Height() * fScale),
	  fPainter(fBuffer, fScale)
{
	InstallHooks();
	fId = DisplayServer::Get().CreateWindow(OnDevice(request, fScale), this);
	std::lock_guard<std::mutex> lock(sWindowsLock);
	sWindows.push_back({window, fId, request.kind == WindowKind::kModal});
}

WindowServerLink::~WindowServerLink()
{
	Close();
	std::lock_guard<std::mutex> lock(sWindowsLock);
	sWindows.erase(std::remove_if(sWindows.begin(), sWindows.end(),
		[this](const KnownWindow& known) { return known.window == fWindow; }), sWindows.end());
}

void WindowServerLink::ResizeBuffer(int32 width, int32 height)
{
	fBuffer.Resize(width * fScale, height * fScale);
	fPainter.ClearClip();
}

void WindowServerLink::Move(int32 x, int32 y)
{
	DisplayServer::Get().MoveWindow(fId, x * fScale, y * fScale);
}

void WindowServerLink::Resize(int32 width, int32 height)
{
	DisplayServer::Get().ResizeWindow(fId, width * fScale, height * fScale);
}

void WindowServerLink::SetSizeLimits(int32 minWidth, int32 maxWidth, int32 minHeight,
	int32 maxHeight)
{
	DisplayServer::Get().SetSizeLimits(fId, minWidth * fScale, maxWidth * fScale,
		minHeight * fScale, maxHeight * fScale);
}

void WindowServerLink::Present(const std::vector<PixelRect>& rects)
{
	if (fScale == 1) {
		DisplayServer::Get().Present(fId, fBuffer, rects);
		return;
	}
	std::vector<PixelRect> device;
	device.reserve(rects.size());
	for (const PixelRect& rect : rects)
		device.push_back(ToDevice(rect, fScale));
	DisplayServer::Get().Present(fId, fBuffer, device);
}

BPoint WindowServerLink::FromDevice(int32 x, int32 y)
{
	const int32 scale = DisplayServer::Get().Scale();
	return BPoint(PointFromDevice(x, scale), PointFromDevice(y, scale));
}

void WindowServerLink::Close()
{
	if (fId < 0)
		return;
	DisplayServer::Get().DestroyWindow(fId);
	fId = -1;
}

// --- display events as messages

void WindowServerLink::HandleDisplayEvent(const BackendEvent& event)
{
	const BPoint where(PointFromDevice(event.x, fScale), PointFromDevice(event.y, fScale));
	BMessage message;
	message.AddInt64("when", event.when);
	switch (event.kind) {
		case BackendEvent::kMouseMoved:
		case BackendEvent::kMouseDown:
		case BackendEvent::kMouseUp:
		case BackendEvent::kMouseExited: {
			message.what = event.kind == BackendEvent::kMouseMoved ? B_MOUSE_MOVED
				: event.kind == BackendEvent::kMouseDown ? B_MOUSE_DOWN
				: event.kind == BackendEvent::kMouseUp ? B_MOUSE_UP : B_MOUSE_ENTER_EXIT;
			message.AddPoint("where", where);
			message.AddPoint("screen_where", BPoint(PointFromDevice(event.screenX, fScale),
				PointFromDevice(event.screenY, fScale)));
			message.AddInt32("buttons", (int32)event.buttons);
			message.AddInt32("modifiers", (int32)event.modifiers);
			if (event.kind == BackendEvent::kMouseDown)
				message.AddInt32("clicks", event.clicks);
			break;
		}
		case BackendEvent::kMouseWheel:
			message.what = B_MOUSE_WHEEL_CHANGED;
			message.AddFloat("be:wheel_delta_x", event.wheelX);
			message.AddFloat("be:wheel_delta_y", event.wheelY);
			message.AddPoint("where", where);
			break;
		case BackendEvent::kKeyDown:
		case BackendEvent::kKeyUp:
			message.what = event.kind == BackendEvent::kKeyDown ? B_KEY_DOWN : B_KEY_UP;
			message.AddInt32("modifiers", (int32)event.modifiers);
			message.AddInt32("key", event.key);
			message.AddInt32("raw_char", (int32)event.rawChar);
			message.AddString("bytes", event.bytes.c_str());
			for (char byte : event.bytes)
				message.AddInt8("byte", (int8)byte);
			break;
		case BackendEvent::kComposition:
			if (!_Compose(event, message))
				return;
			break;
		case BackendEvent::kText:
			return;  // the server hands text on as keys
		case BackendEvent::kWindowMoved:
			message.what = B_WINDOW_MOVED;
			message.AddPoint("where", where);
			break;
		case BackendEvent::kWindowResized:
			message.what = B_WINDOW_RESIZED;
			message.AddFloat("width", SizeFromDevice(event.width, fScale) - 1);
			message.AddFloat("height", SizeFromDevice(event.height, fScale) - 1);
			break;
		case BackendEvent::kWindowCloseRequested:
			message.what = B_QUIT_REQUESTED;
			break;
		case BackendEvent::kWindowActivated:
		case BackendEvent::kWindowDeactivated:
			message.what = B_WINDOW_ACTIVATED;
			message.AddBool("active", event.kind == BackendEvent::kWindowActivated);
			break;
	}
	fWindow->PostMessage(&message, fWindow);
}

// The platform's input method messages: started before the first change, a
// change for each new state of the text, stopped when it is empty.
bool WindowServerLink::_Compose(const BackendEvent& event, BMessage& message)
{
	message.what = B_INPUT_METHOD_EVENT;
	if (event.bytes.empty()) {
		if (!fComposing)
			return false;
		fComposing = false;
		message.AddInt32("be:opcode", B_INPUT_METHOD_STOPPED);
		return true;
	}
	if (!fComposing) {
		fComposing = true;
		BMessage started(B_INPUT_METHOD_EVENT);
		started.AddInt32("be:opcode", B_INPUT_METHOD_STARTED);
		fWindow->PostMessage(&started, fWindow);
	}
	message.AddInt32("be:opcode", B_INPUT_METHOD_CHANGED);
	message.AddString("be:string", event.bytes.c_str());
	message.AddInt32("be:selection", event.caret);
	message.AddInt32("be:selection", event.caret);
	message.AddBool("be:confirmed", false);
	return true;
}

void WindowServerLink::SetTextInputRect(const PixelRect& rect)
{
	if (fId >= 0)
		DisplayServer::Get().SetTextInputRect(fId, ToDevice(rect, fScale));
}

// --- the app kit's seams

namespace {

// A window's Quit may take others with it (its menus' popups, windows it owns),
// so each is found again through its messenger before it is locked. Called from
// the application's thread, which holds no window's lock meanwhile.
bool QuitAllWindows(bool always)
{
	for (const BMessenger& messenger : WindowServerLink::Windows()) {
		if (!messenger.LockTarget())
			continue;
		BLooper* looper = nullptr;
		messenger.Target(&looper);
		auto* window = static_cast<BWindow*>(looper);
		if (!window->QuitRequested() && !always) {
			window->Unlock();
			return false;
		}
		window->Quit();
	}
	return true;
}

void SetCursorFromData(const void* data)
{
	// B_HAND_CURSOR is the platform's ordinary arrow pointer, not a pointing hand.
	const CursorKind kind = data == B_I_BEAM_CURSOR ? CursorKind::kIBeam : CursorKind::kDefault;
	DisplayServer::Get().SetCursor(kind);
}

// The desktop's clipboard holds plain text; other kinds of data stay in the process.
class DesktopClipboard : public ClipboardBackend {
public:
	status_t Load(const char* name, BMessage* data) override
	{
		if (strcmp(name, "system") != 0)
			return B_ERROR;
		const std::string text = DisplayServer::Get().ClipboardText();
		Note(text);
		data->MakeEmpty();
		if (!text.empty())
			data->AddData("text/plain", B_MIME_TYPE, text.data(), (ssize_t)text.size());
		return B_OK;
	}
	status_t Store(const char* name, const BMessage& data) override
	{
		if (strcmp(name, "system") != 0)
			return B_ERROR;
		const void* bytes = nullptr;
		ssize_t size = 0;
		std::string text;
		if (data.FindData("text/plain", B_MIME_TYPE, &bytes, &size) == B_OK)
			text.assign((const char*)bytes, size);
		DisplayServer::Get().SetClipboardText(text);
		Note(text);
		return B_OK;
	}
	uint32 ChangeCount(const char* name) override
	{
		if (strcmp(name, "system") == 0)
			Note(DisplayServer::Get().ClipboardText());
		std::lock_guard<std::mutex> lock(fLock);
		return fCount;
	}

private:
	void Note(const std::string& text)
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (text != fLast) {
			fLast = text;
			fCount++;
		}
	}

	std::mutex fLock;
	std::string fLast;
	uint32 fCount = 0;
};

}  // namespace

void WindowServerLink::InstallHooks()
{
	static std::once_flag once;
	std::call_once(once, [] {
		AppKitHooks& hooks = app_kit_hooks();
		hooks.quitAllWindows = QuitAllWindows;
		hooks.setCursor = SetCursorFromData;
		// Under headless the clipboard stays in the process, so tests own it; and
		// nobody reads a screen nobody sees.
		if (!DisplayServer::Get().IsHeadless()) {
			static DesktopClipboard clipboard;
			set_clipboard_backend(&clipboard);
			start_accessibility();
		}
	});
}

}  // namespace BPrivate
