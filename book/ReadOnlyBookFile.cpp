#include "ReadOnlyBookFile.h"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

std::string SizeText(off_t size)
{
	const std::unique_ptr<gchar, decltype(&g_free)> text(
		g_format_size_full(static_cast<guint64>(size), G_FORMAT_SIZE_IEC_UNITS), &g_free);
	return text.get();
}

}  // namespace

ReadOnlyBookFile::ReadOnlyBookFile(const std::string& path)
{
	fFd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (fFd < 0) {
		fStatus = status_from_errno(errno);
		return;
	}
	if (fstat(fFd, &fInfo) != 0)
		fStatus = status_from_errno(errno);
	else if (!S_ISREG(fInfo.st_mode))
		fStatus = kNotAFileError;
	else if (fInfo.st_size > kLargestBookFile)
		fStatus = kBookTooLargeError;
	else
		fStatus = B_OK;
	if (fStatus != B_OK) {
		close(fFd);
		fFd = -1;
	}
}

ReadOnlyBookFile::~ReadOnlyBookFile()
{
	if (fFd >= 0)
		close(fFd);
}

ssize_t ReadOnlyBookFile::Read(void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return fStatus;
	for (;;) {
		const ssize_t got = read(fFd, buffer, size);
		if (got >= 0 || errno != EINTR)
			return got >= 0 ? got : status_from_errno(errno);
	}
}

status_t ReadOnlyBookFile::ReadAll(std::string* bytes)
{
	if (fStatus != B_OK)
		return fStatus;
	bytes->resize(static_cast<size_t>(fInfo.st_size) + 1);
	size_t filled = 0;
	for (;;) {
		if (filled == bytes->size()) {
			if (filled > static_cast<size_t>(kLargestBookFile))
				return kBookTooLargeError;
			bytes->resize(std::min(2 * filled, static_cast<size_t>(kLargestBookFile) + 1));
		}
		const ssize_t got = Read(bytes->data() + filled, bytes->size() - filled);
		if (got < 0)
			return static_cast<status_t>(got);
		if (got == 0)
			break;
		filled += static_cast<size_t>(got);
	}
	bytes->resize(filled);
	return B_OK;
}

std::string ReadOnlyBookFile::DescribeRefusal(status_t status, const struct stat& info)
{
	if (status == kBookTooLargeError) {
		return "it is " + SizeText(info.st_size) + ", more than the "
			+ SizeText(kLargestBookFile) + " an address book may have";
	}
	if (status != kNotAFileError)
		return std::string();
	if (S_ISDIR(info.st_mode))
		return "it is a folder";
	if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
		return "it is a device, not a file";
	if (S_ISFIFO(info.st_mode))
		return "it is a pipe (FIFO), not a file";
	if (S_ISSOCK(info.st_mode))
		return "it is a socket, not a file";
	return "it is not a regular file";
}
