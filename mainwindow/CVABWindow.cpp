// Sections: construction; the document's list area; the header strip and the View
// menu; dispatch; commands on the selection; frames and activation; reading;
// saving (whole, frame only, the questions that come first); closing.
#include "CVABWindow.h"

#include "ABListItem.h"
#include "ABListView.h"
#include "BookClipboard.h"
#include "BookFile.h"
#include "BookMenus.h"
#include "BookShell.h"
#include "CVABEntryWindow.h"
#include "CVABFindWindow.h"
#include "CVABModifyWindow.h"
#include "CVABOpenPanel.h"
#include "CVABSavePanel.h"
#include "CVABook.h"
#include "CommandCodes.h"
#include "MyButton.h"
#include "RecordActions.h"

#include <Alert.h>
#include <Application.h>
#include <Autolock.h>
#include <Directory.h>
#include <Entry.h>
#include <Invoker.h>
#include <List.h>
#include <Screen.h>
#include <ScrollBar.h>
#include <ScrollView.h>

#include <cstdio>

const char kMainWindowTitle[] = "Corvane Address Book LITE";

namespace {

const rgb_color kWindowViewColor = {221, 235, 249, 255};

// The View menu's presets, in column order.
const int32 kNameEmailFields[] = {kFirstNameField, kLastNameField, kEmail1Field, kEmail2Field};
const int32 kNamePhoneFields[] = {kFirstNameField, kLastNameField, kPhoneField, kCellField,
	kFaxField};
const int32 kNameAddressFields[] = {kFirstNameField, kLastNameField, kAddress1Field,
	kAddress2Field, kCityField, kStateField, kZipField, kCountryField};

bool ValidField(int32 field)
{
	return field >= 0 && field < kBookFieldCount;
}

void ShowAlert(const std::string& text, const char* button1, const char* button2,
	const char* button3, alert_type type, BInvoker* invoker)
{
	BAlert* alert = new BAlert("Corvane Address Book LITE", text.c_str(), button1, button2,
		button3, B_WIDTH_AS_USUAL, button3 != nullptr ? B_OFFSET_SPACING : B_EVEN_SPACING,
		type);
	alert->Go(invoker);
}

}  // namespace

// --- construction

CVABWindow::CVABWindow(BRect frame, BookShell* shell)
	: BWindow(frame, kMainWindowTitle, B_DOCUMENT_WINDOW, 0),
	  fShell(shell)
{
	const BRect screen = BScreen(B_MAIN_SCREEN_ID).Frame();
	SetSizeLimits(340, screen.right - 20, 54, screen.bottom);
	_BuildWindowView();
	{
		BAutolock lock(this);
		fMenus = std::make_unique<BookMenus>(fWindowView, Bounds().Width());
	}
	_BuildButtonBar();
	fOpenPanel = std::make_unique<CVABOpenPanel>(be_app);
	fSavePanel = std::make_unique<CVABSavePanel>(this);
}

CVABWindow::~CVABWindow()
{
	fOpenPanel.reset();
	fSavePanel.reset();
	fBook.reset();
}

