// Tells a book window that its book's file was changed on disk: an inotify
// watch on the book's folder (so a replace by rename is seen as well as a write
// in place or a delete), filtered to the book and the id file beside it. A
// burst of changes (a save writes the body, then the ids) is let settle before
// one message is posted; a burst that never settles is reported every second.
// Events that leave the file as the window last read or saved it (its own
// saves, a program that only opened it) are no change. The message only says
// "look again": the window compares the file with what it knows itself.
// Threading: made, poked and destroyed by one thread (the window's, or with it
// locked); its own thread only posts to the target and never locks a window.
#ifndef _BOOK_FILE_WATCHER_H
#define _BOOK_FILE_WATCHER_H

#include "BookAncestor.h"

#include <Messenger.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class BookFileWatcher {
public:
	// path is the book's absolute path, links resolved; the file need not
	// exist. known is the file as the window last read or saved it. what is
	// posted to target once the changes settle.
	BookFileWatcher(const std::string& path, const book_file_state& known,
		const BMessenger& target, uint32 what, bigtime_t settle = 200000);
	// Ends the watching thread; no message is posted after it returns.
	~BookFileWatcher();

	BookFileWatcher(const BookFileWatcher&) = delete;
	BookFileWatcher& operator=(const BookFileWatcher&) = delete;

	// B_OK while watching; else why not (no inotify, no such folder).
	status_t InitCheck() const { return fStatus; }
	const std::string& Path() const { return fPath; }

	// The file as the window has now read or saved it.
	void SetKnown(const book_file_state& known);
	// Posts the message again after the settle time, as if the file changed:
	// for a window that could not read it yet.
	void Poke();

private:
	void _Run();
	bool _ReadEvents();
	bool _FileIsKnown();
	void _Post();

	const std::string fPath;
	std::string fName;
	std::string fIdsName;
	const BMessenger fTarget;
	const uint32 fWhat;
	const bigtime_t fSettle;
	std::mutex fKnownLock;
	book_file_state fKnown;
	status_t fStatus = B_NO_INIT;
	int fInotify = -1;
	int fWake = -1;  // an eventfd: a poke or the end
	std::atomic<bool> fStopping{false};
	std::thread fThread;
};

#endif
