#include "BookLock.h"

#include "BookPaths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr bigtime_t kRetryInterval = 10000;

bigtime_t Now()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return bigtime_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

}  // namespace

BookLock::BookLock(std::string bookPath)
	: fPath(LockPath(bookPath))
{
}

BookLock::~BookLock()
{
	Release();
}

std::string BookLock::LockPath(const std::string& bookPath)
{
	return HiddenPathBeside(bookPath, ".lock");
}

status_t BookLock::Acquire(bigtime_t timeout)
{
	if (fFd < 0) {
		if (const status_t status = _Open(); status != B_OK)
			return status;
	}
	const bigtime_t deadline = Now() + timeout;
	while (flock(fFd, LOCK_EX | LOCK_NB) != 0) {
		if (errno == EINTR)
			continue;
		if (errno != EWOULDBLOCK)
			return status_from_errno(errno);
		if (Now() >= deadline)
			return kBookBusyError;
		const struct timespec pause = {0, kRetryInterval * 1000};
		nanosleep(&pause, nullptr);
	}
	return B_OK;
}

// Read access is all flock needs, so a lock file another user made is still
// ours to lock. Not blocking: a FIFO planted there must not hang the save.
status_t BookLock::_Open()
{
	fFd = open(fPath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
	if (fFd < 0) {
		if (errno == ELOOP)
			return kBookLockLinkError;
		return errno == EISDIR ? kBookLockOddError : status_from_errno(errno);
	}
	struct stat info;
	if (fstat(fFd, &info) != 0 || !S_ISREG(info.st_mode)) {
		Release();
		return kBookLockOddError;
	}
	return B_OK;
}

void BookLock::Release()
{
	if (fFd >= 0)
		close(fFd);  // closing lets go of the lock
	fFd = -1;
}