void CVABWindow::_BuildWindowView()
{
	BAutolock lock(this);
	fWindowView = new BView(Bounds(), "WindowView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	AddChild(fWindowView);
	fWindowView->SetViewColor(kWindowViewColor);
}

// --- the document's list area

void CVABWindow::BuildRecordList()
{
	BAutolock lock(this);
	BRect frame = fWindowView->Bounds();
	frame.top += 37;
	frame.right -= 14;
	frame.bottom -= 14;
	fListView = new ABListView(frame, "BListView", this);
	fScrollView = new BScrollView("Scroll", fListView, B_FOLLOW_ALL_SIDES, B_WILL_DRAW, true,
		true, B_NO_BORDER);
	fWindowView->AddChild(fScrollView);
	fScrollView->ScrollBar(B_VERTICAL)->SetSteps(15, 150);
	fScrollView->ScrollBar(B_HORIZONTAL)->SetSteps(15, 175);
	fListView->SetColumnCount(fMenus->CountShownFields());
}

void CVABWindow::RemoveRecordList()
{
	BAutolock lock(this);
	if (fScrollView == nullptr)
		return;
	_EmptyList();
	fWindowView->RemoveChild(fScrollView);
	delete fScrollView;
	fScrollView = nullptr;
	fListView = nullptr;
}

void CVABWindow::_EmptyList()
{
	BAutolock lock(this);
	if (fListView == nullptr)
		return;
	const BPoint offset = fListView->ScrollOffset();
	const int32 count = fListView->CountItems();
	// Take the rows out in one go before deleting them: the list must not draw
	// a row whose item is gone.
	std::vector<BListItem*> rows(fListView->Items(), fListView->Items() + count);
	fListView->MakeEmpty();
	for (BListItem* row : rows)
		delete row;
	fListView->ScrollTo(offset);
}

void CVABWindow::ReloadList()
{
	BAutolock lock(this);
	_EmptyList();
	if (fListView == nullptr || fBook == nullptr)
		return;
	BList rows(fBook->CountRecords());
	for (ABookRecord* record = fBook->FirstRecord(); record != nullptr; record = record->Next())
		rows.AddItem(new ABListItem(record, this));
	fListView->AddList(&rows);
	fMenus->DisableRecordCommands();
	fListView->ScrollTo(BPoint(fListView->ScrollOffset().x, 0));
}

// --- the header strip and the View menu

bool CVABWindow::IsFieldShown(int32 field) const
{
	return fMenus->IsFieldShown(field);
}

void CVABWindow::_BuildButtonBar()
{
	BAutolock lock(this);
	fButtonView = new BView(BRect(0, 16, 10700, 36), "ButtonView",
		B_FOLLOW_TOP | B_FOLLOW_LEFT | B_FOLLOW_RIGHT, B_WILL_DRAW);
	BRect frame(0, 3, 79, 20);
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (!fMenus->IsFieldShown(field))
			continue;
		BMessage* message = new BMessage(kSortCommand);
		message->AddInt32("FieldIndex", field);
		fButtonView->AddChild(new MyButton(frame, kBookFieldNames[field],
			kBookFieldNames[field], message, B_FOLLOW_LEFT | B_FOLLOW_TOP,
			B_WILL_DRAW | B_NAVIGABLE));
		frame.OffsetBy(kColumnWidth, 0);
	}
	fWindowView->AddChild(fButtonView);
	if (fListView != nullptr)
		fButtonView->ScrollTo(fListView->ScrollOffset());
}

void CVABWindow::_RemoveButtonBar()
{
	BAutolock lock(this);
	if (fButtonView == nullptr)
		return;
	fWindowView->RemoveChild(fButtonView);
	delete fButtonView;
	fButtonView = nullptr;
}

void CVABWindow::_RefreshColumns()
{
	_RemoveButtonBar();
	_BuildButtonBar();
	if (fListView != nullptr)
		fListView->SetColumnCount(fMenus->CountShownFields());
	ReloadList();
}

void CVABWindow::_HandleViewCommand(const BMessage* message)
{
	switch (message->what) {
		case kViewAllCommand:
			fMenus->SetAllFields(true);
			break;
		case kViewNameEmailCommand:
			fMenus->ShowOnly(kNameEmailFields, std::size(kNameEmailFields));
			break;
		case kViewNamePhoneCommand:
			fMenus->ShowOnly(kNamePhoneFields, std::size(kNamePhoneFields));
			break;
		case kViewNameAddressCommand:
			fMenus->ShowOnly(kNameAddressFields, std::size(kNameAddressFields));
			break;
		case kViewFieldCommand: {
			int32 field = -1;
			if (message->FindInt32("index", &field) != B_OK || !ValidField(field))
				return;
			fMenus->ToggleField(field);
			break;
		}
	}
	_RefreshColumns();
}

