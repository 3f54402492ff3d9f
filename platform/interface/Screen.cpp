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
	const PixelRect frame = DisplayServer::Get().ScreenFrame();
	return BRect(frame.left, frame.top, frame.right, frame.bottom);
}
