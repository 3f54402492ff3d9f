// Sections: opening; reading and writing; size.
#include <File.h>

#include <Directory.h>
#include <Entry.h>
#include <Path.h>
#include <StoragePaths.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

int open_flags(uint32 openMode)
{
	int flags = O_CLOEXEC;
	switch (openMode & O_ACCMODE) {
		case B_WRITE_ONLY: flags |= O_WRONLY; break;
		case B_READ_WRITE: flags |= O_RDWR; break;
		default: flags |= O_RDONLY; break;
	}
	if ((openMode & B_CREATE_FILE) != 0) {
		flags |= O_CREAT;
		if ((openMode & B_FAIL_IF_EXISTS) != 0)
			flags |= O_EXCL;
	}
	if ((openMode & B_ERASE_FILE) != 0 && (openMode & O_ACCMODE) != B_READ_ONLY)
		flags |= O_TRUNC;
	if ((openMode & B_OPEN_AT_END) != 0)
		flags |= O_APPEND;
	return flags;
}

}  // namespace

// #pragma mark - opening

BFile::BFile()
	: fMode(0)
{
}

BFile::BFile(const char* path, uint32 openMode)
	: fMode(0)
{
	SetTo(path, openMode);
}

BFile::BFile(const entry_ref* ref, uint32 openMode)
	: fMode(0)
{
	SetTo(ref, openMode);
}

BFile::BFile(const BEntry* entry, uint32 openMode)
	: fMode(0)
{
	SetTo(entry, openMode);
}

BFile::BFile(const BDirectory* directory, const char* path, uint32 openMode)
	: fMode(0)
{
	SetTo(directory, path, openMode);
}

BFile::BFile(const BFile& other)
	: BNode(other), fMode(other.fMode)
{
}

BFile::~BFile() = default;

BFile& BFile::operator=(const BFile& other)
{
	if (this != &other) {
		BNode::operator=(other);
		fMode = other.fMode;
	}
	return *this;
}

status_t BFile::SetTo(const char* path, uint32 openMode)
{
	Unset();
	BPrivate::ResolvedEntry entry;
	if (status_t status = BPrivate::resolve_entry(path, true, &entry); status != B_OK)
		return _Fail(status);
	const std::string fullPath = entry.Path();
	const int fd = open(fullPath.c_str(), open_flags(openMode), 0666);
	if (fd < 0)
		return _Fail(status_from_errno(errno));
	struct stat st;
	if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
		close(fd);
		return _Fail(B_IS_A_DIRECTORY);
	}
	_SetOpened(fullPath, fd);
	fMode = openMode;
	return B_OK;
}

status_t BFile::SetTo(const entry_ref* ref, uint32 openMode)
{
	Unset();
	std::string path;
	if (ref == nullptr)
		return _Fail(B_BAD_VALUE);
	if (status_t status = BPrivate::path_for_ref(*ref, &path); status != B_OK)
		return _Fail(status);
	return SetTo(path.c_str(), openMode);
}

status_t BFile::SetTo(const BEntry* entry, uint32 openMode)
{
	Unset();
	BPath path;
	if (entry == nullptr || entry->GetPath(&path) != B_OK)
		return _Fail(B_BAD_VALUE);
	return SetTo(path.Path(), openMode);
}

status_t BFile::SetTo(const BDirectory* directory, const char* path, uint32 openMode)
{
	Unset();
	BEntry entry(directory, path);
	if (entry.InitCheck() != B_OK)
		return _Fail(entry.InitCheck());
	return SetTo(&entry, openMode);
}

void BFile::Unset()
{
	BNode::Unset();
	fMode = 0;
}

bool BFile::IsReadable() const
{
	return InitCheck() == B_OK && (fMode & O_ACCMODE) != B_WRITE_ONLY;
}

bool BFile::IsWritable() const
{
	return InitCheck() == B_OK && (fMode & O_ACCMODE) != B_READ_ONLY;
}

// #pragma mark - reading and writing

ssize_t BFile::Read(void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (!IsReadable())
		return B_FILE_ERROR;
	const ssize_t result = read(_Descriptor(), buffer, size);
	return result >= 0 ? result : status_from_errno(errno);
}

ssize_t BFile::Write(const void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (!IsWritable())
		return B_FILE_ERROR;
	const ssize_t result = write(_Descriptor(), buffer, size);
	return result >= 0 ? result : status_from_errno(errno);
}

ssize_t BFile::ReadAt(off_t position, void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (!IsReadable())
		return B_FILE_ERROR;
	if (position < 0)
		return B_BAD_VALUE;
	const ssize_t result = pread(_Descriptor(), buffer, size, position);
	return result >= 0 ? result : status_from_errno(errno);
}

ssize_t BFile::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (!IsWritable())
		return B_FILE_ERROR;
	if (position < 0)
		return B_BAD_VALUE;
	const ssize_t result = pwrite(_Descriptor(), buffer, size, position);
	return result >= 0 ? result : status_from_errno(errno);
}

off_t BFile::Seek(off_t position, uint32 seekMode)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (seekMode != SEEK_SET && seekMode != SEEK_CUR && seekMode != SEEK_END)
		return B_BAD_VALUE;
	const off_t result = lseek(_Descriptor(), position, seekMode);
	return result >= 0 ? result : status_from_errno(errno);
}

off_t BFile::Position() const
{
	if (InitCheck() != B_OK)
		return InitCheck();
	const off_t result = lseek(_Descriptor(), 0, SEEK_CUR);
	return result >= 0 ? result : status_from_errno(errno);
}

// #pragma mark - size

status_t BFile::GetSize(off_t* size) const
{
	return BNode::GetSize(size);
}

status_t BFile::SetSize(off_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (size < 0)
		return B_BAD_VALUE;
	if (!IsWritable())
		return B_FILE_ERROR;
	return ftruncate(_Descriptor(), size) == 0 ? B_OK : status_from_errno(errno);
}