// --- dispatch

void CVABWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case B_CANCEL:
			_PanelCancelled();
			break;
		case B_KEY_DOWN:
			break;
		case kNewBookCommand:
			be_app->PostMessage(kAppNewBook);
			break;
		case kOpenBookCommand:
		case kImportBookCommand:
			fOpenPanel->Show();
			break;
		case kSaveBookCommand:
			_WriteBookFile(false);
			break;
		case kCloseBookCommand:
			PostMessage(B_QUIT_REQUESTED);
			break;
		case kSaveBookAsCommand:
		case kExportBookCommand:
			if (fBook != nullptr)
				_ShowSavePanel(false);
			break;
		case kQuitCommand:
			be_app->PostMessage(B_QUIT_REQUESTED);
			break;
		case kNewRecordCommand:
			_OpenEditor(false);
			break;
		case kModifyRecordCommand:
		case kInvocationCommand:
			_OpenEditor(true);
			break;
		case kFindCommand:
			if (fBook != nullptr) {
				CVABFindWindow* find = new CVABFindWindow(this);
				fFindWindow = BMessenger(find);
				_OpenSecondary(find);
			}
			break;
		case kSelectAllCommand:
			_SelectAll();
			break;
		case kDeleteRecordCommand:
			_DeleteSelected();
			break;
		case kFindNextCommand:
			if (fFindWindow.IsValid())
				fFindWindow.SendMessage(kFindAgainCommand);
			else
				fMenus->SetFindNextEnabled(false);
			break;
		case kSortCommand:
			_Sort(message);
			break;
		case kCopyAddressCommand:
			if (fBook != nullptr)
				CopyAddressText(fBook.get(), _Selection());
			break;
		case kCopyRecordCommand:
			if (fBook != nullptr)
				CopyRecordText(fBook.get(), _Selection());
			break;
		case kOpenWebPageCommand:
			_OpenWebPage();
			break;
		case kViewAllCommand:
		case kViewNameEmailCommand:
		case kViewNamePhoneCommand:
		case kViewNameAddressCommand:
		case kViewFieldCommand:
			_HandleViewCommand(message);
			break;
		case kAboutCommand:
			be_app->PostMessage(kAppAbout);
			break;
		case kSupportCommand:
			be_app->PostMessage(kAppSupport);
			break;
		case kVisitMakerCommand:
			LaunchBrowserFromMessage(message);
			break;
		case kEmptyListCommand:
			_EmptyList();
			break;
		case kReloadListCommand:
			ReloadList();
			break;
		case kSelectionCommand:
			_SelectionChanged();
			break;
		case kSaveChosenCommand:
			fCloseOnPanelCancel = false;
			_SaveAsReply(message);
			break;
		case kSaveFailedAnswer:
		case kUnsavedBookAnswer:
		case kShortenAnswer:
			_HandleAnswer(message);
			break;
		case kBringForwardCommand:
			Activate(true);
			break;
		default:
			// The editor and Find windows, and the inert items, land here.
			BWindow::MessageReceived(message);
			break;
	}
}

// --- commands on the selection

int32 CVABWindow::_Selection() const
{
	return fListView != nullptr ? fListView->CurrentSelection(0) : -1;
}

// The row holds its record, and the rows always mirror the document: asking the
// document by position would walk its list up to the selection on every
// selection change, a cost that grows with the book.
const ABookRecord* CVABWindow::_SelectedRecord() const
{
	if (fListView == nullptr || fBook == nullptr)
		return nullptr;
	const auto* row = static_cast<const ABListItem*>(fListView->ItemAt(_Selection()));
	return row != nullptr ? row->Record() : nullptr;
}

void CVABWindow::_SelectionChanged()
{
	fMenus->ApplySelection(_SelectedRecord());
}

