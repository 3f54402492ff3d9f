// The lock that keeps two programs from saving one book at once: an advisory
// lock (flock) on ".NAME.lock" beside the book. The lock file is made by the
// first saver and never removed, so every locker, in every program, locks the
// same file; a program that dies lets go of it with its last descriptor.
// Threading: one object per save; the lock is held by the object, so two
// threads of one program exclude each other too.
#ifndef _BOOK_LOCK_H
#define _BOOK_LOCK_H

#include <SupportDefs.h>

#include <string>

// The status of a save that gave up waiting for the lock: another program is
// saving the same book. Outside the platform's ranges of codes.
constexpr status_t kBookBusyError = B_GENERAL_ERROR_BASE + 0x10001;

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
	// microseconds: kBookBusyError when another holder keeps it that long, or
	// the error that kept the lock file from being made or opened.
	status_t Acquire(bigtime_t timeout = kSaveLockTimeout);
	void Release();

	// ".NAME.lock" in the book's folder.
	static std::string LockPath(const std::string& bookPath);

private:
	const std::string fPath;
	int fFd = -1;
};

#endif
