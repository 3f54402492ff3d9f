#include <Screen.h>

#include "DisplayServer.h"

const screen_id B_MAIN_SCREEN_ID = {0};

BScreen::BScreen(screen_id id)
	: fValid(id.id == B_MAIN_SCREEN_ID.id)
{
}

BScreen::BScreen(BWindow*)
	: fValid(true)
{
}

BRect BScreen::Frame() const
{
	if (!fValid)
		return BRect();
	// The API's pixels: the device's, divided by the scale.
	DisplayServer& server = DisplayServer::Get();
	const PixelRect frame = server.ScreenFrame();
	const int32 scale = server.Scale();
	return BRect(frame.left / scale, frame.top / scale, (frame.right + 1) / scale - 1,
		(frame.bottom + 1) / scale - 1);
}
