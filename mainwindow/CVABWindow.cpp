// Sections: construction; the document's list area; dispatch; what other windows
// may do; commands on the selection; frames and activation; reading; the file
// changed on disk; saving and closing.
#include "CVABWindow.h"

#include "ABListView.h"
#include "BookClipboard.h"
#include "BookDiskFile.h"
#include "BookListArea.h"
#include "BookJournal.h"
#include "BookMenus.h"
#include "BookPaths.h"
#include "BookShell.h"
#include "CVABOpenPanel.h"
#include "CVABSavePanel.h"
#include "CVABook.h"
#include "CommandCodes.h"
#include "ConflictLog.h"
#include "JournalKeeper.h"
#include "RecordActions.h"
#include "SecondaryWindows.h"

#include <Application.h>
#include <Autolock.h>
#include <Screen.h>


const char kMainWindowTitle[] = "Corvane Address Book LITE";

namespace {

const rgb_color kWindowViewColor = {221, 235, 249, 255};

}  // namespace

// --- construction

CVABWindow::CVABWindow(BRect frame, BookShell* shell)
	: BWindow(frame, kMainWindowTitle, B_DOCUMENT_WINDOW, 0),
	  fShell(shell),
	  fAlerts(this),
	  fSecondaries(std::make_unique<SecondaryWindows>(this)),
	  fFile(std::make_unique<BookDiskFile>(this, kBookFileChangedCommand)),
	  fJournal(std::make_unique<JournalKeeper>(BMessenger(this), kJournalSnapshotCommand))
{
	const BRect screen = BScreen(B_MAIN_SCREEN_ID).Frame();
	SetSizeLimits(340, screen.right - 20, 54, screen.bottom);
	{
		BAutolock lock(this);
		BView* windowView = new BView(Bounds(), "WindowView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
		AddChild(windowView);
		windowView->SetViewColor(kWindowViewColor);
		fMenus = std::make_unique<BookMenus>(windowView, Bounds().Width());
		fList = std::make_unique<BookListArea>(windowView, this);
	}
	fOpenPanel = std::make_unique<CVABOpenPanel>(be_app);
	fSavePanel = std::make_unique<CVABSavePanel>(this);
}

CVABWindow::~CVABWindow()
{
	// The file's watch and the journal first: their threads post to this window.
	fJournal.reset();
	fFile.reset();
	fOpenPanel.reset();
	fSavePanel.reset();
	fBook.reset();
}

// --- the document's list area

void CVABWindow::BuildRecordList()
{
	BAutolock lock(this);
	fList->BuildList();
}

void CVABWindow::RemoveRecordList()
{
	BAutolock lock(this);
	fList->RemoveList();
}

void CVABWindow::ReloadList()
{
	BAutolock lock(this);
	if (fList->Reload(fBook.get()))
		fMenus->DisableRecordCommands();
}

// --- dispatch

void CVABWindow::MessageReceived(BMessage* message)
{
	if (_FileCommand(message) || _RecordCommand(message) || _ListCommand(message)
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
			_Carry(fFlow.SaveAsked(fFile->BodyOnDisk()));
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

// The Edit, Search and Records menus, and a row's double click.
bool CVABWindow::_RecordCommand(const BMessage* message)
{
	switch (message->what) {
		case kSelectAllCommand:
			if (fBook != nullptr)
				fList->SelectFirst(fBook->CountRecords());
			break;
		case kFindCommand:
			if (fBook != nullptr)
				fSecondaries->OpenFind();
			break;
		case kFindNextCommand:
			if (!fSecondaries->FindNext())
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
		default:
			return false;
	}
	return true;
}

// The Action and View menus, the header buttons and the list's selection.
bool CVABWindow::_ListCommand(const BMessage* message)
{
	switch (message->what) {
		case kCopyAddressCommand:
			if (fBook != nullptr)
				CopyAddressText(fBook.get(), fList->Selection());
			break;
		case kCopyRecordCommand:
			if (fBook != nullptr)
				CopyRecordText(fBook.get(), fList->Selection());
			break;
		case kOpenWebPageCommand:
			if (const ABookRecord* record = fList->SelectedRecord())
				LaunchBrowser(record->Field(kWebAddressField));
			break;
		case kSelectionCommand:
			fMenus->ApplySelection(fList->SelectedRecord());
			break;
		case kViewAllCommand:
		case kViewNameEmailCommand:
		case kViewNamePhoneCommand:
		case kViewNameAddressCommand:
		case kViewFieldCommand:
			// The columns, with their header strip, menu marks and rows anew.
			if (fList->ShowColumns(message->what, message->GetInt32("index", -1))) {
				fMenus->ShowColumns(fList->Columns());
				ReloadList();
			}
			break;
		case kSortCommand:
			_Sort(message);
			break;
		default:
			return false;
	}
	return true;
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
		case kReadBookCommand:
			_ReadBook(message);
			return true;
		case kRecoveryAnswer:
			_RecoveryAnswered(message);
			return true;
		case kJournalSnapshotCommand:
			fJournal->TakeSnapshot(fBook.get());
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
			fList->EmptyList();
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
	if (ABListView* list = fList->ListView())
		list->SelectRecord(record);
}

void CVABWindow::SetFindNextEnabled(bool enabled)
{
	fMenus->SetFindNextEnabled(enabled);
}

void CVABWindow::NoteRecordsChanged()
{
	fFlow.RecordsChanged();
	fMenus->SetSaveEnabled(true);
	fJournal->Changed();
}

// --- commands on the selection

void CVABWindow::_DeleteSelected()
{
	const int32 selection = fList->Selection();
	if (fBook == nullptr || fBook->RecordAt(selection) == nullptr)
		return;
	fBook->DeleteRecordAt(selection);
	NoteRecordsChanged();
	ReloadList();
}

void CVABWindow::_Sort(const BMessage* message)
{
	const int32 field = message->GetInt32("FieldIndex", -1);
	if (field < 0 || field >= kBookFieldCount || fList->ListView() == nullptr
		|| fBook == nullptr || fBook->CountRecords() < 2)
		return;
	fBook->SortByField(field);
	fFlow.Sorted();
	fJournal->Changed();
}

void CVABWindow::_OpenEditor(bool modify)
{
	if (fBook == nullptr)
		return;
	const ABookRecord* record = modify ? fList->SelectedRecord() : nullptr;
	if (modify && record == nullptr)
		return;
	fMenus->SetSaveEnabled(true);
	fSecondaries->OpenEditor(record);
}

// --- frames and activation

void CVABWindow::FrameResized(float width, float height)
{
	fList->Resized(Bounds(), width, height);
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
		_StartJournal();
	}
	_Carry(action);
}

void CVABWindow::StartLeftNewBook(const std::string& journalPath)
{
	BAutolock lock(this);
	fBook = std::make_unique<CVABook>(this);
	fMenus->EnableFileCommands(false);
	fMenus->EnableBookMenus();
	Show();
	fSavedFrame = Frame();
	fFlow.NewStarted();  // its save panel waits for the answer, or a save
	fRecovery.Offer(journalPath);
	fAlerts.OfferRecovery("", false, false);
}

// The file is read in the window's own thread, never in the caller's: the
// application's thread must not wait on a file, whatever it turns out to be.
// The read is the first message the window handles, and the book stays empty
// and unsaved (kNotOpen) until then.
void CVABWindow::ReadBookFile(const BMessage* message)
{
	entry_ref ref;
	if (message == nullptr || message->FindRef("refs", 0, &ref) != B_OK)
		return;
	BMessage read(kReadBookCommand);
	read.AddRef("refs", &ref);
	PostMessage(&read);
	BAutolock lock(this);
	fBook = std::make_unique<CVABook>(this);
	fMenus->EnableFileCommands(false);
	fMenus->EnableBookMenus();
	SetTitle(ref.name);
	Show();
}

// In the window's thread, which holds its lock from the first row to the last,
// so nothing draws or saves a half-read book.
void CVABWindow::_ReadBook(const BMessage* message)
{
	entry_ref ref;
	if (fBook == nullptr || message->FindRef("refs", 0, &ref) != B_OK)
		return;
	BookDiskFile::read_outcome outcome;
	// How the read went shows in KnowsFile: an unreadable file is never written over.
	fFile->Read(ref, fBook.get(), &outcome);
	if (outcome.imported) {
		_ContactsImported(ref, outcome.sourcePath, outcome.importNotes);
		return;
	}
	fFlow.BookRead(fFile->KnowsFile(), outcome.losses);
	ReloadList();
	if (fShell != nullptr) {
		fShell->WindowFileChanged(this, fFile->Path());
		if (!fFile->Path().empty())
			fShell->StoreLastFile(fFile->Path());
	}
	fSavedFrame = Frame();
	if (!outcome.failure.empty())
		fAlerts.TellUnopened(ref.name, outcome.failure);
	if (fFile->KnowsFile())
		fRecovery.Look(fFile->Path(), fFile->Ancestor().State().body, false);
	_OfferLeftovers();
}

// A vCard or CSV file is the book's source, never its file: the window keeps no
// file until one is chosen, so nothing is written to the source or stored about
// it (not even as the last book), and Save asks for a name. The source's path
// is known to the application only so that opening it again brings this window
// forward. What the readers noted is told once; a clean read needs no alert.
void CVABWindow::_ContactsImported(const entry_ref& source, const std::string& sourcePath,
	const std::string& notes)
{
	fFlow.ContactsImported();
	fMenus->SetSaveEnabled(true);
	ReloadList();
	fSavedFrame = Frame();
	fSourcePath = sourcePath;
	if (fShell != nullptr && !sourcePath.empty())
		fShell->WindowFileChanged(this, sourcePath);
	fSavePanel->OfferBeside(source);
	if (!notes.empty())
		fAlerts.TellImported(source.name, notes);
	fRecovery.Look(fSourcePath, sha256_digest(), true);
	_OfferLeftovers();
}

// --- the file changed on disk

// Deleted or renamed away, the file's records are all in the window: they are
// unsaved, and a save or the close writes it anew. Changed while the window
// holds unsaved changes, the next save merges them with the file's.
void CVABWindow::_FileChangedOnDisk()
{
	using disk_change = BookDiskFile::disk_change;
	const disk_change change = fBook != nullptr ? fFile->LookAgain() : disk_change::kNone;
	if (change == disk_change::kGone) {
		// Nothing is left to tell the records against: the journal holds them all.
		fJournal->StartWithoutFile(JournalBeside(fFile->Path()), fFile->Path(), fBook.get(),
			true);
		NoteRecordsChanged();
		fJournal->ChangedAll();
	}
	else if (change == disk_change::kChanged && fFlow.MayReload())
		_ReloadBook();
}

// Shows the file as it is now in place of what was read or saved before (none
// of it unsaved). While another program is saving, it looks again later.
void CVABWindow::_ReloadBook()
{
	BookDiskFile::fresh_read fresh;
	if (fFile->ReadAnew(&fresh) != B_OK)
		return;  // what is shown stays; the next change is looked at again
	const BookListArea::place place = fList->Place();
	fList->EmptyList();
	fFile->TakeAnew(fBook.get(), &fresh);
	fFlow.Reloaded(fresh.losses);
	ReloadList();
	fList->RestorePlace(place);
	_StartJournal();
}

// --- what a crash left, and the journal

// A backup of a save cut off is offered first, then a journal; the journal of
// this window starts once nothing more is offered.
void CVABWindow::_OfferLeftovers()
{
	const BookRecovery::kind left = fRecovery.Offered();
	if (left == BookRecovery::kind::kNone) {
		_StartJournal();
		return;
	}
	const bool imported = fFlow.IsImported();
	std::string name = imported ? std::string(LeafOf(fSourcePath)) : std::string();
	if (!imported && !fFlow.IsNew() && fFile->Ref().name != nullptr)
		name = fFile->Ref().name;
	fAlerts.OfferRecovery(name, left == BookRecovery::kind::kBackup, imported);
}

// Recovered, the records are unsaved changes like any, which the window's
// journal takes over; discarded, what was left goes. Then the next.
void CVABWindow::_RecoveryAnswered(const BMessage* message)
{
	if (fBook == nullptr || fRecovery.Offered() == BookRecovery::kind::kNone)
		return;
	if (message->GetInt32("which", 1) == 0) {
		fRecovery.Discard();
		if (fFlow.IsNew() && fBook->CountRecords() == 0)
			PostMessage(B_QUIT_REQUESTED);  // opened for that book alone
		else
			_OfferLeftovers();
		return;
	}
	const BookListArea::place place = fList->Place();
	fList->EmptyList();
	book_save_result recovered;
	recovered.merged = true;
	recovered.conflicts = fRecovery.Recover(fBook.get(), fFile->Ancestor());
	NoteRecordsChanged();
	ReloadList();
	fList->RestorePlace(place);
	if (!recovered.conflicts.empty()) {
		AppendConflictLog(fFile->Path(), recovered.conflicts);
		fAlerts.ReportMerge(fFile->Ref().name, recovered, false, false);
	}
	_OfferLeftovers();
}

void CVABWindow::_StartJournal()
{
	const bool keepLeft = !fRecovery.RecoveredJournal().empty();
	if (fFlow.IsImported()) {
		fJournal->StartWithoutFile(ImportJournalPath(fSourcePath), fSourcePath, fBook.get(),
			keepLeft);
	} else if (fFile->KnowsFile() && !fFile->Path().empty()) {
		fJournal->StartFromFile(fFile->Path(), fFile->Ancestor(), fBook.get(), keepLeft);
	} else {
		if (fNoFileJournal.empty())
			fNoFileJournal = keepLeft ? fRecovery.RecoveredJournal() : NewBookJournalPath();
		fJournal->StartWithoutFile(fNoFileJournal, fFile->Path(), fBook.get(), keepLeft);
	}
	// What was recovered differs from the base in ways no change log tells.
	if (fRecovery.HoldsRecovered())
		fJournal->ChangedAll();
}

// --- saving and closing

bool CVABWindow::QuitRequested()
{
	// The application asks from its own thread when it quits.
	fQuitting = find_thread(nullptr) != Thread();
	const bool holdsRecords = fBook != nullptr && fBook->CountRecords() > 0;
	if (!_Carry(fFlow.CloseAsked(holdsRecords, fFile->BodyOnDisk())))
		return false;
	// Saved, or thrown away: either way nothing is left to recover.
	fJournal->Stop(fBook.get());
	fRecovery.Settled();
	fSecondaries->CloseAll();
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
		case Step::kWriteWhole:
			return _CarryWrite(action);
		case Step::kShowSavePanel:
			fSavePanel->Show(action.closing);
			return false;
		case Step::kAskBeforeShortening:
			fAlerts.AskBeforeShortening(fFile->Ref().name, fFlow.Losses(), action.closing);
			return false;
		case Step::kAskAboutUnsavedBook:
			fAlerts.AskAboutUnsavedBook(fFlow, fFile->Ref().name, Title());
			return false;
		case Step::kReportFailure:
			fAlerts.ReportSaveFailure(fFile->Ref().name, writeStatus, action.closing);
			fMenus->SetSaveEnabled(true);
			return false;
		case Step::kReportMerge:
			if (fShell != nullptr && fShell->EndingOnSignal()) {
				return _Carry(fFlow.Answered(Step::kReportMerge, BookSaveFlow::Answer::kProceed,
					action.closing));
			}
			fAlerts.ReportMerge(fFile->Ref().name, fFile->LastSave(), action.closing, fQuitting);
			return false;
	}
	return false;
}

// The two steps that write, and what follows from how the write went. The
// second is the one place the whole book is written, whatever asked for it; a
// merge with another program's changes is what the window shows then, in the
// same place.
bool CVABWindow::_CarryWrite(const Action& action)
{
	if (action.step == BookSaveFlow::Step::kWriteFrame) {
		// A file system without attributes simply keeps no frame.
		fFile->WriteFrame(_CurrentFrame());
		_SaveDone(fFile->Path());
		return _Carry(fFlow.FrameWritten(action.closing));
	}
	const BookListArea::place place = fList->Place();
	const status_t status = fFile->WriteWhole(fBook.get(), _CurrentFrame());
	if (fFile->LastSave().merged)
		fList->RestorePlace(place);
	if (status != B_OK)
		return _Carry(fFlow.WriteFailed(action.closing), status);
	_SaveDone(fFile->LastSave().path);
	fRecovery.Settled();
	_StartJournal();
	return _Carry(fFlow.BookWritten(action.closing, fFile->LastSave().merged));
}

// For a step that answers a question or the panel: a close it allows is asked
// for anew, so it runs as every close does.
void CVABWindow::_CarryOut(const Action& action)
{
	if (_Carry(action))
		PostMessage(B_QUIT_REQUESTED);
}

void CVABWindow::_SaveDone(const std::string& path)
{
	fMenus->SetSaveEnabled(false);
	fSavedFrame = Frame();
	if (fFile->NoteWritten(path) && fShell != nullptr)
		fShell->WindowFileChanged(this, path);
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
		|| message->FindString("name", 0, &name) != B_OK || *name == '\0'
		|| fFile->Choose(directory, name) != B_OK)
		return;
	SetTitle(name);
	_CarryOut(fFlow.FileChosen(message->GetBool("closing", false)));
}

// Each question's answer carries whether it is part of a close.
void CVABWindow::_HandleAnswer(const BMessage* message)
{
	BookAlerts::answer answer;
	if (!BookAlerts::ReadAnswer(message, &answer))
		return;
	const Action action = fFlow.Answered(answer.question, answer.choice, answer.closing);
	if (action.step == BookSaveFlow::Step::kClose && answer.quitting)
		be_app->PostMessage(B_QUIT_REQUESTED);
	else
		_CarryOut(action);
}
