// Sections: setting up; node calls; attributes.
#include <Node.h>

#include <ByteOrder.h>
#include <Directory.h>
#include <Entry.h>
#include <IndexStore.h>
#include <StoragePaths.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Linux keeps the attributes an unprivileged program may set under "user.".
const char kAttrPrefix[] = "user.";
const size_t kAttrPrefixLength = sizeof(kAttrPrefix) - 1;
const size_t kTypeSize = sizeof(uint32);

status_t check_attr_name(const char* name)
{
	if (name == nullptr || name[0] == '\0')
		return B_BAD_VALUE;
	// Linux allows 255 bytes for the whole name, prefix included.
	if (std::strlen(name) + kAttrPrefixLength > 255)
		return B_NAME_TOO_LONG;
	return B_OK;
}

std::string xattr_name(const char* name)
{
	return std::string(kAttrPrefix) + name;
}

}  // namespace

// #pragma mark - setting up

BNode::BNode()
	: fFd(-1), fLockFd(-1), fStatus(B_NO_INIT), fAttrCookie(0), fAttrsListed(false)
{
}

BNode::BNode(const char* path)
	: BNode()
{
	SetTo(path);
}

BNode::BNode(const entry_ref* ref)
	: BNode()
{
	SetTo(ref);
}

BNode::BNode(const BEntry* entry)
	: BNode()
{
	SetTo(entry);
}

BNode::BNode(const BDirectory* directory, const char* path)
	: BNode()
{
	SetTo(directory, path);
}

BNode::BNode(const BNode& other)
	: BNode()
{
	*this = other;
}

BNode::~BNode()
{
	Unset();
}

BNode& BNode::operator=(const BNode& other)
{
	if (this == &other)
		return *this;
	Unset();
	fPath = other.fPath;
	fStatus = other.fStatus;
	if (other.fFd >= 0) {
		fFd = fcntl(other.fFd, F_DUPFD_CLOEXEC, 0);
		if (fFd < 0)
			fStatus = status_from_errno(errno);
	}
	return *this;
}

bool BNode::operator==(const BNode& other) const
{
	struct stat mine, theirs;
	const bool haveMine = GetStat(&mine) == B_OK;
	const bool haveTheirs = other.GetStat(&theirs) == B_OK;
	if (!haveMine || !haveTheirs)
		return haveMine == haveTheirs;
	return mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

status_t BNode::SetTo(const char* path)
{
	Unset();
	return _SetToPath(path);
}

status_t BNode::SetTo(const entry_ref* ref)
{
	Unset();
	std::string path;
	if (ref == nullptr)
		return fStatus = B_BAD_VALUE;
	if (status_t status = BPrivate::path_for_ref(*ref, &path); status != B_OK)
		return fStatus = status;
	return _SetToPath(path.c_str());
}

status_t BNode::SetTo(const BEntry* entry)
{
	Unset();
	if (entry == nullptr || entry->InitCheck() != B_OK)
		return fStatus = B_BAD_VALUE;
	BPrivate::ResolvedEntry resolved{entry->fDirectory, entry->fLeaf};
	return _SetToPath(resolved.Path().c_str());
}

status_t BNode::SetTo(const BDirectory* directory, const char* path)
{
	Unset();
	BEntry entry(directory, path);
	if (entry.InitCheck() != B_OK)
		return fStatus = entry.InitCheck();
	return SetTo(&entry);
}

status_t BNode::_SetToPath(const char* path)
{
	BPrivate::ResolvedEntry entry;
	if (status_t status = BPrivate::resolve_entry(path, false, &entry); status != B_OK)
		return fStatus = status;
	const std::string fullPath = entry.Path();
	struct stat st;
	if (lstat(fullPath.c_str(), &st) != 0)
		return fStatus = status_from_errno(errno);
	fPath = fullPath;
	return fStatus = B_OK;
}

void BNode::_SetOpened(const std::string& path, int fd)
{
	Unset();
	fPath = path;
	fFd = fd;
	fStatus = B_OK;
}

status_t BNode::_Fail(status_t status)
{
	Unset();
	return fStatus = status;
}

void BNode::Unset()
{
	if (fLockFd >= 0 && fLockFd != fFd)
		close(fLockFd);
	fLockFd = -1;
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	fPath.clear();
	fStatus = B_NO_INIT;
	RewindAttrs();
}

status_t BNode::InitCheck() const
{
	return fStatus;
}

// #pragma mark - node calls

status_t BNode::GetStat(struct stat* st) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (st == nullptr)
		return B_BAD_VALUE;
	const int result = fFd >= 0 ? fstat(fFd, st) : lstat(fPath.c_str(), st);
	return result == 0 ? B_OK : status_from_errno(errno);
}

