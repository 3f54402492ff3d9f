#include "BookBlockReader.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

ssize_t ReadAt(int fd, char* buffer, size_t size, off_t offset)
{
	ssize_t got;
	do
		got = pread(fd, buffer, size, offset);
	while (got < 0 && errno == EINTR);
	return got;
}

}  // namespace

BookBlockReader::BookBlockReader(int fd, size_t blockSize)
	: fFd(fd),
	  fBlockSize(blockSize > 0 ? blockSize : 1)
{
}

block_read BookBlockReader::ForEachBlock(const std::function<void(std::string_view)>& lines)
{
	fError = 0;
	fDamageOffset = -1;
	size_t kept = 0;  // an unfinished line carried over from the read before
	off_t offset = 0;
	for (;;) {
		if (fBuffer.size() < kept + fBlockSize)
			fBuffer.resize(kept + fBlockSize);
		char* data = fBuffer.data();
		const ssize_t got = ReadAt(fFd, data + kept, fBlockSize, offset);
		if (got < 0) {
			fError = errno;
			return block_read::kFailed;
		}
		if (got == 0)
			break;
		if (const void* nul = memchr(data + kept, '\0', got)) {
			const size_t at = static_cast<const char*>(nul) - data;
			const off_t nulOffset = offset + static_cast<off_t>(at - kept);
			if (!_NulEndsBody(nulOffset, at))
				return fError != 0 ? block_read::kFailed : block_read::kDamaged;
			// What comes before it ends with a line feed: whole lines only.
			if (at > 0)
				lines(std::string_view(data, at));
			return block_read::kDone;
		}
		offset += got;
		const size_t filled = kept + static_cast<size_t>(got);
		// What was kept holds no line feed: only the new bytes are searched, so a
		// very long line costs no more than a short one per byte.
		const void* lastFeed = memrchr(data + kept, '\n', static_cast<size_t>(got));
		if (lastFeed == nullptr) {
			kept = filled;
			continue;
		}
		const size_t whole = static_cast<const char*>(lastFeed) - data + 1;
		lines(std::string_view(data, whole));
		kept = filled - whole;
		memmove(data, data + whole, kept);
	}
	if (kept > 0)
		lines(std::string_view(fBuffer.data(), kept));
	return block_read::kDone;
}

// A NUL costs nothing only as the file's last byte, after a line feed (or as
// its only byte): anything else is text the book's reader would drop.
bool BookBlockReader::_NulEndsBody(off_t offset, size_t inBuffer)
{
	fDamageOffset = offset;
	if (inBuffer > 0 && fBuffer[inBuffer - 1] != '\n')
		return false;
	char next;
	const ssize_t got = ReadAt(fFd, &next, 1, offset + 1);
	if (got < 0)
		fError = errno;
	if (got != 0)
		return false;
	fDamageOffset = -1;
	return true;
}
