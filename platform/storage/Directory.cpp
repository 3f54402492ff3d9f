// Sections: create_directory; setting up; entries; creating.
#include <Directory.h>

#include <Entry.h>
#include <File.h>
#include <Path.h>
#include <StoragePaths.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

// #pragma mark - create_directory

status_t create_directory(const char* path, mode_t mode)
{
	std::string absolute;
	if (status_t status = BPrivate::make_absolute(path, &absolute); status != B_OK)
		return status;
	const std::string normalized = BPrivate::normalize_lexically(absolute);
	// Walk down from the root, making each missing level.
	size_t end = 0;
	while (end != std::string::npos) {
		end = normalized.find('/', end + 1);
		const std::string level = normalized.substr(0, end);
		struct stat st;
		if (stat(level.c_str(), &st) == 0) {
			if (!S_ISDIR(st.st_mode))
				return B_NOT_A_DIRECTORY;
			continue;
		}
		if (mkdir(level.c_str(), mode) != 0 && errno != EEXIST)
			return status_from_errno(errno);
	}
	return B_OK;
}

// #pragma mark - setting up

BDirectory::BDirectory()
	: fIterator(nullptr)
{
}

BDirectory::BDirectory(const char* path)
	: fIterator(nullptr)
{
	SetTo(path);
}

BDirectory::BDirectory(const entry_ref* ref)
	: fIterator(nullptr)
{
	SetTo(ref);
}

BDirectory::BDirectory(const BEntry* entry)
	: fIterator(nullptr)
{
	SetTo(entry);
}

BDirectory::BDirectory(const BDirectory* directory, const char* path)
	: fIterator(nullptr)
{
	SetTo(directory, path);
}

BDirectory::BDirectory(const BDirectory& other)
	: BNode(other), fIterator(nullptr)
{
}

BDirectory::~BDirectory()
{
	Unset();
}

BDirectory& BDirectory::operator=(const BDirectory& other)
{
	if (this != &other) {
		Unset();
		BNode::operator=(other);
	}
	return *this;
}

status_t BDirectory::_CheckDirectory()
{
	if (InitCheck() != B_OK)
		return InitCheck();
	// A link to a directory counts as that directory.
	BEntry entry(fPath.c_str(), true);
	struct stat st;
	if (entry.GetStat(&st) != B_OK || !S_ISDIR(st.st_mode)) {
		Unset();
		fStatus = B_NOT_A_DIRECTORY;
		return fStatus;
	}
	BPath resolved;
	entry.GetPath(&resolved);
	fPath = resolved.Path();
	return B_OK;
}

status_t BDirectory::SetTo(const char* path)
{
	Unset();
	BNode::SetTo(path);
	return _CheckDirectory();
}

status_t BDirectory::SetTo(const entry_ref* ref)
{
	Unset();
	BNode::SetTo(ref);
	return _CheckDirectory();
}

status_t BDirectory::SetTo(const BEntry* entry)
{
	Unset();
	BNode::SetTo(entry);
	return _CheckDirectory();
}

status_t BDirectory::SetTo(const BDirectory* directory, const char* path)
{
	Unset();
	BNode::SetTo(directory, path);
	return _CheckDirectory();
}

void BDirectory::Unset()
{
	if (fIterator != nullptr)
		closedir(fIterator);
	fIterator = nullptr;
	BNode::Unset();
}

// #pragma mark - entries

std::string BDirectory::_Child(const char* path) const
{
	if (path[0] == '/')
		return path;
	return fPath == "/" ? "/" + std::string(path) : fPath + "/" + path;
}

status_t BDirectory::GetEntry(BEntry* entry) const
{
	if (entry == nullptr)
		return B_BAD_VALUE;
	if (InitCheck() != B_OK) {
		entry->Unset();
		return InitCheck();
	}
	return entry->SetTo(fPath.c_str());
}

bool BDirectory::IsRootDirectory() const
{
	return InitCheck() == B_OK && fPath == "/";
}

