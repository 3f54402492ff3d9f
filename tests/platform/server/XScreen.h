// Reads the X server's screen back, kept apart because Xlib's macros (None, Bool,
// Status) clash with the test framework's names.
#ifndef _X_SCREEN_H
#define _X_SCREEN_H

// The root window's pixel as 0xRRGGBB, or -1 when it cannot be read.
long XScreenPixel(int x, int y);

#endif