status_t BNode::Sync()
{
	if (fStatus != B_OK)
		return fStatus;
	const int fd = fFd >= 0 ? fFd : open(fPath.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return status_from_errno(errno);
	const status_t status = fsync(fd) == 0 ? B_OK : status_from_errno(errno);
	if (fd != fFd)
		close(fd);
	return status;
}

int BNode::Dup()
{
	if (fStatus != B_OK)
		return fStatus;
	const int fd = fFd >= 0 ? fcntl(fFd, F_DUPFD_CLOEXEC, 0)
		: open(fPath.c_str(), O_RDONLY | O_CLOEXEC);
	return fd >= 0 ? fd : status_from_errno(errno);
}

status_t BNode::Lock()
{
	if (fStatus != B_OK)
		return fStatus;
	if (fLockFd >= 0)
		return B_BUSY;
	const int fd = fFd >= 0 ? fFd : open(fPath.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return status_from_errno(errno);
	if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
		const status_t status = errno == EWOULDBLOCK ? B_BUSY : status_from_errno(errno);
		if (fd != fFd)
			close(fd);
		return status;
	}
	fLockFd = fd;
	return B_OK;
}

status_t BNode::Unlock()
{
	if (fStatus != B_OK)
		return fStatus;
	if (fLockFd < 0)
		return B_BAD_VALUE;
	flock(fLockFd, LOCK_UN);
	if (fLockFd != fFd)
		close(fLockFd);
	fLockFd = -1;
	return B_OK;
}

// #pragma mark - attributes

status_t BNode::_ReadValue(const char* name, std::vector<char>* value) const
{
	const std::string key = xattr_name(name);
	for (;;) {
		const ssize_t size = fFd >= 0 ? fgetxattr(fFd, key.c_str(), nullptr, 0)
			: lgetxattr(fPath.c_str(), key.c_str(), nullptr, 0);
		if (size < 0)
			return status_from_errno(errno);
		value->resize(size);
		const ssize_t read = fFd >= 0 ? fgetxattr(fFd, key.c_str(), value->data(), size)
			: lgetxattr(fPath.c_str(), key.c_str(), value->data(), size);
		if (read >= 0) {
			value->resize(read);
			break;
		}
		// The value grew between the two calls: ask again.
		if (errno != ERANGE)
			return status_from_errno(errno);
	}
	return value->size() >= kTypeSize ? B_OK : B_BAD_DATA;
}

status_t BNode::_WriteValue(const char* name, const std::vector<char>& value)
{
	const std::string key = xattr_name(name);
	const int result = fFd >= 0 ? fsetxattr(fFd, key.c_str(), value.data(), value.size(), 0)
		: lsetxattr(fPath.c_str(), key.c_str(), value.data(), value.size(), 0);
	return result == 0 ? B_OK : status_from_errno(errno);
}

ssize_t BNode::ReadAttr(const char* name, type_code, off_t offset, void* buffer,
	size_t size)
{
	if (fStatus != B_OK)
		return fStatus;
	if (status_t status = check_attr_name(name); status != B_OK)
		return status;
	if (offset < 0 || (buffer == nullptr && size > 0))
		return B_BAD_VALUE;
	std::vector<char> value;
	if (status_t status = _ReadValue(name, &value); status != B_OK)
		return status;
	const size_t dataSize = value.size() - kTypeSize;
	if (static_cast<uint64>(offset) >= dataSize)
		return 0;
	const size_t count = min_c(size, dataSize - offset);
	std::memcpy(buffer, value.data() + kTypeSize + offset, count);
	return count;
}

ssize_t BNode::WriteAttr(const char* name, type_code type, off_t offset,
	const void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return fStatus;
	if (status_t status = check_attr_name(name); status != B_OK)
		return status;
	if (offset < 0 || (buffer == nullptr && size > 0))
		return B_BAD_VALUE;

	// Linux holds at most 64 KiB in one extended attribute.
	const uint64 kMaxValueSize = 65536;
	if (static_cast<uint64>(offset) > kMaxValueSize || size > kMaxValueSize - offset
			|| size + offset + kTypeSize > kMaxValueSize) {
		return B_BAD_VALUE;
	}

	std::vector<char> value;
	if (offset > 0) {
		// Writing into the middle keeps the bytes around it; a missing attribute
		// starts empty.
		const status_t status = _ReadValue(name, &value);
		if (status != B_OK && status != B_ENTRY_NOT_FOUND && status != B_BAD_DATA)
			return status;
		if (status != B_OK)
			value.clear();
	}
	const size_t end = kTypeSize + offset + size;
	if (value.size() < end)
		value.resize(end, 0);
	const uint32 storedType = B_HOST_TO_LENDIAN_INT32(type);
	std::memcpy(value.data(), &storedType, kTypeSize);
	if (size > 0)
		std::memcpy(value.data() + kTypeSize + offset, buffer, size);
	if (status_t status = _WriteValue(name, value); status != B_OK)
		return status;

	struct stat st;
	if (GetStat(&st) == B_OK)
		BPrivate::IndexStore::NoteAttributeWritten(st.st_dev, fPath, name);
	return size;
}

status_t BNode::RemoveAttr(const char* name)
{
	if (fStatus != B_OK)
		return fStatus;
	if (status_t status = check_attr_name(name); status != B_OK)
		return status;
	const std::string key = xattr_name(name);
	const int result = fFd >= 0 ? fremovexattr(fFd, key.c_str())
		: lremovexattr(fPath.c_str(), key.c_str());
	return result == 0 ? B_OK : status_from_errno(errno);
}

status_t BNode::GetAttrInfo(const char* name, attr_info* info) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (status_t status = check_attr_name(name); status != B_OK)
		return status;
	if (info == nullptr)
		return B_BAD_VALUE;
	std::vector<char> value;
	if (status_t status = _ReadValue(name, &value); status != B_OK)
		return status;
	uint32 storedType;
	std::memcpy(&storedType, value.data(), kTypeSize);
	info->type = B_LENDIAN_TO_HOST_INT32(storedType);
	info->size = value.size() - kTypeSize;
	return B_OK;
}

