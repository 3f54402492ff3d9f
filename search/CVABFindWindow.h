// The Find window of one book window: a search field and Search, Search Again,
// Find All and Cancel. Each match is selected in the book window's list; Search
// Again (its button, Command-G here, or the book window's Find Next posting
// 'fsag') goes on from the field after the last match.
// Threading: a looper of its own; it reaches its book window only through a
// messenger, locking it around each use, so it outlives that window safely.
#ifndef _CVAB_FIND_WINDOW_H
#define _CVAB_FIND_WINDOW_H

#include "RecordSearch.h"

#include <Messenger.h>
#include <Window.h>

class BButton;
class CVABWindow;
class MyEntryTextView;

class CVABFindWindow : public BWindow {
public:
	// Builds the window, not shown, searching owner's book.
	explicit CVABFindWindow(CVABWindow* owner);
	~CVABFindWindow() override;

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;

private:
	void _BuildViews();
	void _Search();
	void _SearchAgain();
	CVABWindow* _LockOwner() const;
	void _ShowResult(CVABWindow* owner, const ABookRecord* found);

	const BMessenger fOwner;
	RecordSearch fSearch;
	MyEntryTextView* fSearchField = nullptr;
	BButton* fSearchButton = nullptr;
	BButton* fSearchAgainButton = nullptr;
	BButton* fFindAllButton = nullptr;
	BButton* fCancelButton = nullptr;
};

#endif
