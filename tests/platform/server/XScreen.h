// Reads pixels back from the X server and sends it input as if from the devices
// (through the XTEST extension), kept apart because Xlib's macros (None, Bool,
// Status) clash with the test framework's names.
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

	// Moves the pointer to a root window point, presses and releases the first
	// button there, and flushes, so the server has the events when this returns.
	void Click(int x, int y) const;
	// Presses and releases the key for an X keysym (XK_Return is 0xff0d), with Ctrl
	// held around it when asked.
	void TypeKeysym(unsigned long keysym, bool withControl = false) const;
	// Only presses (down) or only releases it, so a key can be held meanwhile.
	void PressKeysym(unsigned long keysym, bool down, bool withControl = false) const;

private:
	void* fDisplay;
};

#endif