status_t BDirectory::FindEntry(const char* path, BEntry* entry, bool traverse) const
{
	if (entry == nullptr)
		return B_BAD_VALUE;
	if (InitCheck() != B_OK || path == nullptr || path[0] == '\0') {
		entry->Unset();
		return InitCheck() != B_OK ? InitCheck() : B_BAD_VALUE;
	}
	if (status_t status = entry->SetTo(_Child(path).c_str(), traverse); status != B_OK)
		return status;
	if (!entry->Exists()) {
		entry->Unset();
		return B_ENTRY_NOT_FOUND;
	}
	return B_OK;
}

bool BDirectory::Contains(const char* path, int32 nodeFlags) const
{
	if (InitCheck() != B_OK || path == nullptr || path[0] == '\0')
		return false;
	BEntry entry(_Child(path).c_str());
	return Contains(&entry, nodeFlags);
}

bool BDirectory::Contains(const BEntry* entry, int32 nodeFlags) const
{
	if (InitCheck() != B_OK || entry == nullptr || entry->InitCheck() != B_OK)
		return false;
	BPath path;
	if (entry->GetPath(&path) != B_OK)
		return false;
	const std::string candidate = path.Path();
	const std::string prefix = fPath == "/" ? "/" : fPath + "/";
	if (candidate.compare(0, prefix.size(), prefix) != 0 || candidate == fPath)
		return false;
	struct stat st;
	if (entry->GetStat(&st) != B_OK)
		return false;
	const int32 flavor = S_ISDIR(st.st_mode) ? B_DIRECTORY_NODE
		: S_ISLNK(st.st_mode) ? B_SYMLINK_NODE : B_FILE_NODE;
	return (nodeFlags & flavor) != 0;
}

status_t BDirectory::_NextName(std::string* name)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (fIterator == nullptr) {
		fIterator = opendir(fPath.c_str());
		if (fIterator == nullptr)
			return status_from_errno(errno);
	}
	for (;;) {
		errno = 0;
		const struct dirent* dirent = readdir(fIterator);
		if (dirent == nullptr)
			return errno != 0 ? status_from_errno(errno) : B_ENTRY_NOT_FOUND;
		if (std::strcmp(dirent->d_name, ".") != 0 && std::strcmp(dirent->d_name, "..") != 0) {
			*name = dirent->d_name;
			return B_OK;
		}
	}
}

status_t BDirectory::GetNextEntry(BEntry* entry, bool traverse)
{
	if (entry == nullptr)
		return B_BAD_VALUE;
	std::string name;
	if (status_t status = _NextName(&name); status != B_OK) {
		entry->Unset();
		return status;
	}
	return entry->SetTo(_Child(name.c_str()).c_str(), traverse);
}

status_t BDirectory::GetNextRef(entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	std::string name;
	if (status_t status = _NextName(&name); status != B_OK)
		return status;
	return BPrivate::ref_for_resolved(BPrivate::ResolvedEntry{fPath, name}, ref);
}

status_t BDirectory::Rewind()
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (fIterator != nullptr)
		rewinddir(fIterator);
	return B_OK;
}

int32 BDirectory::CountEntries() const
{
	if (InitCheck() != B_OK)
		return InitCheck();
	DIR* dir = opendir(fPath.c_str());
	if (dir == nullptr)
		return status_from_errno(errno);
	int32 count = 0;
	while (const struct dirent* dirent = readdir(dir)) {
		if (std::strcmp(dirent->d_name, ".") != 0 && std::strcmp(dirent->d_name, "..") != 0)
			count++;
	}
	closedir(dir);
	return count;
}

// #pragma mark - creating

status_t BDirectory::CreateFile(const char* path, BFile* file, bool failIfExists)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	const uint32 mode = B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE
		| (failIfExists ? B_FAIL_IF_EXISTS : 0);
	BFile scratch;
	BFile* target = file != nullptr ? file : &scratch;
	return target->SetTo(_Child(path).c_str(), mode);
}

status_t BDirectory::CreateDirectory(const char* path, BDirectory* directory)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	const std::string child = _Child(path);
	if (mkdir(child.c_str(), 0777) != 0)
		return status_from_errno(errno);
	return directory != nullptr ? directory->SetTo(child.c_str()) : B_OK;
}
