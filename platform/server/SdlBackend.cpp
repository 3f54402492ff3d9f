// Sections: opening and closing; windows; presenting; cursors and clipboard; events.
#include "SdlBackend.h"

#include "XWindowPlacement.h"

#include <InterfaceDefs.h>
#include <OS.h>
#include <Utf8.h>

#include <SDL.h>
#include <limits.h>
#include <png.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

// --- opening and closing

namespace {

// The window class docks and task bars group windows by, and the name of the
// program's icon: the program's file name, as a desktop entry names them.
std::string ProgramClass()
{
	if (const char* chosen = getenv("SDL_VIDEO_X11_WMCLASS"))
		return chosen;
	char path[PATH_MAX];
	const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	if (length <= 0)
		return "cvab";
	const std::string exe(path, static_cast<size_t>(length));
	return exe.substr(exe.rfind('/') + 1);
}

// The program's icon from the hicolor theme of the installation it runs from
// or of the data directories; null when none is installed.
SDL_Surface* LoadProgramIcon(const std::string& name)
{
	std::vector<std::string> roots;
	char exe[PATH_MAX];
	if (const ssize_t length = readlink("/proc/self/exe", exe, sizeof(exe) - 1); length > 0) {
		const std::string path(exe, static_cast<size_t>(length));
		const std::string bin = path.substr(0, path.rfind('/'));
		roots.push_back(bin.substr(0, bin.rfind('/')) + "/share");
	}
	const char* dirs = getenv("XDG_DATA_DIRS");
	std::string list = dirs != nullptr && *dirs != '\0' ? dirs : "/usr/local/share:/usr/share";
	for (size_t start = 0; start <= list.size();) {
		const size_t end = std::min(list.find(':', start), list.size());
		roots.push_back(list.substr(start, end - start));
		start = end + 1;
	}
	for (const std::string& root : roots) {
		for (const char* size : {"64x64", "48x48", "128x128", "32x32"}) {
			const std::string file = root + "/icons/hicolor/" + size + "/apps/" + name + ".png";
			png_image image{};
			image.version = PNG_IMAGE_VERSION;
			if (!png_image_begin_read_from_file(&image, file.c_str()))
				continue;
			image.format = PNG_FORMAT_RGBA;
			SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, image.width, image.height, 32,
				SDL_PIXELFORMAT_RGBA32);
			if (icon != nullptr && png_image_finish_read(&image, nullptr, icon->pixels,
					icon->pitch, nullptr))
				return icon;
			png_image_free(&image);
			SDL_FreeSurface(icon);
		}
	}
	return nullptr;
}

}  // namespace

std::unique_ptr<SdlBackend> SdlBackend::Open(std::string& error)
{
	// Windows and menus are placed at screen coordinates, which native Wayland
	// clients cannot do; go through XWayland unless the user chose a driver.
	if (getenv("SDL_VIDEODRIVER") == nullptr && getenv("WAYLAND_DISPLAY") != nullptr)
		setenv("SDL_VIDEODRIVER", "x11", 0);
	SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
	SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
	// SDL would turn SIGINT and SIGTERM into its own quit event; the application
	// kit hears them itself and quits through the application.
	SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
	// Window surfaces straight on the X server: an accelerated surface would make
	// SDL recreate the window at its first frame, losing what the window asked of
	// the window manager (to keep its content where it was put).
	SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
	// Compositions of more than 31 bytes as a whole, not cut short.
	SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
	const std::string programClass = ProgramClass();
	setenv("SDL_VIDEO_X11_WMCLASS", programClass.c_str(), 0);  // SDL's x11 driver reads it
	if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
		error = std::string("cannot open the display: ") + SDL_GetError();
		return nullptr;
	}
	std::unique_ptr<SdlBackend> backend(new SdlBackend);
	backend->fWakeEvent = SDL_RegisterEvents(1);
	XWindowPlacement::IgnoreWakeUpsOfGoneWindows();
	backend->fIcon = LoadProgramIcon(programClass);
	SDL_StartTextInput();
	return backend;
}

SdlBackend::~SdlBackend()
{
	for (auto& [kind, cursor] : fCursors)
		SDL_FreeCursor(cursor);
	for (auto& [id, window] : fWindows)
		SDL_DestroyWindow(window);
	SDL_FreeSurface(fIcon);
	SDL_Quit();
}

