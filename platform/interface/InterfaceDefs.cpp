#include <InterfaceDefs.h>

#include "DisplayServer.h"

rgb_color ui_color(color_which which)
{
	switch (which) {
		case B_PANEL_BACKGROUND_COLOR:
			return make_color(216, 216, 216);
		case B_MENU_BACKGROUND_COLOR:
			return make_color(232, 232, 232);
	}
	return make_color(0, 0, 0);
}

uint32 modifiers()
{
	return DisplayServer::Get().Modifiers();
}
