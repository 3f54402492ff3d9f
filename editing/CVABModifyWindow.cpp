#include "CVABModifyWindow.h"

#include "ABookRecord.h"
#include "BookWindowAccess.h"
#include "CVABook.h"

#include <Autolock.h>

CVABModifyWindow::CVABModifyWindow(const BMessenger& bookWindow, const ABookRecord* record)
	: CVABEditRecordsWindow(bookWindow)
{
	AddDefaultButton("Modify_Button", "Done", kEditorDoneCommand);
	if (record == nullptr)
		return;
	fSerial = record->Serial();
	BAutolock lock(this);
	LoadFields(record);
}

CVABModifyWindow::~CVABModifyWindow() = default;

void CVABModifyWindow::Done()
{
	WithBook([this](BookWindowAccess* window, CVABook* book) {
		ABookRecord* record = book->RecordWithSerial(fSerial);
		if (record == nullptr)
			record = book->AddRecord();
		StoreFields(record);
		window->NoteRecordsChanged();
		window->ReloadList();
	});
	PostMessage(B_QUIT_REQUESTED);
}