void CVABWindow::_DeleteSelected()
{
	const int32 selection = _Selection();
	if (fBook == nullptr || fBook->RecordAt(selection) == nullptr)
		return;
	fBook->DeleteRecordAt(selection);
	fBook->SetRecordsChanged(true);
	fBook->SetModified(true);
	fMenus->SetSaveEnabled(true);
	ReloadList();
}

void CVABWindow::_Sort(const BMessage* message)
{
	int32 field = -1;
	if (message->FindInt32("FieldIndex", &field) != B_OK || !ValidField(field))
		return;
	if (fListView != nullptr && fBook != nullptr && fBook->CountRecords() >= 2)
		fBook->SortByField(field);
}

void CVABWindow::_SelectAll()
{
	if (fListView != nullptr && fBook != nullptr && fBook->CountRecords() > 0)
		fListView->Select(0, fBook->CountRecords() - 1, false);
}

void CVABWindow::_OpenWebPage()
{
	const ABookRecord* record = _SelectedRecord();
	if (record != nullptr)
		LaunchBrowser(record->Field(kWebAddressField));
}

// --- secondary windows

void CVABWindow::_OpenEditor(bool modify)
{
	if (fBook == nullptr)
		return;
	const int32 selection = _Selection();
	if (modify && fBook->RecordAt(selection) == nullptr)
		return;
	fMenus->SetSaveEnabled(true);
	if (modify)
		_OpenSecondary(new CVABModifyWindow(selection, this));
	else
		_OpenSecondary(new CVABEntryWindow(this));
}

void CVABWindow::_OpenSecondary(BWindow* window)
{
	std::erase_if(fSecondaryWindows, [](const BMessenger& open) { return !open.IsValid(); });
	fSecondaryWindows.emplace_back(window);
	window->Show();
}

// Posted, never waited for: a secondary window may be waiting for this one.
void CVABWindow::_CloseSecondaries()
{
	for (const BMessenger& window : fSecondaryWindows)
		window.SendMessage(B_QUIT_REQUESTED);
	fSecondaryWindows.clear();
}

// --- frames and activation

void CVABWindow::FrameResized(float width, float height)
{
	const BRect bounds = Bounds();
	BRect across(fLastWidth, bounds.top, width, bounds.bottom);
	BRect down(bounds.left, fLastHeight, bounds.right, height);
	if (fListView != nullptr) {
		fListView->Invalidate(across);
		fListView->Invalidate(down);
	} else {
		across.left -= 24;
		down.top -= 24;
		fWindowView->Invalidate(across);
		fWindowView->Invalidate(down);
	}
	fLastWidth = width;
	fLastHeight = height;
	_NoteFrameChange();
}

void CVABWindow::FrameMoved(BPoint)
{
	_NoteFrameChange();
}

// The frame is kept with the book, so a user's move or resize is a change to
// save; the size limits applied at opening and the window manager's placement
// leave the frame where the book had it and mark nothing.
void CVABWindow::_NoteFrameChange()
{
	if (fBook == nullptr || !fFrameTracked || _IsFrameSaved())
		return;
	fBook->SetModified(true);
	fMenus->SetSaveEnabled(true);
}

bool CVABWindow::_IsFrameSaved() const
{
	return Frame() == fSavedFrame;
}

book_frame CVABWindow::_CurrentFrame() const
{
	const BRect frame = Frame();
	return book_frame{frame.left, frame.top, frame.right, frame.bottom};
}

void CVABWindow::WindowActivated(bool active)
{
	if (active && fShell != nullptr)
		fShell->WindowActivated(this);
}

// --- reading

void CVABWindow::StartNewBook()
{
	{
		BAutolock lock(this);
		fBook = std::make_unique<CVABook>(this);
		Show();
		fSavedFrame = Frame();
		fFrameTracked = true;
	}
	_ShowSavePanel(false);
}