PixelRect SdlBackend::ScreenFrame() const
{
	SDL_Rect bounds;
	if (SDL_GetDisplayBounds(0, &bounds) != 0)
		return {0, 0, 1023, 767};
	return {bounds.x, bounds.y, bounds.x + bounds.w - 1, bounds.y + bounds.h - 1};
}

// --- windows

void SdlBackend::CreateWindow(int32 id, const WindowRequest& request)
{
	uint32 flags = SDL_WINDOW_HIDDEN;
	if (request.kind == WindowKind::kPopup)
		flags |= SDL_WINDOW_POPUP_MENU | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP
			| SDL_WINDOW_SKIP_TASKBAR;
	else if (request.kind == WindowKind::kBordered)
		flags |= SDL_WINDOW_BORDERLESS;
	if (request.resizable && request.kind != WindowKind::kPopup)
		flags |= SDL_WINDOW_RESIZABLE;
	SDL_Window* window = SDL_CreateWindow(request.title.c_str(), request.frame.left, request.frame.top,
		request.frame.Width(), request.frame.Height(), flags);
	if (window == nullptr)
		return;
	// The frame asked for is the content's: the desktop's decoration goes around it.
	if (request.kind != WindowKind::kPopup)
		XWindowPlacement::KeepContentInPlace(window);
	if (fIcon != nullptr && request.kind != WindowKind::kPopup)
		SDL_SetWindowIcon(window, fIcon);
	fWindows[id] = window;
	fIds[SDL_GetWindowID(window)] = id;
}

void SdlBackend::DestroyWindow(int32 id)
{
	SDL_Window* window = WindowOf(id);
	if (window == nullptr)
		return;
	fIds.erase(SDL_GetWindowID(window));
	fWindows.erase(id);
	fTextInputRects.erase(id);
	SDL_DestroyWindow(window);
}

void SdlBackend::ShowWindow(int32 id, bool show)
{
	if (SDL_Window* window = WindowOf(id)) {
		if (show) {
			SDL_ShowWindow(window);
			if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_POPUP_MENU))
				SDL_RaiseWindow(window);
		} else {
			SDL_HideWindow(window);
		}
	}
}

void SdlBackend::FocusWindow(int32 id)
{
	SDL_Window* window = WindowOf(id);
	if (window != nullptr && SDL_GetKeyboardFocus() != window)
		SDL_SetWindowInputFocus(window);
}

void SdlBackend::RaiseWindow(int32 id)
{
	if (SDL_Window* window = WindowOf(id))
		SDL_RaiseWindow(window);
}

void SdlBackend::MoveWindow(int32 id, int32 x, int32 y)
{
	SDL_Window* window = WindowOf(id);
	if (window != nullptr && !XWindowPlacement::MoveContent(window, x, y))
		SDL_SetWindowPosition(window, x, y);
}

void SdlBackend::ResizeWindow(int32 id, int32 width, int32 height)
{
	if (SDL_Window* window = WindowOf(id))
		SDL_SetWindowSize(window, width, height);
}

void SdlBackend::SetTitle(int32 id, const std::string& title)
{
	if (SDL_Window* window = WindowOf(id))
		SDL_SetWindowTitle(window, title.c_str());
}

void SdlBackend::SetSizeLimits(int32 id, int32 minWidth, int32 maxWidth, int32 minHeight,
	int32 maxHeight)
{
	if (SDL_Window* window = WindowOf(id)) {
		SDL_SetWindowMinimumSize(window, std::max(1, minWidth), std::max(1, minHeight));
		SDL_SetWindowMaximumSize(window, std::max(1, maxWidth), std::max(1, maxHeight));
	}
}

// --- presenting

