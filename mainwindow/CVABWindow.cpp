// Sections: construction; the document's list area; the header strip and the View
// menu; dispatch; what other windows may do; commands on the selection;
// secondary windows; frames and activation; reading; the file changed on disk;
// saving and closing; the questions.
#include "CVABWindow.h"

#include "ABListItem.h"
#include "ABListView.h"
#include "BookClipboard.h"
#include "BookFile.h"
#include "BookFileWatcher.h"
#include "BookLock.h"
#include "BookMenus.h"
#include "BookShell.h"
#include "CVABEntryWindow.h"
#include "CVABFindWindow.h"
#include "CVABModifyWindow.h"
#include "CVABOpenPanel.h"
#include "CVABSavePanel.h"
#include "CVABook.h"
#include "CommandCodes.h"
#include "ContactFileOpener.h"
#include "MyButton.h"
#include "RecordActions.h"

#include <Alert.h>
#include <Application.h>
#include <Autolock.h>
#include <Directory.h>
#include <Entry.h>
#include <FilePanel.h>
#include <Invoker.h>
#include <List.h>
#include <Path.h>
#include <Screen.h>
#include <ScrollBar.h>
#include <ScrollView.h>

#include <algorithm>
#include <unordered_set>


const char kMainWindowTitle[] = "Corvane Address Book LITE";

namespace {

const rgb_color kWindowViewColor = {221, 235, 249, 255};

// How long a reload waits for another program's save to end before it looks
// again later: the window's thread must not hang on it.
constexpr bigtime_t kReloadLockTimeout = 100000;

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

// The invoker that brings a question's answer back to target.
BInvoker* Answer(uint32 what, bool closing, BHandler* target)
{
	BMessage* answer = new BMessage(what);
	answer->AddBool("closing", closing);
	return new BInvoker(answer, target);
}

// safeButton is the one that loses nothing (it cancels, or keeps the window):
// Escape presses it, never one that closes without saving or replaces a file.
void ShowAlert(const std::string& text, const char* button1, const char* button2,
	const char* button3, int32 safeButton, alert_type type, BInvoker* invoker)
{
	BAlert* alert = new BAlert("Corvane Address Book LITE", text.c_str(), button1, button2,
		button3, B_WIDTH_AS_USUAL, button3 != nullptr ? B_OFFSET_SPACING : B_EVEN_SPACING,
		type);
	alert->SetShortcut(safeButton, B_ESCAPE);
	alert->Go(invoker);
}

// "1 field changed ... value" or "2 fields changed ... values", after "; ".
std::string Counted(size_t count, const char* one, const char* many)
{
	return "; " + std::to_string(count) + (count == 1 ? one : many);
}

// What a merging save of the book called name kept, in one sentence.
std::string MergeReport(const std::string& name, const std::vector<merge_conflict>& conflicts)
{
	size_t bothChanged = 0;
	size_t deletedHere = 0;
	size_t deletedThere = 0;
	for (const merge_conflict& conflict : conflicts) {
		if (conflict.kind == conflict_kind::kBothChanged)
			bothChanged++;
		else if (conflict.kind == conflict_kind::kDeletedInMine)
			deletedHere++;
		else
			deletedThere++;
	}
	std::string text = "The address book \"" + name
		+ "\" was changed by another program. Both sets of changes were kept";
	if (bothChanged > 0) {
		text += Counted(bothChanged, " field changed on both sides kept this window's value",
			" fields changed on both sides kept this window's values");
	}
	if (deletedHere > 0) {
		text += Counted(deletedHere, " record deleted here stays, as the other program changed it",
			" records deleted here stay, as the other program changed them");
	}
	if (deletedThere > 0) {
		text += Counted(deletedThere, " record the other program deleted stays, changed here",
			" records the other program deleted stay, changed here");
	}
	return text + (conflicts.empty() ? "." : " (see conflicts.log).");
}

// Reads the book under its lock, so that another program's save is not read
// half-done: its body and then its ids are renamed into place. kBookBusyError
// when that save goes on longer than timeout and busyIsError. A book nobody
// ever saved with a lock is read without one, and so no lock file is made
// beside a file that is only looked at.
status_t LoadLocked(const entry_ref& ref, bigtime_t timeout, bool busyIsError, CVABook* book,
	std::string* path, book_read_losses* losses, BookAncestor* ancestor)
{
	BPath target;
	if (BEntry(&ref, true).GetPath(&target) != B_OK
		|| !BEntry(BookLock::LockPath(target.Path()).c_str()).Exists())
		return LoadBookFile(&ref, book, path, losses, ancestor);
	BookLock lock(target.Path());
	if (lock.Acquire(timeout) == kBookBusyError && busyIsError)
		return kBookBusyError;
	return LoadBookFile(&ref, book, path, losses, ancestor);
}

struct record_id_hash {
	size_t operator()(const record_id& id) const { return static_cast<size_t>(id.Hash()); }
};

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
	fWatcher.reset();
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
	if (_FileCommand(message) || _RecordCommand(message) || _ViewCommand(message)
		|| _SaveFlowMessage(message) || _WindowMessage(message))
		return;
	// The inert items land here.
	BWindow::MessageReceived(message);
}

