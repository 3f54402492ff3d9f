#include "LayoutFunctions.h"

#include <Screen.h>

BRect CenterOnScreen(BRect frame)
{
	const BRect screen = BScreen(B_MAIN_SCREEN_ID).Frame();
	// Whole pixels throughout, so a centred dialog's lines fall on pixel edges.
	const int32 screenWidth = static_cast<int32>(screen.right - screen.left);
	const int32 screenHeight = static_cast<int32>(screen.bottom - screen.top);
	const int32 width = static_cast<int32>(frame.right - frame.left);
	const int32 height = static_cast<int32>(frame.bottom - frame.top);
	const int32 left = screenWidth / 2 - width / 2;
	const int32 top = screenHeight / 2 - height / 2;
	return BRect(left, top, left + width, top + height);
}

void CopyUntilTab(char* dst, const char* src, int32 max)
{
	// A terminator is copied like any byte but ends the copy: nothing after it
	// belongs to src.
	for (int32 i = 0; i < max && src[i] != '\t'; i++) {
		dst[i] = src[i];
		if (src[i] == '\0')
			return;
	}
}
