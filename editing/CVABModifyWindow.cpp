#include "CVABModifyWindow.h"

#include "ABookRecord.h"
#include "BookWindowAccess.h"
#include "CVABook.h"
#include "MyEntryTextView.h"

#include <Autolock.h>

CVABModifyWindow::CVABModifyWindow(const BMessenger& bookWindow, const ABookRecord* record)
	: CVABEditRecordsWindow(bookWindow)
{
	AddDefaultButton("Modify_Button", "Done", kEditorDoneCommand);
	if (record == nullptr)
		return;
	fId = record->Id();
	for (int32 field = 0; field < kBookFieldCount; field++)
		fLoaded[field] = record->Field(field);
	BAutolock lock(this);
	LoadFields(record);
}

CVABModifyWindow::~CVABModifyWindow() = default;

void CVABModifyWindow::Done()
{
	WithBook([this](BookWindowAccess* window, CVABook* book) {
		ABookRecord* record = fId.IsNil() ? nullptr : book->RecordWithId(fId);
		if (record == nullptr) {
			StoreFields(book->AddRecord());
		} else {
			for (int32 field = 0; field < kBookFieldCount; field++) {
				const std::string text = FieldView(field)->FieldText();
				if (text != fLoaded[field])
					record->SetField(field, text.c_str(), text.size());
			}
		}
		window->NoteRecordsChanged();
		window->ReloadList();
	});
	PostMessage(B_QUIT_REQUESTED);
}
