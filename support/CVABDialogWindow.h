// A dialog window whose Escape key does what its Cancel button does: the
// button's command is posted to the window, whichever view has the focus.
// Threading: a looper of its own.
#ifndef _CVAB_DIALOG_WINDOW_H
#define _CVAB_DIALOG_WINDOW_H

#include <Window.h>

class CVABDialogWindow : public BWindow {
public:
	void DispatchMessage(BMessage* message, BHandler* handler) override;

protected:
	// cancelCommand: what the window's Cancel button sends.
	CVABDialogWindow(BRect frame, const char* title, window_type type, uint32 flags,
		uint32 cancelCommand);

private:
	const uint32 fCancelCommand;
};

#endif
