#include "HeadlessScreen.h"

#include <OS.h>
#include <Window.h>

#include "DisplayServer.h"
#include "LooperRegistry.h"
#include "PngWriter.h"
#include "WindowServerLink.h"

#include "TextBreaks.h"

#include <stdlib.h>
#include <string.h>

namespace BPrivate {

namespace {

// The pointer as the tests drive it.
BPoint sMouse;
uint32 sButtons = 0;
uint32 sHeldModifiers = 0;

DisplayServer& Server()
{
	return DisplayServer::Get();
}

void SendMouse(BackendEvent::Kind kind, int32 clicks = 1)
{
	BackendEvent event;
	event.kind = kind;
	event.x = (int32)sMouse.x;
	event.y = (int32)sMouse.y;
	event.buttons = sButtons;
	event.clicks = clicks;
	event.modifiers = sHeldModifiers;
	Server().Inject(event);
}

void SendKey(BackendEvent::Kind kind, const char* bytes, uint32 modifiers, int32 key = 0)
{
	BackendEvent event;
	event.kind = kind;
	event.key = key;
	event.bytes = bytes;
	event.rawChar = (uint8)bytes[0];
	event.modifiers = modifiers;
	Server().Inject(event);
}

int32 IdOf(BWindow* window)
{
	return WindowServerLink::IdOf(window);
}

rgb_color ColorOf(uint32 pixel)
{
	return make_color((pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
}

}  // namespace

void HeadlessScreen::Use()
{
	setenv("CVAB_BACKEND", "headless", 1);
}

void HeadlessScreen::MoveMouse(BPoint screenPoint)
{
	sMouse = screenPoint;
	SendMouse(BackendEvent::kMouseMoved);
}

void HeadlessScreen::PressMouse(uint32 buttons, int32 clicks)
{
	sButtons |= buttons;
	SendMouse(BackendEvent::kMouseDown, clicks);
}

void HeadlessScreen::ReleaseMouse()
{
	sButtons = 0;
	SendMouse(BackendEvent::kMouseUp);
}

void HeadlessScreen::Click(BPoint screenPoint, int32 clicks)
{
	MoveMouse(screenPoint);
	PressMouse(B_PRIMARY_MOUSE_BUTTON, clicks);
	ReleaseMouse();
}

void HeadlessScreen::Wheel(float dx, float dy)
{
	BackendEvent event;
	event.kind = BackendEvent::kMouseWheel;
	event.x = (int32)sMouse.x;
	event.y = (int32)sMouse.y;
	event.wheelX = dx;
	event.wheelY = dy;
	Server().Inject(event);
}

void HeadlessScreen::HoldModifiers(uint32 modifiers)
{
	sHeldModifiers = modifiers;
}

void HeadlessScreen::KeyDown(const char* bytes, uint32 modifiers)
{
	SendKey(BackendEvent::kKeyDown, bytes, modifiers);
}

void HeadlessScreen::KeyUp(const char* bytes, uint32 modifiers)
{
	SendKey(BackendEvent::kKeyUp, bytes, modifiers);
}

void HeadlessScreen::TypeKey(const char* bytes, uint32 modifiers)
{
	KeyDown(bytes, modifiers);
	KeyUp(bytes, modifiers);
}

void HeadlessScreen::TypeFunctionKey(int32 key)
{
	const char bytes[] = {B_FUNCTION_KEY, '\0'};
	SendKey(BackendEvent::kKeyDown, bytes, 0, key);
	SendKey(BackendEvent::kKeyUp, bytes, 0, key);
}

void HeadlessScreen::TypeText(const char* text)
{
	const TextBreaks breaks(text);
	for (int32 start = 0; start < breaks.Length();) {
		const int32 end = breaks.NextCluster(start);
		TypeKey(std::string(text + start, (size_t)(end - start)).c_str());
		start = end;
	}
}

void HeadlessScreen::Compose(const char* text, int32 caret)
{
	BackendEvent event;
	event.kind = BackendEvent::kComposition;
	event.bytes = text;
	event.caret = caret < 0 ? (int32)event.bytes.size() : caret;
	Server().Inject(event);
}

void HeadlessScreen::CommitText(const char* text)
{
	BackendEvent event;
	event.kind = BackendEvent::kText;
	event.bytes = text;
	event.rawChar = (uint8)text[0];
	Server().Inject(event);
}

BRect HeadlessScreen::TextInputRect(BWindow* window)
{
	const PixelRect rect = Server().TextInputRect(IdOf(window));
	return BRect(rect.left, rect.top, rect.right, rect.bottom);
}

void HeadlessScreen::UserMove(BWindow* window, BPoint where)
{
	BackendEvent event;
	event.kind = BackendEvent::kWindowMoved;
	event.window = IdOf(window);
	event.x = (int32)where.x;
	event.y = (int32)where.y;
	Server().Inject(event);
}

void HeadlessScreen::UserResize(BWindow* window, float width, float height)
{
	BackendEvent event;
	event.kind = BackendEvent::kWindowResized;
	event.window = IdOf(window);
	event.width = (int32)width + 1;
	event.height = (int32)height + 1;
	Server().Inject(event);
}

void HeadlessScreen::ClickCloseBox(BWindow* window)
{
	BackendEvent event;
	event.kind = BackendEvent::kWindowCloseRequested;
	event.window = IdOf(window);
	Server().Inject(event);
}

bool HeadlessScreen::WaitForIdle(bigtime_t timeout)
{
	// Idle must hold several times in a row: a looper may post to the display,
	// which then posts to another looper.
	const bigtime_t deadline = system_time() + timeout;
	int32 calm = 0;
	while (system_time() < deadline) {
		if (Server().IsIdle() && LooperRegistry::IsIdle()) {
			if (++calm >= 3)
				return true;
		} else {
			calm = 0;
		}
		snooze(1000);
	}
	return false;
}

bool HeadlessScreen::WindowPicture(BWindow* window, Framebuffer& picture)
{
	const int32 id = IdOf(window);
	return id >= 0 && Server().Snapshot(id, picture);
}

bool HeadlessScreen::ScreenPicture(Framebuffer& picture)
{
	return Server().SnapshotScreen(picture);
}

rgb_color HeadlessScreen::WindowPixel(BWindow* window, int32 x, int32 y)
{
	Framebuffer picture;
	if (!WindowPicture(window, picture) || !picture.Bounds().Contains(x, y))
		return make_color(0, 0, 0, 0);
	return ColorOf(picture.PixelAt(x, y));
}

rgb_color HeadlessScreen::ScreenPixel(int32 x, int32 y)
{
	Framebuffer picture;
	if (!ScreenPicture(picture) || !picture.Bounds().Contains(x, y))
		return make_color(0, 0, 0, 0);
	return ColorOf(picture.PixelAt(x, y));
}

status_t HeadlessScreen::SaveWindowPng(BWindow* window, const char* path)
{
	Framebuffer picture;
	if (!WindowPicture(window, picture))
		return B_BAD_VALUE;
	return WritePng(picture, path);
}

status_t HeadlessScreen::SaveScreenPng(const char* path)
{
	Framebuffer picture;
	ScreenPicture(picture);
	return WritePng(picture, path);
}

std::string HeadlessScreen::CursorName()
{
	switch (Server().Cursor()) {
		case CursorKind::kIBeam:
			return "ibeam";
		default:
			return "default";
	}
}

}  // namespace BPrivate
