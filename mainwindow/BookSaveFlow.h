// When a book window writes its book, asks the user first, or may close: the one
// home of those rules. The window tells it each event (a change, a save or a
// close asked for, how a write went, the save panel's and the questions'
// answers) and carries out the one step it answers with. It holds no window,
// file or alert, so its rules are tested on their own.
//
// The book's whole body is written by one step, kWriteWhole, whichever way the
// save came (Save, Save As, Replace, a close), so anything that must come
// before a body write goes in front of that step. An unsaved change of the
// records (kSorted, kChanged, kUnreadableChanged, kImportedChanged, a changed
// new book) stays apart from a frame-only one (kFrameChanged). A book that
// must never be written over its source is a state like kUnreadable or
// kImported, whose Save asks for a name first.
// When another program changed the book's file, a window that holds nothing
// unsaved but its frame reads it anew (MayReload); any other keeps its records,
// and its next write merges them with the file (whose report is kReportMerge).
// Threading: its window's thread, or with the window locked.
#ifndef _BOOK_SAVE_FLOW_H
#define _BOOK_SAVE_FLOW_H

#include "BookBody.h"

class BookSaveFlow {
public:
	enum class State {
		kNotOpen,            // no book yet: frame changes mean nothing
		kNew,                // a new book with no file; its save panel's cancel
		                     // closes it while it holds no record
		kNewChanged,         // the same, changed since (its frame or records)
		kNewClosing,         // a changed new book whose save panel is out to close
		                     // it: the panel's cancel keeps the window
		kClean,              // as its file holds it
		kFrameChanged,       // only the frame differs: a save writes the frame alone
		kSorted,             // the order differs: Save writes it, a close alone not
		kChanged,            // records added, changed or deleted since read or saved
		kUnreadable,         // its file could not be read: never written over, so
		                     // Save asks for a name
		kUnreadableChanged,  // the same, with records added: a close asks first
		kImported,           // read from a vCard or CSV file: never written over, so
		                     // Save asks for a name; its frame is nothing to save
		kImportedChanged,    // the same, with records changed: a close asks first
		kClosing,            // the close is agreed: nothing more is written or asked
	};

	enum class Step {
		kNothing,
		kWriteFrame,           // store only the window frame with the book's file
		kWriteWhole,           // write the whole book to its file
		kShowSavePanel,        // ask for the file to save to
		kAskBeforeShortening,  // ask before the body written cuts what reading kept out
		kAskAboutUnsavedBook,  // ask before closing a book that has no file to save to
		kReportFailure,        // say why the write failed
		kReportMerge,          // say that the write kept another program's changes too
		kClose,                // the window may close
	};

	struct Action {
		Step step = Step::kNothing;
		// Part of a close: once the step ends well, the window closes.
		bool closing = false;

		bool operator==(const Action&) const = default;
	};

	// A question's buttons, in their order: go on as it warns (don't save,
	// replace, close without saving), cancel, save under another name.
	enum class Answer { kProceed, kCancel, kSaveElsewhere };

	// The book came: a new one (the answer asks for its name), or one read
	// from its file, with what reading had to leave out.
	Action NewStarted();
	void BookRead(bool readable, const book_read_losses& losses);
	// The book came from a file of contacts in another format, which stays its
	// source until a file is chosen for it.
	void ContactsImported();

	void RecordsChanged();
	void Sorted();
	// The frame differs from the one last read or saved; false when that counts
	// for nothing yet.
	bool FrameChanged();
	// The book's file changed on disk: whether the window may show it as it is
	// now, which loses nothing (only the frame may be unsaved, and it is kept).
	bool MayReload() const;
	// The window shows the file anew, with what that read left out; an unsaved
	// frame stays unsaved.
	void Reloaded(const book_read_losses& losses);

	// bodyOnDisk: the book's file is there, so the frame alone can be stored.
	Action SaveAsked(bool bodyOnDisk);
	Action SaveAsAsked();
	Action CloseAsked(bool holdsRecords, bool bodyOnDisk);

	Action FrameWritten(bool closing);
	// merged: the write kept changes another program made to the file too.
	Action BookWritten(bool closing, bool merged = false);
	Action WriteFailed(bool closing);
	// The save panel named a file, which the window now shows.
	Action FileChosen(bool closing);
	Action PanelCancelled(bool holdsRecords);
	// question is the step that asked.
	Action Answered(Step question, Answer answer, bool closing);

	State CurrentState() const { return fState; }
	bool IsNew() const;
	bool IsImported() const;
	// What reading left out; a body write over the same file asks while any.
	const book_read_losses& Losses() const { return fLosses; }

private:
	Action _Save(bool closing, bool bodyOnDisk);
	Action _ShowSavePanel(bool closing);
	Action _Close();

	State fState = State::kNotOpen;
	book_read_losses fLosses;
};

#endif