void CVABWindow::ReadBookFile(const BMessage* message)
{
	entry_ref ref;
	if (message == nullptr || message->FindRef("refs", 0, &ref) != B_OK)
		return;
	// Locked from the first view to the last row, so nothing draws or saves a
	// half-read book.
	BAutolock lock(this);
	fBook = std::make_unique<CVABook>(this);
	fMenus->EnableFileCommands(false);
	fMenus->EnableBookMenus();
	Show();
	SetTitle(ref.name);
	std::string path;
	fLosses = book_read_losses();
	const status_t status = LoadBookFile(&ref, fBook.get(), &path, &fLosses);
	fLoadFailed = status != B_OK && status != B_ENTRY_NOT_FOUND;
	fBook->SetModified(false);
	fBook->SetRecordsChanged(false);
	ReloadList();
	_SetFile(ref, path);
	if (fShell != nullptr && !path.empty())
		fShell->StoreLastFile(path);
	fSavedFrame = Frame();
	fFrameTracked = true;
}

void CVABWindow::_SetFile(const entry_ref& ref, const std::string& path)
{
	fFileRef = ref;
	fHasFile = true;
	fFilePath = path;
	if (fShell != nullptr)
		fShell->WindowFileChanged(this, path);
}

// --- saving

// Save: the whole file, or only the frame when the records are as they were
// read; a book with no file of its own yet (or one that failed to load) asks for
// a name first.
CVABWindow::SaveOutcome CVABWindow::_WriteBookFile(bool closing)
{
	if (fBook == nullptr)
		return SaveOutcome::kSaved;
	if (!fHasFile || fLoadFailed) {
		_ShowSavePanel(closing);
		return SaveOutcome::kPending;
	}
	if (!fBook->RecordsChanged() && BEntry(&fFileRef, true).Exists()) {
		// The body on disk is still the book: keep it (and its bytes) as it is.
		// A file system without attributes simply keeps no frame.
		SaveBookFrame(&fFileRef, _CurrentFrame());
		_SaveDone(fFilePath);
		return SaveOutcome::kSaved;
	}
	if (fLosses.Any()) {
		_AskBeforeShortening(closing);
		return SaveOutcome::kPending;
	}
	return _WriteWhole(closing);
}

CVABWindow::SaveOutcome CVABWindow::_WriteWhole(bool closing)
{
	std::string path;
	const status_t status = SaveBookFile(&fFileRef, fBook.get(), _CurrentFrame(), &path);
	if (status != B_OK) {
		_ReportSaveFailure(status, closing);
		return SaveOutcome::kFailed;
	}
	fLosses = book_read_losses();
	fLoadFailed = false;
	_SaveDone(path);
	return SaveOutcome::kSaved;
}

void CVABWindow::_SaveDone(const std::string& path)
{
	fBook->SetModified(false);
	fBook->SetRecordsChanged(false);
	fMenus->SetSaveEnabled(false);
	fSavedFrame = Frame();
	if (!path.empty() && path != fFilePath)
		_SetFile(fFileRef, path);
	if (fShell != nullptr && !path.empty())
		fShell->StoreLastFile(path);
}

void CVABWindow::_SaveAsReply(const BMessage* message)
{
	fMenus->EnableFileCommands(fBook != nullptr && fBook->IsModified());
	fMenus->EnableBookMenus();
	entry_ref directory;
	const char* name = nullptr;
	if (fBook == nullptr || message->FindRef("directory", 0, &directory) != B_OK
		|| message->FindString("name", 0, &name) != B_OK || *name == '\0')
		return;
	entry_ref ref;
	BDirectory folder(&directory);
	BEntry entry(&folder, name);
	if (entry.GetRef(&ref) != B_OK)
		return;
	SetTitle(name);
	fFileRef = ref;
	fHasFile = true;
	fLosses = book_read_losses();
	const bool closing = fCloseAfterSave;
	if (_WriteWhole(closing) == SaveOutcome::kSaved && closing)
		_CloseApproved();
}

void CVABWindow::_ShowSavePanel(bool closing)
{
	fCloseAfterSave = closing;
	if (closing)
		fCloseOnPanelCancel = false;
	fSavePanel->Show();
}

