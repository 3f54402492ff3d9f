#include "CVABEntryWindow.h"

#include "BookWindowAccess.h"
#include "CVABook.h"

CVABEntryWindow::CVABEntryWindow(const BMessenger& bookWindow)
	: CVABEditRecordsWindow(bookWindow)
{
	AddDefaultButton("Add_Button", "Add", kEditorAddCommand);
}

CVABEntryWindow::~CVABEntryWindow() = default;

void CVABEntryWindow::Add()
{
	const bool added = WithBook([this](BookWindowAccess* window, CVABook* book) {
		StoreFields(book->AddRecord());
		window->NoteRecordsChanged();
	});
	// With the book window gone the text stays, so nothing typed is lost.
	if (added)
		ClearFields();
}
