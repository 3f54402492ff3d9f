// CVABSavePanel: the save panel of a main window. It sends the chosen folder and
// name to the target as kSavePanelReply with "directory" (entry_ref), "name"
// (string) and "closing" (bool, as it was shown).
// Threading: any thread (the panel locks its own window).
#ifndef _CVAB_SAVE_PANEL_H
#define _CVAB_SAVE_PANEL_H

#include <SupportDefs.h>

class BFilePanel;
class BHandler;
struct entry_ref;

constexpr uint32 kSavePanelReply = 'SvFl';

class CVABSavePanel {
public:
	// target must belong to a looper.
	explicit CVABSavePanel(BHandler* target);
	~CVABSavePanel();

	CVABSavePanel(const CVABSavePanel&) = delete;
	CVABSavePanel& operator=(const CVABSavePanel&) = delete;

	// closing: the save asked for is part of closing the window.
	void Show(bool closing);
	// Offers to save beside source, under its name with the book ending.
	void OfferBeside(const entry_ref& source);

private:
	BFilePanel* const fPanel;  // owned
};

#endif
