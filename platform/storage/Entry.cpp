// Sections: get_ref_for_path; setting up; questions; moving and removing.
#include <Entry.h>

#include <Directory.h>
#include <Path.h>
#include <StoragePaths.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using BPrivate::ResolvedEntry;

// #pragma mark - get_ref_for_path

status_t get_ref_for_path(const char* path, entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	BEntry entry(path);
	if (entry.InitCheck() != B_OK)
		return entry.InitCheck();
	return entry.GetRef(ref);
}

// #pragma mark - setting up

BEntry::BEntry()
	: fStatus(B_NO_INIT)
{
}

BEntry::BEntry(const char* path, bool traverse)
	: fStatus(B_NO_INIT)
{
	SetTo(path, traverse);
}

BEntry::BEntry(const entry_ref* ref, bool traverse)
	: fStatus(B_NO_INIT)
{
	SetTo(ref, traverse);
}

BEntry::BEntry(const BDirectory* directory, const char* path, bool traverse)
	: fStatus(B_NO_INIT)
{
	SetTo(directory, path, traverse);
}

BEntry::BEntry(const BEntry& other) = default;
BEntry::~BEntry() = default;
BEntry& BEntry::operator=(const BEntry& other) = default;

bool BEntry::operator==(const BEntry& other) const
{
	if (fStatus != B_OK || other.fStatus != B_OK)
		return fStatus != B_OK && other.fStatus != B_OK;
	return fDirectory == other.fDirectory && fLeaf == other.fLeaf;
}

status_t BEntry::SetTo(const char* path, bool traverse)
{
	Unset();
	ResolvedEntry entry;
	fStatus = BPrivate::resolve_entry(path, traverse, &entry);
	if (fStatus == B_OK) {
		fDirectory = std::move(entry.directory);
		fLeaf = std::move(entry.leaf);
	}
	return fStatus;
}

status_t BEntry::SetTo(const entry_ref* ref, bool traverse)
{
	Unset();
	std::string path;
	if (ref == nullptr)
		return fStatus = B_BAD_VALUE;
	if (status_t status = BPrivate::path_for_ref(*ref, &path); status != B_OK)
		return fStatus = status;
	return SetTo(path.c_str(), traverse);
}

status_t BEntry::SetTo(const BDirectory* directory, const char* path, bool traverse)
{
	Unset();
	if (path != nullptr && path[0] == '/')
		return SetTo(path, traverse);
	if (directory == nullptr || directory->InitCheck() != B_OK)
		return fStatus = B_BAD_VALUE;
	if (path == nullptr || path[0] == '\0')
		return SetTo(directory->fPath.c_str(), traverse);
	return SetTo((directory->fPath + "/" + path).c_str(), traverse);
}

void BEntry::Unset()
{
	fDirectory.clear();
	fLeaf.clear();
	fStatus = B_NO_INIT;
}

status_t BEntry::InitCheck() const
{
	return fStatus;
}

// #pragma mark - questions

bool BEntry::Exists() const
{
	struct stat st;
	return GetStat(&st) == B_OK;
}

status_t BEntry::GetStat(struct stat* st) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (st == nullptr)
		return B_BAD_VALUE;
	const std::string path = ResolvedEntry{fDirectory, fLeaf}.Path();
	return lstat(path.c_str(), st) == 0 ? B_OK : status_from_errno(errno);
}

status_t BEntry::GetRef(entry_ref* ref) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (ref == nullptr)
		return B_BAD_VALUE;
	return BPrivate::ref_for_resolved(ResolvedEntry{fDirectory, fLeaf}, ref);
}

status_t BEntry::GetPath(BPath* path) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr)
		return B_BAD_VALUE;
	// Already resolved: the path is set as it is, without asking the disk again.
	return path->SetTo(ResolvedEntry{fDirectory, fLeaf}.Path().c_str());
}

status_t BEntry::GetName(char* buffer) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (buffer == nullptr)
		return B_BAD_VALUE;
	const std::string& name = fLeaf == "." ? fDirectory : fLeaf;
	std::snprintf(buffer, B_FILE_NAME_LENGTH, "%s", name.c_str());
	return B_OK;
}

namespace {

// Both parent forms: the root has none, anything else is set to its folder.
template <typename Parent>
status_t SetToParent(status_t status, const std::string& leaf, const std::string& directory,
	Parent* parent)
{
	if (status != B_OK)
		return status;
	if (parent == nullptr)
		return B_BAD_VALUE;
	if (leaf == ".") {
		parent->Unset();
		return B_ENTRY_NOT_FOUND;
	}
	return parent->SetTo(directory.c_str());
}

}  // namespace

status_t BEntry::GetParent(BEntry* parent) const
{
	return SetToParent(fStatus, fLeaf, fDirectory, parent);
}

status_t BEntry::GetParent(BDirectory* parent) const
{
	return SetToParent(fStatus, fLeaf, fDirectory, parent);
}

// #pragma mark - moving and removing

status_t BEntry::Rename(const char* path, bool clobber)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	const std::string destination = path[0] == '/' ? std::string(path)
		: fDirectory + "/" + path;
	return _MoveTo(destination, clobber);
}

status_t BEntry::MoveTo(BDirectory* directory, const char* path, bool clobber)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path != nullptr && path[0] == '/')
		return _MoveTo(path, clobber);
	if (directory == nullptr || directory->InitCheck() != B_OK)
		return B_BAD_VALUE;
	const char* leaf = path != nullptr && path[0] != '\0' ? path : fLeaf.c_str();
	return _MoveTo(directory->fPath + "/" + leaf, clobber);
}

status_t BEntry::_MoveTo(const std::string& destination, bool clobber)
{
	ResolvedEntry target;
	if (status_t status = BPrivate::resolve_entry(destination.c_str(), false, &target);
			status != B_OK) {
		return status;
	}
	const std::string from = ResolvedEntry{fDirectory, fLeaf}.Path();
	const std::string to = target.Path();
	const unsigned flags = clobber ? 0 : RENAME_NOREPLACE;
	if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags) != 0) {
		if (errno != EINVAL || clobber)
			return status_from_errno(errno);
		// A file system without RENAME_NOREPLACE: check, then rename.
		struct stat st;
		if (lstat(to.c_str(), &st) == 0)
			return B_FILE_EXISTS;
		if (rename(from.c_str(), to.c_str()) != 0)
			return status_from_errno(errno);
	}
	fDirectory = std::move(target.directory);
	fLeaf = std::move(target.leaf);
	return B_OK;
}

status_t BEntry::Remove()
{
	if (fStatus != B_OK)
		return fStatus;
	const std::string path = ResolvedEntry{fDirectory, fLeaf}.Path();
	struct stat st;
	if (lstat(path.c_str(), &st) != 0)
		return status_from_errno(errno);
	const int result = S_ISDIR(st.st_mode) ? rmdir(path.c_str()) : unlink(path.c_str());
	return result == 0 ? B_OK : status_from_errno(errno);
}
