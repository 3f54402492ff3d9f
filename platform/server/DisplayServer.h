// The display server: one thread that owns the backend, keeps every window's
// record (frame, stacking, last finished frame), presents frames and routes input
// to the windows (pointer capture while a button is held, activation, modality).
// Everything here is in device pixels; on a high-density desktop the interface kit
// draws and places windows at Scale() device pixels to each of its own.
// Threading: every public call is safe from any thread; WindowClient hooks run on
// the server's thread and must not block.
#ifndef _SERVER_DISPLAY_SERVER_H
#define _SERVER_DISPLAY_SERVER_H

#include "Backend.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

class WindowClient {
public:
	virtual ~WindowClient() = default;
	// Input and frame changes for this window, with mouse points in its own
	// coordinates. Called on the server's thread: post, never wait.
	virtual void HandleDisplayEvent(const BackendEvent& event) = 0;
};

class DisplayServer {
public:
	// Starts the server on first use. The backend comes from CVAB_BACKEND
	// ("headless" or "sdl"; sdl when a display is there), the scale from
	// DeviceScale. Without a usable display it writes one line to standard error
	// and ends the program with status 1.
	static DisplayServer& Get();

	// What a window can be, in device pixels: its origin within this many of the
	// screen's (X keeps positions in 16 bits), and this many a side at most (more
	// than any screen shows, while its framebuffers stay small enough to allocate).
	static constexpr int32 kMaxCoordinate = 16384;
	static constexpr int32 kMaxWindowSize = 4096;

	const char* BackendName() const;
	bool IsHeadless() const { return fHeadless; }
	// Device pixels to one of the API's: 1 or 2, fixed for the program's life.
	int32 Scale() const { return fScale; }
	PixelRect ScreenFrame() const;

	int32 CreateWindow(const WindowRequest& request, WindowClient* client);
	// Once this returns, the client is never called again.
	void DestroyWindow(int32 id);
	void ShowWindow(int32 id, bool show);
	void ActivateWindow(int32 id);
	void MoveWindow(int32 id, int32 x, int32 y);
	void ResizeWindow(int32 id, int32 width, int32 height);
	void SetTitle(int32 id, const std::string& title);
	void SetSizeLimits(int32 id, int32 minWidth, int32 maxWidth, int32 minHeight,
		int32 maxHeight);
	// Takes the given parts of a finished frame; the caller keeps its buffer.
	void Present(int32 id, const Framebuffer& frame, const std::vector<PixelRect>& dirty);

	// Where the caret of a window's focused text is (its pixels), for input methods.
	void SetTextInputRect(int32 id, const PixelRect& rect);
	PixelRect TextInputRect(int32 id) const;

	void SetCursor(CursorKind cursor);
	CursorKind Cursor() const;
	std::string ClipboardText();
	void SetClipboardText(const std::string& text);

	// The pointer's last known screen position, buttons and the modifier keys.
	void GetMouse(int32* x, int32* y, uint32* buttons) const;
	uint32 Modifiers() const;
	int32 ActiveWindow() const;

	// For the headless backend and tests: input as if from the devices (screen
	// points), the last frame of a window or of the whole screen, and quiescence.
	void Inject(const BackendEvent& event);
	bool IsIdle() const;
	bool Snapshot(int32 id, Framebuffer& out) const;
	bool SnapshotScreen(Framebuffer& out) const;
	int32 WindowAt(int32 x, int32 y) const;
	PixelRect WindowFrame(int32 id) const;

private:
	struct Record;

	DisplayServer(std::unique_ptr<Backend> backend, bool headless, int32 scale);
	~DisplayServer();
	static DisplayServer* Start();

	void Run();
	void RunSync(std::function<void()> command);
	void Post(std::function<void()> command);

	void Route(BackendEvent event);
	void RouteMouse(BackendEvent& event);
	void RouteKey(BackendEvent& event);
	void RouteText(const BackendEvent& event);
	void RouteWindowEvent(BackendEvent& event);
	// The record of a window, or null once it is gone (any id, -1 included).
	Record* FindLocked(int32 id) const;
	void Deliver(int32 id, const BackendEvent& event);
	void ActivateLocked(int32 id);
	void RaiseLocked(int32 id);
	int32 TopmostLocked(int32 x, int32 y) const;
	bool AnyPopupShownLocked() const;
	// Tells a window, late, that it lost the focus while a menu was opening.
	void ReleaseHeldDeactivationLocked();
	int32 TopModalLocked() const;  // the frontmost visible modal window, or -1
	bool BlockedByModalLocked(int32 id) const;
	void PresentPending(int32 id);

	std::unique_ptr<Backend> fBackend;
	const bool fHeadless;
	const int32 fScale;

	mutable std::mutex fLock;  // guards everything below
	std::condition_variable fSyncDone;
	std::vector<std::function<void()>> fCommands;
	std::vector<BackendEvent> fInjected;
	bool fBusy = false;
	bool fQuit = false;

	std::map<int32, std::unique_ptr<Record>> fWindows;
	std::vector<int32> fStacking;  // back to front
	int32 fNextId = 1;
	int32 fActive = -1;
	int32 fHeldDeactivation = -1;  // lost the desktop's focus; not yet told
	int32 fCapture = -1;
	int32 fHover = -1;
	int32 fMouseX = 0;
	int32 fMouseY = 0;
	uint32 fButtons = 0;
	uint32 fModifiers = 0;
	CursorKind fCursor = CursorKind::kDefault;

	std::thread::id fThreadId;
	std::thread fThread;
};

#endif
