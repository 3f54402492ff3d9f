// A book file opened to be read, never waited on and never read when it
// cannot be a book: it is opened with O_NONBLOCK (a FIFO or a device does not
// hold the open up) and looked at with fstat before any byte is read.
// Anything but a regular file (a folder, a device such as /dev/zero, a FIFO,
// a socket) is refused with kNotAFileError, and a file larger than
// kLargestBookFile with kBookTooLargeError, so that no reader of a book (the
// window's, the merge's, the tools') hangs on such a file or runs out of
// memory on it. A regular file is then read as ever.
// Threading: one thread at a time.
#ifndef _READ_ONLY_BOOK_FILE_H
#define _READ_ONLY_BOOK_FILE_H

#include <SupportDefs.h>

#include <string>
#include <sys/stat.h>

// A book of 100,000 records takes about 15 MB.
constexpr off_t kLargestBookFile = off_t(512) << 20;

// Numbered after the lock's codes (BookLock.h): one DescribeFileError tells them all.
constexpr status_t kNotAFileError = B_GENERAL_ERROR_BASE + 0x10004;
constexpr status_t kBookTooLargeError = B_GENERAL_ERROR_BASE + 0x10005;

class ReadOnlyBookFile {
public:
	// path is followed through links.
	explicit ReadOnlyBookFile(const std::string& path);
	~ReadOnlyBookFile();

	ReadOnlyBookFile(const ReadOnlyBookFile&) = delete;
	ReadOnlyBookFile& operator=(const ReadOnlyBookFile&) = delete;

	// B_OK when open; kNotAFileError, kBookTooLargeError, or why it could
	// not be opened.
	status_t InitCheck() const { return fStatus; }
	// What fstat said: also for a refused file (B_OK or a refusal).
	const struct stat& Info() const { return fInfo; }

	// Up to size bytes from where the last read ended: how many (0 at the
	// end), or an error.
	ssize_t Read(void* buffer, size_t size);
	// The whole file, read at once; a file that grew past the limit while it
	// was read is refused all the same.
	status_t ReadAll(std::string* bytes);

	// Why the file at path was refused, to end a sentence such as "The
	// address book "x" could not be opened: ...": "it is a folder", "it is
	// 2.0 GiB, more than the 512 MiB an address book may have", ...; "" for
	// a status that is no refusal.
	static std::string DescribeRefusal(status_t status, const struct stat& info);

private:
	int fFd = -1;
	status_t fStatus = B_NO_INIT;
	struct stat fInfo = {};
};

#endif
