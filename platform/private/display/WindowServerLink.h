// The bond between one BWindow and the display server: its server window, its
// framebuffer and painter, and the translation of display events into the
// window's messages. Also the list of every window of the team. The window speaks
// in the API's coordinates and the server in device pixels; the link converts
// between them at the server's scale.
// Threading: HandleDisplayEvent runs on the server's thread and only posts; the
// rest is used by the window's thread (or with the window locked).
#ifndef _WINDOW_SERVER_LINK_H
#define _WINDOW_SERVER_LINK_H

#include "DisplayServer.h"
#include "Painter.h"

#include <Messenger.h>
#include <Point.h>

#include <vector>

class BMessage;
class BWindow;

namespace BPrivate {

class WindowServerLink : public WindowClient {
public:
	// The request's frame is in the API's screen coordinates.
	WindowServerLink(BWindow* window, const WindowRequest& request);
	~WindowServerLink() override;

	int32 Id() const { return fId; }
	Painter& GetPainter() { return fPainter; }
	// Gives the buffer a new size (in the API's pixels), white, and resets the
	// painter's clip.
	void ResizeBuffer(int32 width, int32 height);

	// The server window's calls, in the API's coordinates; sizes in whole pixels.
	void Move(int32 x, int32 y);
	void Resize(int32 width, int32 height);
	void SetSizeLimits(int32 minWidth, int32 maxWidth, int32 minHeight, int32 maxHeight);
	// Hands these parts of the buffer (window coordinates) to the display.
	void Present(const std::vector<PixelRect>& rects);
	// Where the caret of the focused text is (window coordinates), for input methods.
	void SetTextInputRect(const PixelRect& rect);
	// A point of the device's screen in the API's screen coordinates.
	static BPoint FromDevice(int32 x, int32 y);
	// Ends the server window; no event arrives afterwards. Safe to call twice.
	void Close();
	bool IsClosed() const { return fId < 0; }

	void HandleDisplayEvent(const BackendEvent& event) override;

	// Every window that exists as messengers, so a window deleted after this returns
	// is simply not found: modal windows first (a window waiting in an alert's Go
	// holds its lock until the alert goes), then the others in creation order.
	static std::vector<BMessenger> Windows();
	static BWindow* WindowWithId(int32 id);
	static int32 IdOf(BWindow* window);  // -1 for a window that is gone
	// Sets up the app kit's seams (window quitting, cursors, the desktop clipboard)
	// and, on a real desktop, listening for a screen reader.
	static void InstallHooks();

private:
	// Makes message the B_INPUT_METHOD_EVENT for a composition; false when there
	// is nothing to tell.
	bool _Compose(const BackendEvent& event, BMessage& message);

	BWindow* fWindow;
	const int32 fScale;
	int32 fId;
	bool fComposing = false;  // on the server's thread
	Framebuffer fBuffer;
	Painter fPainter;
};

}  // namespace BPrivate

#endif
