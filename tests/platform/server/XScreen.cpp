#include "XScreen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>

XScreen::XScreen()
	: fDisplay(XOpenDisplay(nullptr))
{
}

XScreen::~XScreen()
{
	if (fDisplay != nullptr)
		XCloseDisplay(static_cast<Display*>(fDisplay));
}

long XScreen::Pixel(int x, int y) const
{
	Display* display = static_cast<Display*>(fDisplay);
	if (display == nullptr)
		return -1;
	XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes,
		ZPixmap);
	if (image == nullptr)
		return -1;
	const unsigned long pixel = XGetPixel(image, 0, 0);
	XDestroyImage(image);
	return long(pixel & 0xffffff);
}

void XScreen::Click(int x, int y) const
{
	Display* display = static_cast<Display*>(fDisplay);
	if (display == nullptr)
		return;
	XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
	XTestFakeButtonEvent(display, 1, True, CurrentTime);
	XTestFakeButtonEvent(display, 1, False, CurrentTime);
	XSync(display, False);
}

void XScreen::PressKeysym(unsigned long keysym, bool down, bool withControl) const
{
	Display* display = static_cast<Display*>(fDisplay);
	if (display == nullptr)
		return;
	const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
	const KeyCode code = XKeysymToKeycode(display, keysym);
	if (withControl && down)
		XTestFakeKeyEvent(display, control, True, CurrentTime);
	XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
	if (withControl && !down)
		XTestFakeKeyEvent(display, control, False, CurrentTime);
	XSync(display, False);
}

void XScreen::TypeKeysym(unsigned long keysym, bool withControl) const
{
	PressKeysym(keysym, true, withControl);
	PressKeysym(keysym, false, withControl);
}
