#include "CVABOpenPanel.h"

#include <AppDefs.h>
#include <FilePanel.h>
#include <Message.h>
#include <Messenger.h>

namespace {

BFilePanel* MakeOpenPanel(BHandler* target)
{
	BMessenger messenger(target);
	BMessage message(B_REFS_RECEIVED);
	// Files only, one at a time: a book opens in one window.
	return new BFilePanel(B_OPEN_PANEL, &messenger, nullptr, 0, false, &message, nullptr,
		false, true);
}

}  // namespace

CVABOpenPanel::CVABOpenPanel(BHandler* target)
	: fPanel(MakeOpenPanel(target))
{
}

CVABOpenPanel::~CVABOpenPanel()
{
	delete fPanel;
}

void CVABOpenPanel::Show()
{
	fPanel->Show();
}
