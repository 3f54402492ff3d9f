// The application's list of open main windows, the active one, and the file
// each shows. Window threads change it as they activate and close while the
// application's thread reads it, so it has a small lock of its own, never held
// while taking any other lock: nobody waits on a window while holding it.
// Threading: any thread.
#ifndef _BOOK_WINDOW_LIST_H
#define _BOOK_WINDOW_LIST_H

#include <Messenger.h>

#include <mutex>
#include <string>
#include <vector>

class CVABWindow;

class BookWindowList {
public:
	void Add(CVABWindow* window);
	// True when the list became empty with this removal.
	bool Remove(CVABWindow* window);
	void SetActive(CVABWindow* window);
	void SetPath(CVABWindow* window, const std::string& path);

	// Messengers of the open windows, oldest first (most recently activated last).
	std::vector<BMessenger> Messengers() const;
	// The window showing the file at path, or an invalid messenger.
	BMessenger FindByPath(const std::string& path) const;
	// The most recently activated (or, never activated, opened) window still
	// open, or an invalid messenger.
	BMessenger MostRecent() const;

private:
	struct Entry {
		CVABWindow* window;
		BMessenger messenger;
		std::string path;
	};

	Entry* _Find(CVABWindow* window);

	mutable std::mutex fLock;
	// In order of opening, the most recently activated moved to the end.
	std::vector<Entry> fEntries;
};

#endif
