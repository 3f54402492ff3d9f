#include "XScreen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

long XScreenPixel(int x, int y)
{
	static Display* const display = XOpenDisplay(nullptr);  // for the program's life
	XImage* image = display != nullptr ? XGetImage(display, DefaultRootWindow(display), x, y,
		1, 1, AllPlanes, ZPixmap) : nullptr;
	if (image == nullptr)
		return -1;
	const unsigned long pixel = XGetPixel(image, 0, 0);
	XDestroyImage(image);
	return long(pixel & 0xffffff);
}