// The File menu.
bool CVABWindow::_FileCommand(const BMessage* message)
{
	switch (message->what) {
		case kNewBookCommand:
			be_app->PostMessage(kAppNewBook);
			return true;
		case kOpenBookCommand:
		case kImportBookCommand:
			fOpenPanel->Show();
			return true;
		case kSaveBookCommand:
			_Carry(fFlow.SaveAsked(_BodyOnDisk()));
			return true;
		case kSaveBookAsCommand:
		case kExportBookCommand:
			_Carry(fFlow.SaveAsAsked());
			return true;
		case kCloseBookCommand:
			PostMessage(B_QUIT_REQUESTED);
			return true;
		case kQuitCommand:
			be_app->PostMessage(B_QUIT_REQUESTED);
			return true;
		default:
			return false;
	}
}

// The Edit, Search, Records and Action menus, and the list's own messages.
bool CVABWindow::_RecordCommand(const BMessage* message)
{
	switch (message->what) {
		case kSelectAllCommand:
			_SelectAll();
			break;
		case kFindCommand:
			_OpenFind();
			break;
		case kFindNextCommand:
			if (fFindWindow.IsValid())
				fFindWindow.SendMessage(kFindAgainCommand);
			else
				fMenus->SetFindNextEnabled(false);
			break;
		case kNewRecordCommand:
			_OpenEditor(false);
			break;
		case kModifyRecordCommand:
		case kInvocationCommand:
			_OpenEditor(true);
			break;
		case kDeleteRecordCommand:
			_DeleteSelected();
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
		case kSelectionCommand:
			fMenus->ApplySelection(_SelectedRecord());
			break;
		default:
			return false;
	}
	return true;
}

// The View menu and the header buttons.
bool CVABWindow::_ViewCommand(const BMessage* message)
{
	switch (message->what) {
		case kViewAllCommand:
		case kViewNameEmailCommand:
		case kViewNamePhoneCommand:
		case kViewNameAddressCommand:
		case kViewFieldCommand:
			_HandleViewCommand(message);
			return true;
		case kSortCommand:
			_Sort(message);
			return true;
		default:
			return false;
	}
}

// The save panel's replies and the answers to the window's questions.
bool CVABWindow::_SaveFlowMessage(const BMessage* message)
{
	switch (message->what) {
		case B_CANCEL:
			_CarryOut(fFlow.PanelCancelled(fBook != nullptr && fBook->CountRecords() > 0));
			return true;
		case kSaveChosenCommand:
			_SaveAsReply(message);
			return true;
		case kSaveFailedAnswer:
		case kUnsavedBookAnswer:
		case kShortenAnswer:
		case kMergeReportAnswer:
			_HandleAnswer(message);
			return true;
		case kBookFileChangedCommand:
			_FileChangedOnDisk();
			return true;
		default:
			return false;
	}
}

// The Info menu, the application, and any sender.
bool CVABWindow::_WindowMessage(const BMessage* message)
{
	switch (message->what) {
		case B_KEY_DOWN:
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
		case kBringForwardCommand:
			Activate(true);
			break;
		default:
			return false;
	}
	return true;
}

