#include "CVABEntryWindow.h"

#include "CVABook.h"

CVABEntryWindow::CVABEntryWindow(CVABWindow* owner)
	: CVABEditRecordsWindow(owner)
{
	AddDefaultButton("Add_Button", "Add", kEditorAddCommand);
}

CVABEntryWindow::~CVABEntryWindow() = default;

void CVABEntryWindow::Add()
{
	const bool added = WithOwner([this](CVABWindow* owner, CVABook* book) {
		if (book == nullptr)
			return;
		StoreFields(book->AddRecord());
		NoteChange(owner, book);
	});
	// With the main window gone the text stays, so nothing typed is lost.
	if (added)
		ClearFields();
}
