// What a main window needs of the application around it: the list of open main
// windows, the active window, the file each window shows and the setting that
// names the book last read or saved. The application implements it.
// Threading: any thread; an implementation takes no window's lock, so a window
// may call it with its own lock held.
#ifndef _BOOK_SHELL_H
#define _BOOK_SHELL_H

#include <string>

class CVABWindow;

class BookShell {
public:
	virtual ~BookShell() = default;

	// The window became active.
	virtual void WindowActivated(CVABWindow* window) = 0;
	// The window is closing: it leaves the list (and stops being the active
	// one); the last one to leave asks the application to quit.
	virtual void WindowClosed(CVABWindow* window) = 0;
	// The window now shows the book at this absolute path ("" for none), so
	// the application brings it forward instead of opening it twice.
	virtual void WindowFileChanged(CVABWindow* window, const std::string& path) = 0;
	// A book was read from or saved to this absolute path.
	virtual void StoreLastFile(const std::string& path) = 0;
	// The application is ending because a signal asked it to (a logout, a
	// kill): nobody may be there to answer an alert, so a window closes
	// without one where it can.
	virtual bool EndingOnSignal() const = 0;
};

#endif
