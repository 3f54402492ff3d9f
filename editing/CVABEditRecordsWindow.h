// The record editor's window, shared by its two forms: 21 labelled field views
// above Cancel and the form's own button; Escape is Cancel. It reaches its book
// window only through that window's messenger, locked for each use, so it
// outlives that window safely: with the book window gone, Add does nothing and
// Done and Cancel just close.
// Threading: a looper of its own; locks the book window from its handlers,
// never the other way round.
#ifndef _CVAB_EDIT_RECORDS_WINDOW_H
#define _CVAB_EDIT_RECORDS_WINDOW_H

#include "BookFields.h"
#include "CVABDialogWindow.h"

#include <Messenger.h>

#include <functional>

class ABookRecord;
class BButton;
class BookWindowAccess;
class CVABook;
class MyEntryTextView;

class CVABEditRecordsWindow : public CVABDialogWindow {
public:
	virtual ~CVABEditRecordsWindow();

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;

	MyEntryTextView* FieldView(int32 field) const { return fFieldViews[field]; }

protected:
	// Builds the window, the labels, the field views and Cancel, locked.
	explicit CVABEditRecordsWindow(const BMessenger& bookWindow);

	// Adds the form's default button ("Add_Button" or "Modify_Button").
	void AddDefaultButton(const char* name, const char* label, uint32 command);
	// Runs work with the book window locked, when it has a book; false when the
	// window is gone.
	bool WithBook(const std::function<void(BookWindowAccess*, CVABook*)>& work) const;
	// The texts of the field views into record, each as a field keeps it.
	void StoreFields(ABookRecord* record) const;
	void LoadFields(const ABookRecord* record);
	void ClearFields();

	virtual void Add() {}
	virtual void Done() {}

private:
	void _Cancel();

	MyEntryTextView* fFieldViews[kBookFieldCount] = {};
	BView* fDialogView = nullptr;
	const BMessenger fBookWindow;
	BButton* fCancelButton = nullptr;
};

// Editor command codes, posted by the buttons to their own window.
constexpr uint32 kEditorAddCommand = 'eadb';
constexpr uint32 kEditorDoneCommand = 'mdad';
constexpr uint32 kEditorCancelCommand = 'ecnb';

#endif