// The panel sends a cancel whenever it hides, after a confirmed save too; only a
// book that never got a file and holds nothing goes away with it.
void CVABWindow::_PanelCancelled()
{
	const bool empty = fBook == nullptr || fBook->CountRecords() == 0;
	if (fCloseOnPanelCancel && !fHasFile && empty)
		PostMessage(B_QUIT_REQUESTED);
	fCloseOnPanelCancel = true;
	fCloseAfterSave = false;
}

void CVABWindow::_AskBeforeShortening(bool closing)
{
	fCloseAfterSave = closing;
	const std::string text = "The address book \"" + std::string(fFileRef.name)
		+ "\" held more than it can keep when it was opened. Saving it over the same file "
		+ "would change it: " + DescribeLosses(fLosses) + ".";
	ShowAlert(text, "Replace", "Cancel", "Save As...", B_WARNING_ALERT,
		new BInvoker(new BMessage(kShortenAnswer), this));
}

void CVABWindow::_AskAboutUnsavedBook()
{
	const std::string text = fHasFile
		? "The address book \"" + std::string(fFileRef.name)
			+ "\" could not be read, so it is not written over. Save its records under "
			+ "another name before closing it?"
		: std::string("Save the new address book before closing it?");
	ShowAlert(text, "Don't Save", "Cancel", "Save...", B_WARNING_ALERT,
		new BInvoker(new BMessage(kUnsavedBookAnswer), this));
}

void CVABWindow::_ReportSaveFailure(status_t status, bool closing)
{
	const std::string text = "The address book \"" + std::string(fFileRef.name)
		+ "\" could not be saved: " + DescribeFileError(status) + ".";
	if (closing) {
		ShowAlert(text, "Close Without Saving", "OK", nullptr, B_STOP_ALERT,
			new BInvoker(new BMessage(kSaveFailedAnswer), this));
	} else {
		ShowAlert(text, "OK", nullptr, nullptr, B_STOP_ALERT, nullptr);
	}
	fMenus->SetSaveEnabled(true);
}

void CVABWindow::_HandleAnswer(const BMessage* message)
{
	int32 which = -1;
	message->FindInt32("which", &which);
	const bool closing = fCloseAfterSave;
	switch (message->what) {
		case kSaveFailedAnswer:
			if (which == 0)
				_CloseApproved();
			break;
		case kUnsavedBookAnswer:
			if (which == 0)
				_CloseApproved();
			else if (which == 2)
				_ShowSavePanel(true);
			break;
		case kShortenAnswer:
			if (which == 0) {
				fLosses = book_read_losses();
				if (_WriteWhole(closing) == SaveOutcome::kSaved && closing)
					_CloseApproved();
			} else if (which == 2) {
				_ShowSavePanel(closing);
			} else {
				fCloseAfterSave = false;
			}
			break;
	}
}

// --- closing

CVABWindow::SaveOutcome CVABWindow::_SaveForClose()
{
	if (fBook == nullptr || !fBook->IsModified())
		return SaveOutcome::kSaved;
	const bool named = fHasFile && !fLoadFailed;
	if (!named) {
		// Nothing to lose but a frame: a new book with no records, or a book
		// that failed to load and was not changed.
		const bool holdsWork = fHasFile ? fBook->RecordsChanged() : fBook->CountRecords() > 0;
		if (!holdsWork)
			return SaveOutcome::kSaved;
		fCloseAfterSave = true;
		_AskAboutUnsavedBook();
		return SaveOutcome::kPending;
	}
	return _WriteBookFile(true);
}

bool CVABWindow::QuitRequested()
{
	if (!fCloseApproved && _SaveForClose() != SaveOutcome::kSaved)
		return false;
	_CloseSecondaries();
	if (fShell != nullptr)
		fShell->WindowClosed(this);
	return true;
}

void CVABWindow::_CloseApproved()
{
	fCloseApproved = true;
	PostMessage(B_QUIT_REQUESTED);
}
