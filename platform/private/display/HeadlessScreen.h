// Drives the headless display for tests: input as if from the devices, at screen
// points; the window manager's actions; pictures of windows and of the screen;
// and the point where everything has settled. Points, sizes and pictures are the
// device's: at a scale of 2 (CVAB_SCALE=2) twice the API's.
// Threading: any thread except a window's own (WaitForIdle would wait on itself).
#ifndef _HEADLESS_SCREEN_H
#define _HEADLESS_SCREEN_H

#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Rect.h>

#include <string>

class BWindow;
class Framebuffer;

namespace BPrivate {

class HeadlessScreen {
public:
	// Selects the headless backend; call before the first window or screen use.
	static void Use();

	static void MoveMouse(BPoint screenPoint);
	static void PressMouse(uint32 buttons = B_PRIMARY_MOUSE_BUTTON, int32 clicks = 1);
	static void ReleaseMouse();
	// Move, press and release at one point.
	static void Click(BPoint screenPoint, int32 clicks = 1);
	static void Wheel(float dx, float dy);
	// Modifier keys held down for the mouse events that follow (Shift-click...).
	static void HoldModifiers(uint32 modifiers);

	static void KeyDown(const char* bytes, uint32 modifiers = 0);
	static void KeyUp(const char* bytes, uint32 modifiers = 0);
	// Down and up of one key.
	static void TypeKey(const char* bytes, uint32 modifiers = 0);
	// A function key's down and up: B_FUNCTION_KEY with "key" B_F1_KEY ... B_F12_KEY.
	static void TypeFunctionKey(int32 key);
	// One key per cluster (what a user sees as one character).
	static void TypeText(const char* text);
	// An input method's composition under way (empty: it ends), its caret a byte
	// offset (-1: at its end); and text it commits, which arrives as keys.
	static void Compose(const char* text, int32 caret = -1);
	static void CommitText(const char* text);
	// Where the window's focused text told the input method its caret is, in the
	// window's device pixels.
	static BRect TextInputRect(BWindow* window);

	// What the window manager would do for the user.
	static void UserMove(BWindow* window, BPoint where);
	static void UserResize(BWindow* window, float width, float height);
	static void ClickCloseBox(BWindow* window);

	// Waits until the display and every looper have nothing left to do.
	static bool WaitForIdle(bigtime_t timeout = 5000000);

	// The last presented frame of a window, or of the whole screen.
	static bool WindowPicture(BWindow* window, Framebuffer& picture);
	static bool ScreenPicture(Framebuffer& picture);
	static rgb_color WindowPixel(BWindow* window, int32 x, int32 y);
	static rgb_color ScreenPixel(int32 x, int32 y);
	static status_t SaveWindowPng(BWindow* window, const char* path);
	static status_t SaveScreenPng(const char* path);

	// The cursor the application chose last: "default" or "ibeam".
	static std::string CursorName();
};

}  // namespace BPrivate

#endif
