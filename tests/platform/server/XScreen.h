// Reads pixels back from the X server, kept apart because Xlib's macros
// (None, Bool, Status) clash with the test framework's names.
#ifndef _X_SCREEN_H
#define _X_SCREEN_H

class XScreen {
public:
	XScreen();
	~XScreen();
	XScreen(const XScreen&) = delete;
	XScreen& operator=(const XScreen&) = delete;

	bool IsOpen() const { return fDisplay != nullptr; }
	// The root window's pixel as 0xRRGGBB, or -1 when it cannot be read.
	long Pixel(int x, int y) const;

private:
	void* fDisplay;
};

#endif
