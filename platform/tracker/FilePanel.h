// BFilePanel: the open and save panels. A panel owns a window that lists one folder
// at a time; the user moves through folders and confirms, and the panel sends its
// message (B_REFS_RECEIVED or B_SAVE_REQUESTED unless given another) to its target,
// then B_CANCEL whenever the panel is hidden. BRefFilter decides which entries show.
// Threading: any thread; each call locks the panel's window. The hooks run in the
// window's thread (or in the caller's, with the window locked, for Hide).
#ifndef _FILE_PANEL_H
#define _FILE_PANEL_H

#include <Entry.h>
#include <Messenger.h>
#include <StorageDefs.h>

#include <sys/stat.h>

class BDirectory;
class BMessage;
class BNode;
class BWindow;

namespace BPrivate {
class PanelWindow;
}

enum file_panel_mode {
	B_OPEN_PANEL,
	B_SAVE_PANEL,
};

enum file_panel_button {
	B_CANCEL_BUTTON,
	B_DEFAULT_BUTTON,
};

class BRefFilter {
public:
	virtual ~BRefFilter();
	// Asked for every entry of the folder shown, folders too; true shows it.
	// mimeType is the node's type attribute, or "" when it has none.
	virtual bool Filter(const entry_ref* ref, BNode* node, struct stat* st,
		const char* mimeType) = 0;
};

class BFilePanel {
public:
	// target: be_app when null. directory: the user's home folder when null.
	// nodeFlavors: what may be chosen (0 means files); folders are always listed.
	// The panel copies message and does not own filter.
	BFilePanel(file_panel_mode mode = B_OPEN_PANEL, BMessenger* target = nullptr,
		const entry_ref* directory = nullptr, uint32 nodeFlavors = 0,
		bool allowMultipleSelection = true, BMessage* message = nullptr,
		BRefFilter* filter = nullptr, bool modal = false, bool hideWhenDone = true);
	// Quits and deletes the window.
	virtual ~BFilePanel();

	void Show();
	// Sends B_CANCEL and calls WasHidden when the panel was showing.
	void Hide();
	bool IsShowing() const;

	// Hooks.
	virtual void WasHidden();
	virtual void SelectionChanged();
	// Every message the panel sends passes through here.
	virtual void SendMessage(const BMessenger* target, BMessage* message);

	// The panel's window, and its messenger. The window lives until the panel ends,
	// unless the application quits it first: Messenger() then is no longer valid.
	BWindow* Window() const;
	BMessenger Messenger() const;
	file_panel_mode PanelMode() const { return fMode; }

	BRefFilter* RefFilter() const;
	// Re-reads the folder through the new filter.
	void SetRefFilter(BRefFilter* filter);
	void SetTarget(BMessenger target);
	// Copies message; null goes back to the mode's own message.
	void SetMessage(BMessage* message);

	// A folder that cannot be read leaves the panel where it was.
	void SetPanelDirectory(const BEntry* entry);
	void SetPanelDirectory(const BDirectory* directory);
	void SetPanelDirectory(const entry_ref* ref);
	void SetPanelDirectory(const char* path);
	void GetPanelDirectory(entry_ref* ref) const;

	// The save panel's name field.
	void SetSaveText(const char* text);
	void SetButtonLabel(file_panel_button button, const char* label);
	void SetHideWhenDone(bool hideWhenDone);
	bool HidesWhenDone() const;

	void Refresh();
	// The selected entries, one at a time; B_ENTRY_NOT_FOUND after the last.
	void Rewind();
	status_t GetNextSelectedRef(entry_ref* ref);

private:
	BFilePanel(const BFilePanel&) = delete;
	BFilePanel& operator=(const BFilePanel&) = delete;

	// The window locked, or null when it is gone.
	class WindowLock;

	file_panel_mode fMode;
	BPrivate::PanelWindow* fWindow;
	BMessenger fWindowMessenger;
};

#endif
