// The common part of the About and support windows: a modal window centred on
// the screen with a fixed, unselectable text, a "Web Page" default button that
// opens a page in the web browser and closes, and "Cancel" (or Escape), which
// closes.
// Threading: a looper of its own; it calls no other window.
#ifndef _CVAB_INFO_WINDOW_H
#define _CVAB_INFO_WINDOW_H

#include "CVABDialogWindow.h"

class BButton;

class CVABInfoWindow : public CVABDialogWindow {
public:
	~CVABInfoWindow() override;

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;

protected:
	// text fills the window down to textBottomInset pixels above its bottom;
	// "Web Page" opens url.
	CVABInfoWindow(const char* text, float textBottomInset, const char* url);

private:
	BView* fBackground = nullptr;
	BButton* fCancelButton = nullptr;
	BButton* fWebButton = nullptr;
};

#endif
