// Two small helpers of the dialogs: centring a window frame on the main screen,
// and copying a field's text up to a tab.
// Threading: any thread.
#ifndef _LAYOUT_FUNCTIONS_H
#define _LAYOUT_FUNCTIONS_H

#include <Rect.h>

// frame moved so that it is centred on the main screen; it keeps its width and
// height cut to whole pixels. A frame larger than the screen gets a negative
// left or top.
BRect CenterOnScreen(BRect frame);

// Copies at most max bytes of src to dst, stopping before the first tab (or
// after src's terminator). Otherwise no terminator is written: the caller
// clears or terminates dst.
void CopyUntilTab(char* dst, const char* src, int32 max);

#endif
