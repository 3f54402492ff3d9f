#include "CVABDialogWindow.h"

#include <InterfaceDefs.h>
#include <Message.h>

#include <cstring>

CVABDialogWindow::CVABDialogWindow(BRect frame, const char* title, window_type type,
	uint32 flags, uint32 cancelCommand)
	: BWindow(frame, title, type, flags),
	  fCancelCommand(cancelCommand)
{
}

void CVABDialogWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	const char escape[] = {B_ESCAPE, '\0'};
	if (message->what == B_KEY_DOWN && strcmp(message->GetString("bytes", ""), escape) == 0) {
		PostMessage(fCancelCommand);
		return;
	}
	BWindow::DispatchMessage(message, handler);
}
