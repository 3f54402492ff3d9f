// The application object: opens one main window per address book (a launch
// document, the book last opened or saved, or a new one), keeps the list of
// open main windows, and answers the application-wide commands and the
// questions of a second instance.
// Threading: a looper in the main thread; the BookShell calls come from window
// threads and take only the window list's own lock.
#ifndef _CVAB_APP_H
#define _CVAB_APP_H

#include "AppSettings.h"
#include "BookShell.h"
#include "BookWindowList.h"
#include "WordServicesServer.h"

#include <Application.h>
#include <EntryRef.h>
#include <Rect.h>

#include <atomic>
#include <string>

extern const char kAppSignature[];

class CVABapp : public BApplication, public BookShell {
public:
	CVABapp();
	~CVABapp() override;

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;
	void ReadyToRun() override;
	void RefsReceived(BMessage* message) override;
	void ArgvReceived(int32 argc, char** argv) override;

	void WindowActivated(CVABWindow* window) override;
	void WindowClosed(CVABWindow* window) override;
	void WindowFileChanged(CVABWindow* window, const std::string& path) override;
	void StoreLastFile(const std::string& path) override;
	bool EndingOnSignal() const override { return fEndingOnSignal; }

	// The open main windows, most recently activated last.
	std::vector<BMessenger> BookWindows() const { return fWindows.Messengers(); }

private:
	void _OpenNewBook();
	bool _OfferLeftNewBooks();
	void _OpenBook(const entry_ref& ref);
	// The frame kept with the file when it is one a screen can show, else a
	// frame centred on the screen.
	BRect _FrameFor(const entry_ref& ref) const;

	BookWindowList fWindows;
	bool fFileOpened = false;
	// Set while a quit asked by a signal asks the windows (read by their threads).
	std::atomic<bool> fEndingOnSignal{false};
	// A document named on the command line that does not exist yet; opened at
	// start when no existing one was.
	std::string fPendingNewFile;
	AppSettings fSettings;
	// Word Services: registration, the current session, its alerts. Sessions
	// search the book of the most recently active main window still open.
	WordServicesServer fWordServices{[this] { return fWindows.MostRecent(); }};
};

#endif