void SdlBackend::Present(int32 id, const Framebuffer& frame, const PixelRect& dirty)
{
	SDL_Window* window = WindowOf(id);
	if (window == nullptr || frame.Width() <= 0 || frame.Height() <= 0)
		return;
	SDL_Surface* target = SDL_GetWindowSurface(window);
	if (target == nullptr)
		return;
	SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32*>(frame.Data()),
		frame.Width(), frame.Height(), 32, frame.Width() * 4, SDL_PIXELFORMAT_ARGB8888);
	if (source == nullptr)
		return;
	const PixelRect area = dirty.Intersect(frame.Bounds())
		.Intersect({0, 0, target->w - 1, target->h - 1});
	if (area.IsValid()) {
		SDL_Rect rect = {area.left, area.top, area.Width(), area.Height()};
		SDL_Rect to = rect;
		SDL_BlitSurface(source, &rect, target, &to);
		SDL_UpdateWindowSurfaceRects(window, &rect, 1);
	}
	SDL_FreeSurface(source);
}

// --- input methods

void SdlBackend::SetTextInputRect(int32 id, const PixelRect& rect)
{
	fTextInputRects[id] = rect;
	ApplyTextInputRect(id);
}

// SDL tells the input method of the window with the keyboard only.
void SdlBackend::ApplyTextInputRect(int32 id)
{
	SDL_Window* window = WindowOf(id);
	auto found = fTextInputRects.find(id);
	if (window == nullptr || found == fTextInputRects.end() || SDL_GetKeyboardFocus() != window)
		return;
	SDL_Rect rect = {found->second.left, found->second.top, found->second.Width(),
		found->second.Height()};
	SDL_SetTextInputRect(&rect);
}

// --- cursors and clipboard

void SdlBackend::SetCursor(CursorKind kind)
{
	auto found = fCursors.find(kind);
	if (found == fCursors.end()) {
		const SDL_SystemCursor system = kind == CursorKind::kIBeam ? SDL_SYSTEM_CURSOR_IBEAM
			: SDL_SYSTEM_CURSOR_ARROW;
		found = fCursors.emplace(kind, SDL_CreateSystemCursor(system)).first;
	}
	if (found->second != nullptr)
		SDL_SetCursor(found->second);
}

std::string SdlBackend::ClipboardText()
{
	char* text = SDL_GetClipboardText();
	std::string result = text != nullptr ? text : "";
	SDL_free(text);
	return result;
}

void SdlBackend::SetClipboardText(const std::string& text)
{
	SDL_SetClipboardText(text.c_str());
}

// --- events

void SdlBackend::Wake()
{
	SDL_Event event;
	memset(&event, 0, sizeof(event));
	event.type = fWakeEvent;
	SDL_PushEvent(&event);
}

void SdlBackend::WaitForEvents(bigtime_t timeout, std::vector<BackendEvent>& events)
{
	SDL_Event event;
	std::vector<BackendEvent> translated;
	if (SDL_WaitEventTimeout(&event, (int)std::max<bigtime_t>(1, timeout / 1000))) {
		Translate(event, translated);
		while (SDL_PollEvent(&event))
			Translate(event, translated);
	}
	for (const BackendEvent& input : translated)
		fInputOrder.Take(input, events);
	fInputOrder.Expire(system_time(), events);
}

int32 SdlBackend::IdOf(uint32 sdlWindowId) const
{
	auto found = fIds.find(sdlWindowId);
	return found != fIds.end() ? found->second : -1;
}

SDL_Window* SdlBackend::WindowOf(int32 id) const
{
	auto found = fWindows.find(id);
	return found != fWindows.end() ? found->second : nullptr;
}

