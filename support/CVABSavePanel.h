// CVABSavePanel: the save panel of a main window. It sends the chosen folder and
// name to the target as kSavePanelReply with "directory" (entry_ref) and
// "name" (string).
// Threading: any thread (the panel locks its own window).
#ifndef _CVAB_SAVE_PANEL_H
#define _CVAB_SAVE_PANEL_H

#include <SupportDefs.h>

class BFilePanel;
class BHandler;

constexpr uint32 kSavePanelReply = 'SvFl';

class CVABSavePanel {
public:
	// target must belong to a looper.
	explicit CVABSavePanel(BHandler* target);
	~CVABSavePanel();

	CVABSavePanel(const CVABSavePanel&) = delete;
	CVABSavePanel& operator=(const CVABSavePanel&) = delete;

	void Show();
	BFilePanel* Panel() const { return fPanel; }

private:
	BFilePanel* const fPanel;  // owned
};

#endif
