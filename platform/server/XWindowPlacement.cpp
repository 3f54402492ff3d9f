#include "XWindowPlacement.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace {

bool XWindowOf(SDL_Window* window, Display** display, Window* xwindow)
{
	SDL_SysWMinfo info;
	SDL_VERSION(&info.version);
	if (window == nullptr || !SDL_GetWindowWMInfo(window, &info)
		|| info.subsystem != SDL_SYSWM_X11)
		return false;
	*display = info.info.x11.display;
	*xwindow = info.info.x11.window;
	return true;
}

XErrorHandler sPreviousHandler = nullptr;

int FilterErrors(Display* display, XErrorEvent* error)
{
	if (error->error_code == BadWindow && error->request_code == 25 /* X_SendEvent */)
		return 0;
	return sPreviousHandler != nullptr ? sPreviousHandler(display, error) : 0;
}

}  // namespace

void XWindowPlacement::IgnoreWakeUpsOfGoneWindows()
{
	if (strcmp(SDL_GetCurrentVideoDriver() != nullptr ? SDL_GetCurrentVideoDriver() : "", "x11") != 0)
		return;
	XErrorHandler previous = XSetErrorHandler(FilterErrors);
	if (previous != FilterErrors)
		sPreviousHandler = previous;
}

bool XWindowPlacement::KeepContentInPlace(SDL_Window* window)
{
	Display* display = nullptr;
	Window xwindow = 0;
	if (!XWindowOf(window, &display, &xwindow))
		return false;
	XSizeHints* hints = XAllocSizeHints();
	if (hints == nullptr)
		return false;
	long supplied = 0;
	XGetWMNormalHints(display, xwindow, hints, &supplied);
	hints->flags |= PWinGravity;
	hints->win_gravity = StaticGravity;
	XSetWMNormalHints(display, xwindow, hints);
	XFree(hints);
	return true;
}

bool XWindowPlacement::MoveContent(SDL_Window* window, int32 x, int32 y)
{
	Display* display = nullptr;
	Window xwindow = 0;
	if (!XWindowOf(window, &display, &xwindow))
		return false;
	// With static gravity the manager takes this as the content's position; SDL's
	// own move would subtract the decoration a second time.
	XMoveWindow(display, xwindow, x, y);
	XFlush(display);
	return true;
}
