#include "CVABSavePanel.h"

#include <FilePanel.h>
#include <Message.h>
#include <Messenger.h>

namespace {

BFilePanel* MakeSavePanel(BHandler* target)
{
	BMessenger messenger(target);
	BMessage message(kSavePanelReply);
	return new BFilePanel(B_SAVE_PANEL, &messenger, nullptr, 0, false, &message, nullptr,
		false, true);
}

}  // namespace

CVABSavePanel::CVABSavePanel(BHandler* target)
	: fPanel(MakeSavePanel(target))
{
}

CVABSavePanel::~CVABSavePanel()
{
	delete fPanel;
}

void CVABSavePanel::Show()
{
	fPanel->Show();
}
