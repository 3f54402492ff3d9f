// The window of one address book: its menu bar, the column-header strip, the
// record list in a scroll view, its two file panels and the document. It is the
// one dispatcher of the book's commands, and it reads and saves its book.
// Threading: a looper of its own; ReloadList, SelectRecord (on the list) and
// ReadBookFile may be called from other threads, and lock the window themselves.
#ifndef _CVAB_WINDOW_H
#define _CVAB_WINDOW_H

#include "BookBody.h"
#include "BookOwner.h"

#include <EntryRef.h>
#include <Messenger.h>
#include <Window.h>

#include <memory>
#include <string>
#include <vector>

class ABListView;
class BookMenus;
class BookShell;
class BScrollView;
class CVABook;
class CVABOpenPanel;
class CVABSavePanel;

// Header buttons and list columns are this many pixels apart.
constexpr float kColumnWidth = 80;

extern const char kMainWindowTitle[];

class CVABWindow : public BWindow, public BookOwner {
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

	// A new, unnamed book: an empty document, the window shown, the save panel
	// shown for its name.
	void StartNewBook();
	// Reads the book named by the message's first "refs" entry into a new
	// document and shows the window; from any thread, the window not yet shown.
	// A file that does not exist yet reads as an empty book under its name.
	void ReadBookFile(const BMessage* message);

	// With the window locked:
	CVABook* Book() const { return fBook.get(); }
	ABListView* ListView() const { return fListView; }
	BView* ButtonView() const { return fButtonView; }
	BookMenus* Menus() const { return fMenus.get(); }
	bool IsFieldShown(int32 field) const;
	// The file the window shows, "" before it has one.
	std::string FilePath() const { return fFilePath; }

private:
	enum class SaveOutcome { kSaved, kFailed, kPending };

	// Views.
	void _BuildWindowView();
	void _BuildButtonBar();
	void _RemoveButtonBar();
	void _EmptyList();
	void _RefreshColumns();
	void _HandleViewCommand(const BMessage* message);

	// Commands on the selection.
	int32 _Selection() const;
	const ABookRecord* _SelectedRecord() const;
	void _SelectionChanged();
	void _DeleteSelected();
	void _Sort(const BMessage* message);
	void _SelectAll();
	void _OpenWebPage();
	void _OpenEditor(bool modify);
	void _OpenSecondary(BWindow* window);
	void _CloseSecondaries();

	// Saving.
	SaveOutcome _WriteBookFile(bool closing);
	SaveOutcome _WriteWhole(bool closing);
	SaveOutcome _SaveForClose();
	void _SaveAsReply(const BMessage* message);
	void _SaveDone(const std::string& path);
	void _ShowSavePanel(bool closing);
	void _PanelCancelled();
	void _AskBeforeShortening(bool closing);
	void _AskAboutUnsavedBook();
	void _ReportSaveFailure(status_t status, bool closing);
	void _HandleAnswer(const BMessage* message);
	void _CloseApproved();
	void _NoteFrameChange();
	bool _IsFrameSaved() const;
	book_frame _CurrentFrame() const;
	void _SetFile(const entry_ref& ref, const std::string& path);

	BookShell* const fShell;
	std::unique_ptr<BookMenus> fMenus;
	std::unique_ptr<CVABook> fBook;
	std::unique_ptr<CVABOpenPanel> fOpenPanel;
	std::unique_ptr<CVABSavePanel> fSavePanel;

	BView* fWindowView = nullptr;
	BView* fButtonView = nullptr;
	BScrollView* fScrollView = nullptr;
	ABListView* fListView = nullptr;

	// The Find and editor windows opened from here, reached only through their
	// messengers: they close on their own, and are asked to when this one does.
	BMessenger fFindWindow;
	std::vector<BMessenger> fSecondaryWindows;

	// The file.
	entry_ref fFileRef;
	bool fHasFile = false;
	std::string fFilePath;
	// Reading failed for another reason than a missing file: never written
	// implicitly, and Save asks for a name.
	bool fLoadFailed = false;
	// What reading cut; the first save of the body over that file asks first.
	book_read_losses fLosses;

	// The save panel's cancel closes a new book that never got a name.
	bool fCloseOnPanelCancel = true;
	// A close waits for a question or the save panel; it ends once saved.
	bool fCloseAfterSave = false;
	// The user agreed to close without (further) saving.
	bool fCloseApproved = false;

	// The frame as of the last read or save: only a change from it marks the book.
	BRect fSavedFrame;
	bool fFrameTracked = false;
	float fLastWidth = 0;
	float fLastHeight = 0;
};

#endif