namespace {

uint32 ModifiersFrom(uint16 sdl)
{
	uint32 modifiers = 0;
	if (sdl & KMOD_SHIFT)
		modifiers |= B_SHIFT_KEY;
	if (sdl & KMOD_CTRL)
		modifiers |= B_COMMAND_KEY | B_CONTROL_KEY;
	if (sdl & KMOD_ALT)
		modifiers |= B_OPTION_KEY;
	if (sdl & KMOD_CAPS)
		modifiers |= B_CAPS_LOCK;
	if (sdl & KMOD_NUM)
		modifiers |= B_NUM_LOCK;
	return modifiers;
}

uint32 ButtonsFrom(uint32 state)
{
	uint32 buttons = 0;
	if (state & SDL_BUTTON_LMASK)
		buttons |= B_PRIMARY_MOUSE_BUTTON;
	if (state & SDL_BUTTON_RMASK)
		buttons |= B_SECONDARY_MOUSE_BUTTON;
	if (state & SDL_BUTTON_MMASK)
		buttons |= B_TERTIARY_MOUSE_BUTTON;
	return buttons;
}

// The control byte of a key that produces no text, or 0.
char SpecialKeyByte(SDL_Keycode key)
{
	switch (key) {
		case SDLK_BACKSPACE: return B_BACKSPACE;
		case SDLK_RETURN: case SDLK_KP_ENTER: return B_ENTER;
		case SDLK_TAB: return B_TAB;
		case SDLK_ESCAPE: return B_ESCAPE;
		case SDLK_LEFT: return B_LEFT_ARROW;
		case SDLK_RIGHT: return B_RIGHT_ARROW;
		case SDLK_UP: return B_UP_ARROW;
		case SDLK_DOWN: return B_DOWN_ARROW;
		case SDLK_DELETE: return B_DELETE;
		case SDLK_HOME: return B_HOME;
		case SDLK_END: return B_END;
		case SDLK_PAGEUP: return B_PAGE_UP;
		case SDLK_PAGEDOWN: return B_PAGE_DOWN;
		case SDLK_INSERT: return B_INSERT;
		default: return 0;
	}
}

}  // namespace

void SdlBackend::Translate(const SDL_Event& event, std::vector<BackendEvent>& events)
{
	BackendEvent out;
	out.when = system_time();
	switch (event.type) {
		case SDL_MOUSEMOTION:
		case SDL_MOUSEBUTTONDOWN:
		case SDL_MOUSEBUTTONUP: {
			int x = 0;
			int y = 0;
			const uint32 state = SDL_GetGlobalMouseState(&x, &y);
			out.kind = event.type == SDL_MOUSEMOTION ? BackendEvent::kMouseMoved
				: event.type == SDL_MOUSEBUTTONDOWN ? BackendEvent::kMouseDown
				: BackendEvent::kMouseUp;
			out.window = IdOf(event.type == SDL_MOUSEMOTION ? event.motion.windowID
				: event.button.windowID);
			// Screen point from the window's position and the local point, which is
			// exact even when the global query lags behind.
			SDL_Window* window = WindowOf(out.window);
			if (window != nullptr) {
				int wx = 0;
				int wy = 0;
				SDL_GetWindowPosition(window, &wx, &wy);
				x = wx + (event.type == SDL_MOUSEMOTION ? event.motion.x : event.button.x);
				y = wy + (event.type == SDL_MOUSEMOTION ? event.motion.y : event.button.y);
			}
			out.x = x;
			out.y = y;
			out.buttons = ButtonsFrom(event.type == SDL_MOUSEMOTION ? event.motion.state : state);
			if (event.type == SDL_MOUSEBUTTONDOWN)
				out.clicks = event.button.clicks;
			out.modifiers = ModifiersFrom(SDL_GetModState());
			events.push_back(out);
			break;
		}
		case SDL_MOUSEWHEEL:
			out.kind = BackendEvent::kMouseWheel;
			out.window = IdOf(event.wheel.windowID);
			out.wheelX = (float)event.wheel.x;
			out.wheelY = -(float)event.wheel.y;  // positive scrolls down, as the platform does
			SDL_GetGlobalMouseState(&out.x, &out.y);
			events.push_back(out);
			break;
		case SDL_KEYDOWN:
		case SDL_KEYUP:
			TranslateKey(event, events);
			break;
		case SDL_TEXTINPUT:
			TranslateText(event, events);
			break;
		case SDL_TEXTEDITING:
			TranslateComposition(event.edit.windowID, event.edit.text, event.edit.start, events);
			break;
		case SDL_TEXTEDITING_EXT:
			TranslateComposition(event.editExt.windowID, event.editExt.text, event.editExt.start,
				events);
			SDL_free(event.editExt.text);
			break;
		case SDL_WINDOWEVENT:
			TranslateWindowEvent(event, events);
			break;
		default:
			break;
	}
}

