// A book file's body read front to back in large blocks of whole lines, so that
// a query touches every byte once and holds one block, whatever the book's size.
// A NUL byte ends the body as the book's reader has it (BookBody.h); one that
// would cost text (anything after it, or an unfinished line before it) makes the
// body damaged, and nothing past the block before it is handed on.
// Threading: one thread at a time per object.
#ifndef _BOOK_BLOCK_READER_H
#define _BOOK_BLOCK_READER_H

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

enum class block_read {
	kDone,
	kFailed,   // reading failed: errno in Error()
	kDamaged,  // a NUL byte at DamageOffset() would cost text
};

class BookBlockReader {
public:
	// Large enough that reading costs little next to looking at the bytes,
	// small enough to stay in the cache and keep the memory low.
	static constexpr size_t kBlockSize = 64 * 1024;

	// fd stays the caller's; it is read with pread, so both passes of a query
	// share it. blockSize is the size of one read (tests make it tiny).
	explicit BookBlockReader(int fd, size_t blockSize = kBlockSize);

	// Calls lines(block) for each block, from the start of the file: each holds
	// whole lines ended by their line feed, except that the file's last line
	// may be unfinished. A line longer than blockSize grows the buffer.
	block_read ForEachBlock(const std::function<void(std::string_view)>& lines);

	int Error() const { return fError; }
	off_t DamageOffset() const { return fDamageOffset; }

private:
	bool _NulEndsBody(off_t offset, size_t inBuffer);

	int fFd;
	size_t fBlockSize;
	std::string fBuffer;
	int fError = 0;
	off_t fDamageOffset = -1;
};

#endif
