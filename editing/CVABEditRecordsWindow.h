// The record editor's window, shared by its two forms: 21 labelled field views
// above Cancel and the form's own button. It reaches its main window only
// through a messenger and locks it around each use, so it outlives that window
// safely: with the main window gone, Add does nothing and Done and Cancel just
// close.
// Threading: a looper of its own; locks the main window from its handlers,
// never the other way round.
#ifndef _CVAB_EDIT_RECORDS_WINDOW_H
#define _CVAB_EDIT_RECORDS_WINDOW_H

#include "BookFields.h"

#include <Messenger.h>
#include <Window.h>

#include <functional>

class ABookRecord;
class BButton;
class CVABook;
class CVABWindow;
class MyEntryTextView;

class CVABEditRecordsWindow : public BWindow {
public:
	virtual ~CVABEditRecordsWindow();

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;

	MyEntryTextView* FieldView(int32 field) const { return fFieldViews[field]; }

protected:
	// Builds the window, the labels, the field views and Cancel, locked.
	explicit CVABEditRecordsWindow(CVABWindow* owner);

	// Adds the form's default button ("Add_Button" or "Modify_Button").
	void AddDefaultButton(const char* name, const char* label, uint32 command);
	// Runs work with the main window locked; false when that window is gone.
	bool WithOwner(const std::function<void(CVABWindow*, CVABook*)>& work) const;
	// The texts of the field views into record, each as a field keeps it.
	void StoreFields(ABookRecord* record) const;
	void LoadFields(const ABookRecord* record);
	void ClearFields();
	// The book changed: it needs saving, records included.
	static void NoteChange(CVABWindow* owner, CVABook* book);

	virtual void Add() {}
	virtual void Done() {}

private:
	void _Cancel();

	MyEntryTextView* fFieldViews[kBookFieldCount] = {};
	BView* fDialogView = nullptr;
	CVABWindow* const fOwner;
	const BMessenger fOwnerMessenger;
	BButton* fCancelButton = nullptr;
};

// Editor command codes, posted by the buttons to their own window.
constexpr uint32 kEditorAddCommand = 'eadb';
constexpr uint32 kEditorDoneCommand = 'mdad';
constexpr uint32 kEditorCancelCommand = 'ecnb';

#endif