// Text of more than 31 bytes comes in pieces at one time: one text again.
void SdlBackend::TranslateText(const SDL_Event& event, std::vector<BackendEvent>& events)
{
	const bool continued = !events.empty() && events.back().kind == BackendEvent::kText
		&& event.text.timestamp == fLastTextStamp;
	fLastTextStamp = event.text.timestamp;
	if (continued) {
		events.back().bytes += event.text.text;
		return;
	}
	BackendEvent out;
	out.when = system_time();
	out.kind = BackendEvent::kText;
	out.window = IdOf(event.text.windowID);
	out.bytes = event.text.text;
	out.modifiers = ModifiersFrom(SDL_GetModState());
	events.push_back(out);
}

// SDL counts the composition's caret in characters; the windows in bytes.
void SdlBackend::TranslateComposition(uint32 windowId, const char* text, int32 start,
	std::vector<BackendEvent>& events)
{
	BackendEvent out;
	out.when = system_time();
	out.kind = BackendEvent::kComposition;
	out.window = IdOf(windowId);
	out.bytes = text != nullptr ? text : "";
	out.modifiers = ModifiersFrom(SDL_GetModState());
	const char* end = out.bytes.data() + out.bytes.size();
	const char* p = out.bytes.data();
	for (int32 i = 0; i < start && p < end; i++)
		utf8::Decode(p, end);
	out.caret = (int32)(p - out.bytes.data());
	events.push_back(out);
}

void SdlBackend::TranslateKey(const SDL_Event& event, std::vector<BackendEvent>& events)
{
	BackendEvent out;
	out.when = system_time();
	out.kind = event.type == SDL_KEYDOWN ? BackendEvent::kKeyDown : BackendEvent::kKeyUp;
	out.window = IdOf(event.key.windowID);
	out.modifiers = ModifiersFrom(event.key.keysym.mod);
	out.key = event.key.keysym.scancode;
	const SDL_Keycode code = event.key.keysym.sym;
	if (code >= SDLK_F1 && code <= SDLK_F12) {
		out.bytes.assign(1, (char)B_FUNCTION_KEY);
		out.rawChar = B_FUNCTION_KEY;
		out.key = B_F1_KEY + (int32)(code - SDLK_F1);
		events.push_back(out);
		return;
	}
	const char special = SpecialKeyByte(code);
	if (special != 0) {
		out.bytes.assign(1, special);
		out.rawChar = (uint8)special;
		events.push_back(out);
		return;
	}
	if (code < 0x20 || code >= 0x7f)
		return;
	// Printable keys reach the window as text input, except with Ctrl or Alt held
	// (shortcuts), where no text comes; key releases are reported here. A press
	// goes on without its character, for the input method's order only.
	const bool shortcut = (event.key.keysym.mod & (KMOD_CTRL | KMOD_ALT)) != 0;
	if (event.type == SDL_KEYDOWN && !shortcut) {
		events.push_back(out);
		return;
	}
	out.bytes.assign(1, (char)code);
	out.rawChar = (uint32)code;
	events.push_back(out);
}

void SdlBackend::TranslateWindowEvent(const SDL_Event& event, std::vector<BackendEvent>& events)
{
	BackendEvent out;
	out.when = system_time();
	out.window = IdOf(event.window.windowID);
	switch (event.window.event) {
		case SDL_WINDOWEVENT_MOVED:
			out.kind = BackendEvent::kWindowMoved;
			out.x = event.window.data1;
			out.y = event.window.data2;
			break;
		case SDL_WINDOWEVENT_SIZE_CHANGED:
			out.kind = BackendEvent::kWindowResized;
			out.width = event.window.data1;
			out.height = event.window.data2;
			break;
		case SDL_WINDOWEVENT_CLOSE:
			out.kind = BackendEvent::kWindowCloseRequested;
			break;
		case SDL_WINDOWEVENT_FOCUS_GAINED:
			out.kind = BackendEvent::kWindowActivated;
			ApplyTextInputRect(out.window);
			break;
		case SDL_WINDOWEVENT_FOCUS_LOST:
			out.kind = BackendEvent::kWindowDeactivated;
			break;
		case SDL_WINDOWEVENT_LEAVE:
			out.kind = BackendEvent::kMouseExited;
			break;
		case SDL_WINDOWEVENT_EXPOSED:
			// The server keeps every window's last frame and presents it again.
			out.kind = BackendEvent::kWindowResized;
			SDL_GetWindowSize(WindowOf(out.window), &out.width, &out.height);
			break;
		default:
			return;
	}
	events.push_back(out);
}
