// Sections: building; the book window through its messenger; field texts;
// messages.
#include "CVABEditRecordsWindow.h"

#include "ABookRecord.h"
#include "CVABook.h"
#include "LayoutFunctions.h"
#include "LockedBookWindow.h"
#include "MyEntryTextView.h"

#include <Autolock.h>
#include <Button.h>
#include <StringView.h>

namespace {

const rgb_color kDialogColor = {216, 216, 216, 255};

}  // namespace

// --- building

CVABEditRecordsWindow::CVABEditRecordsWindow(const BMessenger& bookWindow)
	: CVABDialogWindow(CenterOnScreen(BRect(10, 10, 280, 480)), "Record Data Entry",
		B_TITLED_WINDOW, 0, kEditorCancelCommand),
	  fBookWindow(bookWindow)
{
	BAutolock lock(this);
	fDialogView = new BView(Bounds(), "DialogView", B_FOLLOW_ALL,
		B_WILL_DRAW | B_PULSE_NEEDED | B_NAVIGABLE_JUMP | B_NAVIGABLE);
	AddChild(fDialogView);
	fDialogView->SetViewColor(kDialogColor);
	for (int32 field = 0; field < kBookFieldCount; field++) {
		const float y = 4 + 20 * field;
		const char* name = kBookFieldNames[field];
		const float width = fDialogView->StringWidth(name);
		fDialogView->AddChild(new BStringView(BRect(80 - width, y, 80, y + 18), name, name,
			B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW));
		MyEntryTextView* view = new MyEntryTextView(BRect(85, y, 245, y + 20), name,
			BRect(5, 4, 152, 10), B_FOLLOW_ALL, B_WILL_DRAW | B_PULSE_NEEDED | B_NAVIGABLE);
		view->SetWordWrap(false);
		view->SetMaxBytes(kFieldTextLength);
		fDialogView->AddChild(view);
		fFieldViews[field] = view;
	}
	fFieldViews[0]->MakeFocus(true);
	fCancelButton = new BButton(BRect(70, 440, 115, 465), "Cancel_Button", "Cancel",
		new BMessage(kEditorCancelCommand), B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW | B_NAVIGABLE);
	fDialogView->AddChild(fCancelButton);
}

CVABEditRecordsWindow::~CVABEditRecordsWindow() = default;

void CVABEditRecordsWindow::AddDefaultButton(const char* name, const char* label,
	uint32 command)
{
	BAutolock lock(this);
	BButton* button = new BButton(BRect(150, 440, 195, 465), name, label, new BMessage(command),
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	fDialogView->AddChild(button);
	SetDefaultButton(button);
}

// --- the book window through its messenger

bool CVABEditRecordsWindow::WithBook(
	const std::function<void(BookWindowAccess*, CVABook*)>& work) const
{
	const LockedBookWindow window(fBookWindow);
	if (!window)
		return false;
	if (window->Book() != nullptr)
		work(window.Window(), window->Book());
	return true;
}

// --- field texts

void CVABEditRecordsWindow::StoreFields(ABookRecord* record) const
{
	for (int32 field = 0; field < kBookFieldCount; field++) {
		const std::string text = fFieldViews[field]->FieldText();
		record->SetField(field, text.c_str(), text.size());
	}
}

void CVABEditRecordsWindow::LoadFields(const ABookRecord* record)
{
	for (int32 field = 0; field < kBookFieldCount; field++) {
		fFieldViews[field]->Insert(record->Field(field));
		fFieldViews[field]->SelectAll();
	}
}

void CVABEditRecordsWindow::ClearFields()
{
	for (MyEntryTextView* view : fFieldViews)
		view->SetText("");
	fFieldViews[0]->MakeFocus(true);
}

// --- messages

void CVABEditRecordsWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kEditorAddCommand:
			Add();
			break;
		case kEditorDoneCommand:
			Done();
			break;
		case kEditorCancelCommand:
			_Cancel();
			break;
		case B_KEY_DOWN:
			break;
		default:
			CVABDialogWindow::MessageReceived(message);
			break;
	}
}

// Typed text since the last Add (or since opening) is dropped; the main list
// shows what Add appended.
void CVABEditRecordsWindow::_Cancel()
{
	PostMessage(B_QUIT_REQUESTED);
	WithBook([](BookWindowAccess* window, CVABook*) { window->ReloadList(); });
}

bool CVABEditRecordsWindow::QuitRequested()
{
	return true;
}