// --- what other windows may do

void CVABWindow::SelectRecord(const ABookRecord* record)
{
	if (fListView != nullptr)
		fListView->SelectRecord(record);
}

void CVABWindow::SetFindNextEnabled(bool enabled)
{
	fMenus->SetFindNextEnabled(enabled);
}

void CVABWindow::NoteRecordsChanged()
{
	fFlow.RecordsChanged();
	fMenus->SetSaveEnabled(true);
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

void CVABWindow::_DeleteSelected()
{
	const int32 selection = _Selection();
	if (fBook == nullptr || fBook->RecordAt(selection) == nullptr)
		return;
	fBook->DeleteRecordAt(selection);
	NoteRecordsChanged();
	ReloadList();
}

void CVABWindow::_Sort(const BMessage* message)
{
	int32 field = -1;
	if (message->FindInt32("FieldIndex", &field) != B_OK || !ValidField(field))
		return;
	if (fListView == nullptr || fBook == nullptr || fBook->CountRecords() < 2)
		return;
	fBook->SortByField(field);
	fFlow.Sorted();
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

// Every Find... opens a new Find window; Find Next goes on through the newest.
void CVABWindow::_OpenFind()
{
	if (fBook == nullptr)
		return;
	CVABFindWindow* find = new CVABFindWindow(BMessenger(this));
	fFindWindow = BMessenger(find);
	_OpenSecondary(find);
}

void CVABWindow::_OpenEditor(bool modify)
{
	if (fBook == nullptr)
		return;
	const ABookRecord* record = _SelectedRecord();
	if (modify && record == nullptr)
		return;
	fMenus->SetSaveEnabled(true);
	if (modify)
		_OpenSecondary(new CVABModifyWindow(BMessenger(this), record));
	else
		_OpenSecondary(new CVABEntryWindow(BMessenger(this)));
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
	if (Frame() != fSavedFrame && fFlow.FrameChanged())
		fMenus->SetSaveEnabled(true);
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
	Action action;
	{
		BAutolock lock(this);
		fBook = std::make_unique<CVABook>(this);
		Show();
		fSavedFrame = Frame();
		action = fFlow.NewStarted();
	}
	_Carry(action);
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
	ContactFileOpener::outcome imported;
	if (ContactFileOpener::Read(ref, fBook.get(), &imported)) {
		_ContactsImported(ref, imported.summary);
		return;
	}
	std::string path;
	book_read_losses losses;
	const status_t status = LoadLocked(ref, kSaveLockTimeout, false, fBook.get(), &path, &losses,
		&fAncestor);
	// A file not there yet is watched too: whoever makes it first is read.
	fKnowsFile = status == B_OK || status == B_ENTRY_NOT_FOUND;
	fFlow.BookRead(fKnowsFile, losses);
	ReloadList();
	_SetFile(ref, path);
	_WatchFile();
	if (fShell != nullptr && !path.empty())
		fShell->StoreLastFile(path);
	fSavedFrame = Frame();
}

// A vCard or CSV file is the book's source, never its file: the window keeps no
// file until one is chosen, so nothing is written to the source or stored about
// it (not even as the last book), and Save asks for a name. The source's path
// is known to the application only so that opening it again brings this window
// forward. What the readers noted is told once; a clean read needs no alert.
void CVABWindow::_ContactsImported(const entry_ref& source, const std::string& summary)
{
	fFlow.ContactsImported();
	fMenus->SetSaveEnabled(true);
	ReloadList();
	fSavedFrame = Frame();
	BEntry entry(&source, true);
	BPath path;
	if (fShell != nullptr && entry.GetPath(&path) == B_OK)
		fShell->WindowFileChanged(this, path.Path());
	// The save panel offers a book beside the source, under its name.
	BEntry folder;
	if (BEntry(&source).GetParent(&folder) == B_OK)
		fSavePanel->Panel()->SetPanelDirectory(&folder);
	const std::string name = source.name;
	const size_t dot = name.rfind('.');
	fSavePanel->Panel()->SetSaveText(
		(name.substr(0, dot == 0 ? std::string::npos : dot) + ".cvab").c_str());
	if (!summary.empty()) {
		ShowAlert("\"" + name + "\" opens as a new address book.\n" + summary, "OK", nullptr,
			nullptr, 0, B_INFO_ALERT, nullptr);
	}
}

void CVABWindow::_SetFile(const entry_ref& ref, const std::string& path)
{
	fFileRef = ref;
	fFilePath = path;
	if (fShell != nullptr)
		fShell->WindowFileChanged(this, path);
}

// --- the file changed on disk

// One watcher for the file the window now writes; none for a book without one
// of its own (new, imported, unreadable), or a folder that cannot be watched
// (its saves still merge).
void CVABWindow::_WatchFile()
{
	if (!fKnowsFile || fFilePath.empty()) {
		fWatcher.reset();
		return;
	}
	if (fWatcher != nullptr && fWatcher->Path() == fFilePath)
		return;
	fWatcher.reset();
	fWatcher = std::make_unique<BookFileWatcher>(fFilePath, fAncestor.State(), BMessenger(this),
		kBookFileChangedCommand);
	if (fWatcher->InitCheck() != B_OK)
		fWatcher.reset();
}

// Only a file other than the one last read or saved counts, so the events of
// the window's own saves end here.
void CVABWindow::_FileChangedOnDisk()
{
	book_file_state now;
	if (!fKnowsFile || fWatcher == nullptr || fBook == nullptr
		|| StatBookFile(fFilePath, &now) != B_OK)
		return;
	const book_file_state& known = fAncestor.State();
	if (now.exists ? known.exists && known.SameFile(now) : !known.exists)
		return;
	if (!now.exists) {
		// Deleted or renamed away: the window's records are all that is left
		// of it, so they are unsaved, and a save or the close writes it anew.
		NoteRecordsChanged();
	} else if (fFlow.MayReload()) {
		_ReloadBook();
	}
	// Otherwise the next save merges the window's changes with the file's.
}

// Shows the file as it is now in place of what was read or saved before (none
// of it unsaved). While another program is saving, it looks again later.
void CVABWindow::_ReloadBook()
{
	CVABook fresh(nullptr);
	book_read_losses losses;
	BookAncestor read;
	const status_t status = LoadLocked(fFileRef, kReloadLockTimeout, true, &fresh, nullptr,
		&losses, &read);
	if (status == kBookBusyError)
		fWatcher->Poke();
	if (status != B_OK)
		return;  // what is shown stays; the next change is looked at again
	const list_place place = _ListPlace();
	_EmptyList();
	fBook->MakeEmpty();
	for (const ABookRecord* record = fresh.FirstRecord(); record != nullptr;
		 record = record->Next()) {
		ABookRecord* copy = fBook->AddRecord(record->Id());
		for (int32 field = 0; field < kBookFieldCount; field++)
			copy->SetField(field, record->Field(field));
	}
	fAncestor = std::move(read);
	fWatcher->SetKnown(fAncestor.State());
	fFlow.Reloaded(losses);
	ReloadList();
	_RestoreListPlace(place);
}

CVABWindow::list_place CVABWindow::_ListPlace() const
{
	list_place place;
	if (fListView == nullptr)
		return place;
	place.top = fListView->Bounds().top;
	const int32 count = fListView->CountItems();
	for (int32 index = 0; index < count; index++) {
		const auto* row = static_cast<const ABListItem*>(fListView->ItemAt(index));
		if (row->IsSelected())
			place.selected.push_back(row->Record()->Id());
	}
	return place;
}

// The same records selected (found by id, wherever they now are) and the list
// scrolled where it was, as far as its rows still reach.
void CVABWindow::_RestoreListPlace(const list_place& place)
{
	if (fListView == nullptr)
		return;
	const std::unordered_set<record_id, record_id_hash> selected(place.selected.begin(),
		place.selected.end());
	const int32 count = fListView->CountItems();
	int32 runStart = -1;
	for (int32 index = 0; index <= count && !selected.empty(); index++) {
		const bool isSelected = index < count
			&& selected.contains(static_cast<ABListItem*>(fListView->ItemAt(index))->Record()->Id());
		if (isSelected && runStart < 0) {
			runStart = index;
		} else if (!isSelected && runStart >= 0) {
			fListView->Select(runStart, index - 1, true);
			runStart = -1;
		}
	}
	const float bottom = count > 0 ? fListView->ItemFrame(count - 1).bottom : 0;
	const float top = std::min(place.top, std::max(0.0f, bottom - fListView->Bounds().Height()));
	fListView->ScrollTo(BPoint(fListView->ScrollOffset().x, top));
}

// --- saving and closing

bool CVABWindow::QuitRequested()
{
	// The application asks from its own thread when it quits.
	fQuitting = find_thread(nullptr) != Thread();
	const bool holdsRecords = fBook != nullptr && fBook->CountRecords() > 0;
	if (!_Carry(fFlow.CloseAsked(holdsRecords, _BodyOnDisk())))
		return false;
	_CloseSecondaries();
	if (fShell != nullptr)
		fShell->WindowClosed(this);
	return true;
}

// Carries out the flow's step and what follows from it; true when the window
// may close now. writeStatus says why the last write failed.
bool CVABWindow::_Carry(const Action& action, status_t writeStatus)
{
	using Step = BookSaveFlow::Step;
	switch (action.step) {
		case Step::kNothing:
			return false;
		case Step::kClose:
			return true;
		case Step::kWriteFrame:
			// A file system without attributes simply keeps no frame.
			SaveBookFrame(&fFileRef, _CurrentFrame());
			_SaveDone(fFilePath);
			return _Carry(fFlow.FrameWritten(action.closing));
		case Step::kWriteWhole: {
			const status_t status = _WriteWhole();
			return _Carry(status == B_OK ? fFlow.BookWritten(action.closing, fLastSave.merged)
				: fFlow.WriteFailed(action.closing), status);
		}
		case Step::kShowSavePanel:
			_ShowSavePanel(action.closing);
			return false;
		case Step::kAskBeforeShortening:
			_AskBeforeShortening(action.closing);
			return false;
		case Step::kAskAboutUnsavedBook:
			_AskAboutUnsavedBook();
			return false;
		case Step::kReportFailure:
			_ReportSaveFailure(writeStatus, action.closing);
			return false;
		case Step::kReportMerge:
			if (fShell != nullptr && fShell->EndingOnSignal()) {
				return _Carry(fFlow.Answered(Step::kReportMerge, BookSaveFlow::Answer::kProceed,
					action.closing));
			}
			_ReportMerge(action.closing);
			return false;
	}
	return false;
}

// For a step that answers a question or the panel: a close it allows is asked
// for anew, so it runs as every close does.
void CVABWindow::_CarryOut(const Action& action)
{
	if (_Carry(action))
		PostMessage(B_QUIT_REQUESTED);
}

bool CVABWindow::_BodyOnDisk() const
{
	return fFileRef.name != nullptr && BEntry(&fFileRef, true).Exists();
}

// The one place the whole book is written, whatever asked for it. The file
// it was read from or last saved to is merged with what other programs wrote
// there since (the window's values win a field changed on both sides, the
// other ones go to the conflict log), and the merge is what the window shows;
// a file chosen in the save panel is replaced.
status_t CVABWindow::_WriteWhole()
{
	fLastSave = book_save_result();
	status_t status;
	if (fKnowsFile) {
		const list_place place = _ListPlace();
		status = SaveBookMerging(&fFileRef, fBook.get(), _CurrentFrame(), &fAncestor,
			book_save_options(), &fLastSave);
		if (fLastSave.merged)
			_RestoreListPlace(place);
	} else {
		status = SaveBookFile(&fFileRef, fBook.get(), _CurrentFrame(), &fLastSave.path,
			&fAncestor);
	}
	if (status == B_OK) {
		fKnowsFile = true;
		_SaveDone(fLastSave.path);
	}
	return status;
}

void CVABWindow::_SaveDone(const std::string& path)
{
	fMenus->SetSaveEnabled(false);
	fSavedFrame = Frame();
	if (!path.empty() && path != fFilePath)
		_SetFile(fFileRef, path);
	_WatchFile();
	if (fWatcher != nullptr)
		fWatcher->SetKnown(fAncestor.State());
	if (fShell != nullptr && !path.empty())
		fShell->StoreLastFile(path);
}

void CVABWindow::_SaveAsReply(const BMessage* message)
{
	// The write that follows sets Save as it ends.
	fMenus->EnableFileCommands(false);
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
	// The book's own file chosen again is still merged with; any other is
	// replaced, as its save panel asked.
	BPath chosen;
	if (BEntry(&ref, true).GetPath(&chosen) != B_OK || fFilePath != chosen.Path()) {
		fKnowsFile = false;
		_WatchFile();
	}
	_CarryOut(fFlow.FileChosen(message->GetBool("closing", false)));
}

void CVABWindow::_ShowSavePanel(bool closing)
{
	BMessage reply(kSaveChosenCommand);
	reply.AddBool("closing", closing);
	fSavePanel->Panel()->SetMessage(&reply);
	fSavePanel->Show();
}

// --- the questions

// Each question's answer carries whether it is part of a close.
void CVABWindow::_AskBeforeShortening(bool closing)
{
	const std::string text = "The address book \"" + std::string(fFileRef.name)
		+ "\" held more than it can keep when it was opened. Saving it over the same file "
		+ "would change it: " + DescribeLosses(fFlow.Losses()) + ".";
	ShowAlert(text, "Replace", "Cancel", "Save As...", 1, B_WARNING_ALERT,
		Answer(kShortenAnswer, closing, this));
}

void CVABWindow::_AskAboutUnsavedBook()
{
	std::string text = "Save the new address book before closing it?";
	if (fFlow.IsImported()) {
		text = "The contacts were read from \"" + std::string(Title())
			+ "\", which is not written over. Save them as an address book before closing?";
	} else if (!fFlow.IsNew()) {
		text = "The address book \"" + std::string(fFileRef.name)
			+ "\" could not be read, so it is not written over. Save its records under "
			+ "another name before closing it?";
	}
	ShowAlert(text, "Don't Save", "Cancel", "Save...", 1, B_WARNING_ALERT,
		Answer(kUnsavedBookAnswer, true, this));
}

void CVABWindow::_ReportSaveFailure(status_t status, bool closing)
{
	const std::string text = "The address book \"" + std::string(fFileRef.name)
		+ "\" could not be saved: " + DescribeFileError(status) + ".";
	if (closing) {
		ShowAlert(text, "Close Without Saving", "OK", nullptr, 1, B_STOP_ALERT,
			Answer(kSaveFailedAnswer, true, this));
	} else {
		ShowAlert(text, "OK", nullptr, nullptr, 0, B_STOP_ALERT, nullptr);
	}
	fMenus->SetSaveEnabled(true);
}

// Said once the merge is saved; a close goes on when the alert is closed, and
// so does the application's quit that it was part of.
void CVABWindow::_ReportMerge(bool closing)
{
	BInvoker* invoker = Answer(kMergeReportAnswer, closing, this);
	invoker->Message()->AddBool("quitting", closing && fQuitting);
	ShowAlert(MergeReport(fFileRef.name, fLastSave.conflicts), "OK", nullptr, nullptr, 0,
		B_INFO_ALERT, invoker);
}

void CVABWindow::_HandleAnswer(const BMessage* message)
{
	using Step = BookSaveFlow::Step;
	const int32 which = message->GetInt32("which", -1);
	if (which < 0 || which > 2)
		return;
	Step question = Step::kReportFailure;
	if (message->what == kShortenAnswer)
		question = Step::kAskBeforeShortening;
	else if (message->what == kUnsavedBookAnswer)
		question = Step::kAskAboutUnsavedBook;
	else if (message->what == kMergeReportAnswer)
		question = Step::kReportMerge;
	const Action action = fFlow.Answered(question, static_cast<BookSaveFlow::Answer>(which),
		message->GetBool("closing", false));
	if (action.step == Step::kClose && message->GetBool("quitting", false))
		be_app->PostMessage(B_QUIT_REQUESTED);
	else
		_CarryOut(action);
}
