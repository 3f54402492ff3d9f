#include "CVABSavePanel.h"

#include <Entry.h>
#include <FilePanel.h>
#include <Message.h>
#include <Messenger.h>

#include <string>

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

void CVABSavePanel::Show(bool closing)
{
	BMessage reply(kSavePanelReply);
	reply.AddBool("closing", closing);
	fPanel->SetMessage(&reply);
	fPanel->Show();
}

void CVABSavePanel::OfferBeside(const entry_ref& source)
{
	BEntry folder;
	if (BEntry(&source).GetParent(&folder) == B_OK)
		fPanel->SetPanelDirectory(&folder);
	const std::string name = source.name;
	const size_t dot = name.rfind('.');
	fPanel->SetSaveText((name.substr(0, dot == 0 ? std::string::npos : dot) + ".cvab").c_str());
}
