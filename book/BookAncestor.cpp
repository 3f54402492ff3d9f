#include "BookAncestor.h"


#include <cerrno>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

bool book_file_state::SameFile(const book_file_state& other) const
{
	return exists == other.exists && device == other.device && inode == other.inode
		&& size == other.size && modified == other.modified;
}

status_t StatBookFile(const std::string& path, book_file_state* state)
{
	*state = book_file_state();
	struct stat info;
	if (stat(path.c_str(), &info) != 0)
		return errno == ENOENT ? B_OK : status_from_errno(errno);
	state->exists = true;
	state->device = info.st_dev;
	state->inode = info.st_ino;
	state->size = info.st_size;
	state->modified = int64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
	return B_OK;
}

uint64 BookLineHash(std::string_view line)
{
	return std::hash<std::string_view>()(line);
}

BookAncestor::BookAncestor(const book_file_state& state, book_layout layout, bool writerForm,
	std::vector<record_id> ids, std::vector<uint64> lineHashes, int fd)
	: fState(state),
	  fLayout(layout),
	  fWriterForm(writerForm),
	  fIds(std::move(ids)),
	  fLineHashes(std::move(lineHashes)),
	  fFd(fd)
{
}

BookAncestor::~BookAncestor()
{
	_Close();
}

BookAncestor::BookAncestor(BookAncestor&& other) noexcept
{
	*this = std::move(other);
}

BookAncestor& BookAncestor::operator=(BookAncestor&& other) noexcept
{
	if (this != &other) {
		_Close();
		fState = other.fState;
		fLayout = other.fLayout;
		fWriterForm = other.fWriterForm;
		fIds = std::move(other.fIds);
		fLineHashes = std::move(other.fLineHashes);
		fFd = other.fFd;
		other.fFd = -1;
		other.fState = book_file_state();
	}
	return *this;
}

void BookAncestor::_Close()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
}

status_t BookAncestor::ReadBack(std::string* bytes) const
{
	bytes->clear();
	struct stat info;
	if (fFd < 0 || fstat(fFd, &info) != 0)
		return B_BAD_DATA;
	// Read at once into its full size; more or less than that is no longer
	// the body, which the digest then tells.
	bytes->resize(static_cast<size_t>(info.st_size));
	size_t filled = 0;
	while (filled < bytes->size()) {
		const ssize_t got = pread(fFd, bytes->data() + filled, bytes->size() - filled,
			static_cast<off_t>(filled));
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			break;
		filled += static_cast<size_t>(got);
	}
	bytes->resize(filled);
	return B_OK;
}

bool BookAncestor::TakeBody(std::string* bytes, const sha256_digest& digest) const
{
	if (fFd < 0 || digest != fState.body) {
		bytes->clear();
		return false;
	}
	if (fWriterForm)
		return true;
	// Read in another layout, or not as the writer writes: the records it gave
	// are what the merge compares.
	CVABook book(nullptr);
	ReadBookBody(&book, bytes->data(), bytes->size(), fLayout);
	*bytes = BookBodyBytes(&book);
	return true;
}
