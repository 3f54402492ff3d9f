// The Find window of one book window: a search field and Search, Search Again,
// Find All and Cancel. Each match is selected in the book window's list; Search
// Again (its button, Command-G here, or the book window's Find Next posting
// 'fsag') goes on from the field after the last match. Cancel, or Escape, closes.
// Threading: a looper of its own; it reaches its book window only through a
// messenger, locking it around each use, so it outlives that window safely.
#ifndef _CVAB_FIND_WINDOW_H
#define _CVAB_FIND_WINDOW_H

#include "CVABDialogWindow.h"
#include "RecordSearch.h"

#include <Messenger.h>

class BButton;
class BookWindowAccess;
class MyEntryTextView;

// Search again: Search Again, Command-G here, and the book window's Find Next.
constexpr uint32 kFindAgainCommand = 'fsag';

class CVABFindWindow : public CVABDialogWindow {
public:
	// Builds the window, not shown, searching the book of bookWindow.
	explicit CVABFindWindow(const BMessenger& bookWindow);
	~CVABFindWindow() override;

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;

private:
	void _BuildViews();
	// Searches anew, or goes on from the last match.
	void _Search(bool again);
	void _ShowResult(BookWindowAccess* bookWindow, const ABookRecord* found);

	const BMessenger fBookWindow;
	RecordSearch fSearch;
	MyEntryTextView* fSearchField = nullptr;
	BButton* fSearchButton = nullptr;
	BButton* fSearchAgainButton = nullptr;
	BButton* fFindAllButton = nullptr;
	BButton* fCancelButton = nullptr;
};

#endif
