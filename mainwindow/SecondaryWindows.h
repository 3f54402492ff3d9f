// The Find and editor windows a book window opens, reached only through their
// messengers: they close on their own, and are asked to when the book window
// closes. Every Find opens a new Find window; Find Next goes on through the
// newest one.
// Threading: its book window's thread, or with that window locked (debug
// builds check it).
#ifndef _SECONDARY_WINDOWS_H
#define _SECONDARY_WINDOWS_H

#include <Messenger.h>

#include <vector>

class ABookRecord;
class BLooper;
class BWindow;

class SecondaryWindows {
public:
	// bookWindow is the window they work on.
	explicit SecondaryWindows(BLooper* bookWindow);

	void OpenFind();
	// False when the newest Find window is closed: there is none to go on.
	bool FindNext();
	// An editor of a new record, or of record when there is one.
	void OpenEditor(const ABookRecord* record);
	// Posted, never waited for: a secondary window may be waiting for the
	// book window.
	void CloseAll();

private:
	void _Open(BWindow* window);
	void _AssertLocked() const;

	BLooper* const fOwner;
	const BMessenger fBookWindow;
	BMessenger fFindWindow;
	std::vector<BMessenger> fOpen;
};

#endif
