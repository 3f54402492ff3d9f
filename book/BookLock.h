// The lock that keeps two programs from saving one book at once: an advisory
// lock (flock) on ".NAME.lock" beside the book. The lock file is made by the
// first saver and never renamed, replaced or removed, so every locker, in
// every program and of every user sharing the book, locks the same file; a
// program that dies lets go of it with its last descriptor. It holds nothing,
// so a plain file of any owner serves; a link (which another user may have
// planted to have a file made or locked elsewhere) or anything else that is
// not a plain file stops the save, with an error that says which.
// Threading: one object per save; the lock is held by the object, so two
// threads of one program exclude each other too.
#ifndef _BOOK_LOCK_H
#define _BOOK_LOCK_H

#include <SupportDefs.h>

#include <string>

// The status of a save that gave up waiting for the lock: another program is
// saving the same book. Outside the platform's ranges of codes.
constexpr status_t kBookBusyError = B_GENERAL_ERROR_BASE + 0x10001;
// The lock file is a symbolic link, or not a plain file.
constexpr status_t kBookLockLinkError = B_GENERAL_ERROR_BASE + 0x10002;
constexpr status_t kBookLockOddError = B_GENERAL_ERROR_BASE + 0x10003;

// How long a save waits for another program's save by default.
constexpr bigtime_t kSaveLockTimeout = 2000000;

class BookLock {
public:
	// bookPath is the book's real path (links resolved); the book itself need
	// not exist yet.
	explicit BookLock(std::string bookPath);
	// Lets go of the lock, if held.
	~BookLock();

	BookLock(const BookLock&) = delete;
	BookLock& operator=(const BookLock&) = delete;

	// Takes the lock, trying again every few milliseconds for up to timeout
	// microseconds: kBookBusyError when another holder keeps it that long,
	// kBookLockLinkError or kBookLockOddError for a lock file that is not a
	// plain file, or the error that kept it from being made or opened.
	status_t Acquire(bigtime_t timeout = kSaveLockTimeout);
	void Release();

	// ".NAME.lock" in the book's folder.
	static std::string LockPath(const std::string& bookPath);

private:
	status_t _Open();

	const std::string fPath;
	int fFd = -1;
};

#endif
