// CVABOpenPanel: the open panel of a main window. It lets the user choose one
// file and sends it to the target as B_REFS_RECEIVED with "refs".
// Threading: any thread (the panel locks its own window).
#ifndef _CVAB_OPEN_PANEL_H
#define _CVAB_OPEN_PANEL_H

class BFilePanel;
class BHandler;

class CVABOpenPanel {
public:
	// target must belong to a looper.
	explicit CVABOpenPanel(BHandler* target);
	~CVABOpenPanel();

	CVABOpenPanel(const CVABOpenPanel&) = delete;
	CVABOpenPanel& operator=(const CVABOpenPanel&) = delete;

	void Show();

private:
	BFilePanel* const fPanel;  // owned
};

#endif
