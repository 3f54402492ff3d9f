// PanelWindow: the window of a BFilePanel and all that happens in it: the folder
// shown (through FolderListing and the panel's ref filter), moving through folders,
// the path and name fields, and confirming or cancelling, which it reports to the
// panel's target through the panel's SendMessage hook.
// Threading: its own thread; the panel's calls below need the window locked.
#ifndef _CVAB_PANEL_WINDOW_H
#define _CVAB_PANEL_WINDOW_H

#include <FilePanel.h>
#include <Window.h>

#include "FolderListing.h"

#include <memory>
#include <string>

class BButton;
class BListView;

namespace BPrivate {

class PanelField;

struct PanelSettings {
	file_panel_mode mode = B_OPEN_PANEL;
	BMessenger target;
	std::string folder;
	uint32 flavors = 0;
	bool multipleSelection = true;
	const BMessage* message = nullptr;  // copied
	BRefFilter* filter = nullptr;
	bool modal = false;
	bool hideWhenDone = true;
};

class PanelWindow : public BWindow {
public:
	PanelWindow(BFilePanel* panel, const PanelSettings& settings);
	~PanelWindow() override;

	void DispatchMessage(BMessage* message, BHandler* handler) override;
	void MessageReceived(BMessage* message) override;

	// The panel's calls.
	void ShowPanel();
	void HidePanel();
	bool IsShowing() const { return !IsHidden(); }
	// The folder, normalised; one that cannot be read changes nothing.
	status_t SetFolder(const char* path);
	const std::string& Folder() const { return fListing.Path(); }
	void Refresh();
	void SetTarget(BMessenger target) { fTarget = target; }
	void SetMessage(const BMessage* message);
	void SetFilter(BRefFilter* filter);
	BRefFilter* Filter() const { return fFilter; }
	void SetSaveText(const char* text);
	void SetButtonLabel(file_panel_button button, const char* label);
	void SetHideWhenDone(bool hideWhenDone) { fHideWhenDone = hideWhenDone; }
	bool HidesWhenDone() const { return fHideWhenDone; }
	void Rewind() { fNextSelected = 0; }
	status_t NextSelectedRef(entry_ref* ref);

private:
	void _Build();
	float _BuildTopRow(BView* parent);
	float _BuildButtons(BView* parent);
	void _BuildNameRow(BView* parent, float bottom);
	void _BuildList(BView* parent, float top, float bottom);
	bool _HandleKey(BMessage* message);

	void _ShowListing();
	void _ClearList();
	void _GoUp();
	void _PathEntered();
	bool _Accepts(const entry_ref& ref) const;
	const FolderEntry* _Selected(int32 i) const;
	void _SelectionChanged();
	void _UpdateButtons();

	void _Invoked();
	void _DefaultPressed();
	void _Open(bool sendFolders);
	void _Save(const std::string& name);
	void _AskReplace(const std::string& name);
	void _ReplaceAnswered(BMessage* answer);
	void _SendSave(const std::string& folder, const std::string& name);
	void _Done();
	uint32 _MessageWhat() const;
	BMessage _PanelMessage() const;

	BFilePanel* fPanel;
	const file_panel_mode fMode;
	BMessenger fTarget;
	std::unique_ptr<BMessage> fMessage;
	const uint32 fFlavors;
	const bool fMultiple;
	BRefFilter* fFilter;
	bool fHideWhenDone;
	FolderListing fListing;
	int32 fNextSelected = 0;
	// The save that waits for the answer to the replace question.
	std::string fPendingFolder;
	std::string fPendingName;

	BButton* fUpButton = nullptr;
	PanelField* fPathField = nullptr;
	BListView* fList = nullptr;
	PanelField* fNameField = nullptr;
	BButton* fCancelButton = nullptr;
	BButton* fDefaultButton = nullptr;
};

}  // namespace BPrivate

#endif
