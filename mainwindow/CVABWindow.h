// The window of one address book: its menu bar, its list area, its two file
// panels and the document. It is the one dispatcher of the book's commands, and
// it reads and saves its book as its BookSaveFlow decides, through its book's
// file (BookDiskFile) and its alerts (BookAlerts). It watches that file: a
// change by another program is shown at once when nothing here is unsaved, and
// merged into the next save otherwise, so neither side's changes are lost.
// Threading: a looper of its own; ReloadList, SelectRecord (on the list) and
// ReadBookFile may be called from other threads, and lock the window themselves;
// other windows reach it only as a LockedBookWindow.
#ifndef _CVAB_WINDOW_H
#define _CVAB_WINDOW_H

#include "BookAlerts.h"
#include "BookBody.h"
#include "BookListArea.h"
#include "BookOwner.h"
#include "BookRecovery.h"
#include "BookSaveFlow.h"
#include "BookWindowAccess.h"

#include <EntryRef.h>
#include <Window.h>

#include <memory>
#include <string>

class ABListView;
class BookDiskFile;
class BookMenus;
class JournalKeeper;
class BookShell;
class CVABOpenPanel;
class CVABSavePanel;
class SecondaryWindows;

extern const char kMainWindowTitle[];

class CVABWindow : public BWindow, public BookOwner, public BookWindowAccess {
public:
	// shell may be null (a window on its own, as in tests).
	explicit CVABWindow(BRect frame, BookShell* shell = nullptr);
	~CVABWindow() override;

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;
	void FrameMoved(BPoint where) override;
	void FrameResized(float width, float height) override;
	void WindowActivated(bool active) override;

	// The document's hold on the window.
	void BuildRecordList() override;
	void RemoveRecordList() override;
	void ReloadList() override;
	bool Lock() override { return BWindow::Lock(); }
	void Unlock() override { BWindow::Unlock(); }
	bool IsLocked() const override { return BWindow::IsLocked(); }

	// What the editors, the Find window and a Word Services session may do,
	// with the window locked.
	CVABook* Book() const override { return fBook.get(); }
	void SelectRecord(const ABookRecord* record) override;
	void SetFindNextEnabled(bool enabled) override;
	void NoteRecordsChanged() override;

	// A new, unnamed book: an empty document, the window shown, the save panel
	// shown for its name.
	void StartNewBook();
	// Shows the window with a new document, into which the window's own
	// thread then reads the book named by the message's first "refs" entry;
	// from any thread, the window not yet shown. A file that does not exist
	// yet reads as an empty book under its name; a vCard or CSV file is read
	// as its contacts, into a book without a file; a file that cannot be read
	// (or is no file at all, or too large) gives an empty book that is never
	// written over, and an alert that says why.
	void ReadBookFile(const BMessage* message);
	// A new book whose records a window held when the program ended, left in
	// the journal at journalPath: the window shows, and asks whether to
	// recover them or discard them (and close).
	void StartLeftNewBook(const std::string& journalPath);

	// With the window locked:
	ABListView* ListView() const { return fList->ListView(); }
	// Null while the window is being made.
	BView* ButtonView() const { return fList != nullptr ? fList->HeaderView() : nullptr; }
	BookMenus* Menus() const { return fMenus.get(); }
	// The fields the list shows as columns.
	const BookColumns& Columns() const { return fList->Columns(); }

private:
	using Action = BookSaveFlow::Action;

	// Dispatch, by where the command comes from; true when it was one of theirs.
	bool _FileCommand(const BMessage* message);
	bool _RecordCommand(const BMessage* message);
	bool _ListCommand(const BMessage* message);
	bool _SaveFlowMessage(const BMessage* message);
	bool _WindowMessage(const BMessage* message);

	// Commands on the selection.
	void _DeleteSelected();
	void _Sort(const BMessage* message);
	void _OpenEditor(bool modify);

	// Frames and reading.
	void _NoteFrameChange();
	book_frame _CurrentFrame() const;
	void _ReadBook(const BMessage* message);
	void _ContactsImported(const entry_ref& source, const std::string& sourcePath,
		const std::string& notes);

	// The book's file changed on disk.
	void _FileChangedOnDisk();
	void _ReloadBook();

	// What a kill or a crash left of the book, and the journal of its unsaved
	// changes.
	void _OfferLeftovers();
	void _RecoveryAnswered(const BMessage* message);
	void _StartJournal();

	// Saving and closing, as the flow decides.
	bool _Carry(const Action& action, status_t writeStatus = B_OK);
	bool _CarryWrite(const Action& action);
	void _CarryOut(const Action& action);
	void _SaveDone(const std::string& path);
	void _SaveAsReply(const BMessage* message);
	void _HandleAnswer(const BMessage* message);

	BookShell* const fShell;
	std::unique_ptr<BookMenus> fMenus;
	std::unique_ptr<BookListArea> fList;
	std::unique_ptr<CVABook> fBook;
	std::unique_ptr<CVABOpenPanel> fOpenPanel;
	std::unique_ptr<CVABSavePanel> fSavePanel;
	BookAlerts fAlerts;
	std::unique_ptr<SecondaryWindows> fSecondaries;

	// The file, and when it is written and the window may close.
	std::unique_ptr<BookDiskFile> fFile;
	BookSaveFlow fFlow;
	// The journal of the unsaved changes, and what a crash left.
	std::unique_ptr<JournalKeeper> fJournal;
	BookRecovery fRecovery;
	// Where the journal of a book with no file of its own goes ("" until
	// needed), and the contacts file the book was read from ("" for none).
	std::string fNoFileJournal;
	std::string fSourcePath;
	// The close under way was asked by the application's quit.
	bool fQuitting = false;

	// The frame as of the last read or save: only a change from it counts.
	BRect fSavedFrame;
};

#endif
