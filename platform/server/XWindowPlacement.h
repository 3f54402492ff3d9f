// Puts an sdl window's content exactly where the program asks under an X window
// manager that decorates (reparents) windows: the window asks the manager to keep
// its content in place (static gravity), so the decoration goes above and to the
// left of it, and moves are made on the content. Kept apart from SdlBackend because
// Xlib's macros (None, Bool, Status) clash with other names.
// Threading: the display server's thread only, as for SDL.
#ifndef _SERVER_X_WINDOW_PLACEMENT_H
#define _SERVER_X_WINDOW_PLACEMENT_H

#include <SupportDefs.h>

struct SDL_Window;

class XWindowPlacement {
public:
	// For a window not yet shown. False when it does not live on an X server.
	static bool KeepContentInPlace(SDL_Window* window);
	// Moves the content's top left to the screen point. False when the window does
	// not live on an X server, so the caller moves it another way.
	static bool MoveContent(SDL_Window* window, int32 x, int32 y);
	// Once, after SDL has opened the display. SDL wakes its event wait by sending
	// an event to one of its windows from whichever thread posts; when the display
	// thread has just destroyed that window, the X server answers BadWindow and
	// Xlib's default handler would end the program. Those errors are ignored;
	// every other goes to the handler that was there before.
	static void IgnoreWakeUpsOfGoneWindows();
};

#endif
