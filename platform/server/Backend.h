// What a display backend offers the display server, and the events it reports.
// Threading: every call comes from the display server's thread, except Wake.
#ifndef _SERVER_BACKEND_H
#define _SERVER_BACKEND_H

#include "Framebuffer.h"

#include <SupportDefs.h>

#include <string>
#include <vector>

enum class WindowKind {
	kTitled,
	kDocument,
	kModal,
	kFloating,
	kBordered,
	kPopup,  // a menu: no frame, above everything, never takes the focus
};

// B_HAND_CURSOR is the platform's ordinary arrow, so it maps to kDefault.
enum class CursorKind {
	kDefault,
	kIBeam,
};

struct WindowRequest {
	PixelRect frame;  // the content area in screen coordinates
	std::string title;
	WindowKind kind = WindowKind::kTitled;
	bool resizable = true;
	bool closable = true;
};

struct BackendEvent {
	enum Kind {
		kMouseMoved,
		kMouseDown,
		kMouseUp,
		kMouseWheel,
		kMouseExited,  // the pointer left the window (sent by the server)
		kKeyDown,
		kKeyUp,
		kText,         // typed or committed text, any number of characters
		kComposition,  // an input method's text under way; empty when it ends
		kWindowMoved,
		kWindowResized,
		kWindowCloseRequested,
		kWindowActivated,
		kWindowDeactivated,
	};

	Kind kind = kMouseMoved;
	int32 window = -1;  // server window id; -1 lets the server find it from x, y
	int32 x = 0;        // mouse: screen point (local point once routed); moved: new origin
	int32 y = 0;
	int32 screenX = 0;  // mouse: the screen point, once x and y are local
	int32 screenY = 0;
	int32 width = 0;    // resized: new content size
	int32 height = 0;
	uint32 buttons = 0;
	uint32 modifiers = 0;
	int32 clicks = 1;
	float wheelX = 0;
	float wheelY = 0;
	int32 key = 0;       // key code of the physical key
	uint32 rawChar = 0;  // the key's character without modifiers
	std::string bytes;   // UTF-8 of the character the key produced, of the text
	int32 caret = 0;     // composition: the input method's caret, a byte offset in bytes
	bigtime_t when = 0;
};

class Backend {
public:
	virtual ~Backend() = default;

	virtual const char* Name() const = 0;
	virtual PixelRect ScreenFrame() const = 0;

	virtual void CreateWindow(int32 id, const WindowRequest& request) = 0;
	virtual void DestroyWindow(int32 id) = 0;
	virtual void ShowWindow(int32 id, bool show) = 0;
	virtual void RaiseWindow(int32 id) = 0;
	// Gives the window the keyboard back, e.g. from a menu that took it as it opened.
	virtual void FocusWindow(int32 id) = 0;
	virtual void MoveWindow(int32 id, int32 x, int32 y) = 0;
	virtual void ResizeWindow(int32 id, int32 width, int32 height) = 0;
	virtual void SetTitle(int32 id, const std::string& title) = 0;
	virtual void SetSizeLimits(int32 id, int32 minWidth, int32 maxWidth, int32 minHeight,
		int32 maxHeight) = 0;
	// Shows the given part of a window's finished frame.
	virtual void Present(int32 id, const Framebuffer& frame, const PixelRect& dirty) = 0;

	// Where the focused text's caret is in a window (its pixels), so that an
	// input method shows its candidates there.
	virtual void SetTextInputRect(int32 id, const PixelRect& rect) = 0;

	virtual void SetCursor(CursorKind cursor) = 0;
	virtual std::string ClipboardText() = 0;
	virtual void SetClipboardText(const std::string& text) = 0;

	// Waits at most timeout microseconds for input, then appends what arrived.
	virtual void WaitForEvents(bigtime_t timeout, std::vector<BackendEvent>& events) = 0;
	// Any thread: makes a pending WaitForEvents return soon.
	virtual void Wake() = 0;
	// True when the backend places windows itself and reports focus changes, so
	// the server must not activate windows on its own.
	virtual bool ManagesFocus() const = 0;
};

#endif
