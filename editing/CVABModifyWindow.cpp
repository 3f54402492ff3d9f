#include "CVABModifyWindow.h"

#include "ABookRecord.h"
#include "CVABWindow.h"
#include "CVABook.h"

#include <Autolock.h>

CVABModifyWindow::CVABModifyWindow(int32 index, CVABWindow* owner)
	: CVABEditRecordsWindow(owner)
{
	AddDefaultButton("Modify_Button", "Done", kEditorDoneCommand);
	const ABookRecord* record = owner->Book() != nullptr ? owner->Book()->RecordAt(index) : nullptr;
	if (record == nullptr)
		return;
	fSerial = record->Serial();
	BAutolock lock(this);
	LoadFields(record);
}

CVABModifyWindow::~CVABModifyWindow() = default;

void CVABModifyWindow::Done()
{
	WithOwner([this](CVABWindow* owner, CVABook* book) {
		if (book == nullptr)
			return;
		ABookRecord* record = book->RecordWithSerial(fSerial);
		if (record == nullptr)
			record = book->AddRecord();
		StoreFields(record);
		NoteChange(owner, book);
		owner->ReloadList();
	});
	PostMessage(B_QUIT_REQUESTED);
}