status_t BNode::GetNextAttrName(char* buffer)
{
	if (fStatus != B_OK)
		return fStatus;
	if (buffer == nullptr)
		return B_BAD_VALUE;
	if (!fAttrsListed) {
		std::vector<char> list;
		for (;;) {
			const ssize_t size = fFd >= 0 ? flistxattr(fFd, nullptr, 0)
				: llistxattr(fPath.c_str(), nullptr, 0);
			if (size < 0)
				return status_from_errno(errno);
			list.resize(size);
			const ssize_t read = fFd >= 0 ? flistxattr(fFd, list.data(), size)
				: llistxattr(fPath.c_str(), list.data(), size);
			if (read >= 0) {
				list.resize(read);
				break;
			}
			if (errno != ERANGE)
				return status_from_errno(errno);
		}
		fAttrNames.clear();
		for (size_t start = 0; start < list.size();) {
			const size_t length = strnlen(list.data() + start, list.size() - start);
			const std::string key(list.data() + start, length);
			if (key.compare(0, kAttrPrefixLength, kAttrPrefix) == 0)
				fAttrNames.push_back(key.substr(kAttrPrefixLength));
			start += length + 1;
		}
		fAttrsListed = true;
		fAttrCookie = 0;
	}
	if (fAttrCookie >= fAttrNames.size())
		return B_ENTRY_NOT_FOUND;
	const std::string& name = fAttrNames[fAttrCookie++];
	const size_t length = min_c(name.size(), size_t(B_ATTR_NAME_LENGTH - 1));
	std::memcpy(buffer, name.data(), length);
	buffer[length] = '\0';
	return B_OK;
}

status_t BNode::RewindAttrs()
{
	fAttrNames.clear();
	fAttrCookie = 0;
	fAttrsListed = false;
	return fStatus == B_OK ? B_OK : fStatus;
}
