#include "NewFile.h"

#include "ReplacingFile.h"

#include <Errors.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Where Linux keeps a file's access control list.
const char kAccessAclName[] = "system.posix_acl_access";

status_t LastError()
{
	return status_from_errno(errno);
}

bool Unsupported(int error)
{
	return error == ENOTSUP || error == EOPNOTSUPP;
}

}  // namespace

// --- file_access

file_access file_access::Private()
{
	return file_access();
}

file_access file_access::NewDocument()
{
	file_access access;
	access.mode = 0666;
	access.exact = false;
	return access;
}

status_t file_access::Of(const std::string& path, file_access* access)
{
	struct stat info;
	if (stat(path.c_str(), &info) != 0)
		return LastError();
	*access = file_access();
	access->mode = info.st_mode & 07777;
	access->owner = info.st_uid;
	access->group = info.st_gid;
	// Asked for its size first: a list may hold many entries.
	for (int attempt = 0; attempt < 3; attempt++) {
		const ssize_t size = getxattr(path.c_str(), kAccessAclName, nullptr, 0);
		if (size <= 0)
			return B_OK;  // none, or a file system without lists
		access->acl.resize(static_cast<size_t>(size));
		const ssize_t read = getxattr(path.c_str(), kAccessAclName, access->acl.data(),
			access->acl.size());
		if (read >= 0) {
			access->acl.resize(static_cast<size_t>(read));
			return B_OK;
		}
		if (errno != ERANGE)  // ERANGE: it grew meanwhile
			return LastError();
	}
	return B_BUSY;
}

file_access file_access::Within(mode_t mask) const
{
	file_access narrower = *this;
	narrower.mode &= mask;
	return narrower;
}

// --- NewFile

NewFile::~NewFile()
{
	if (fFd >= 0)
		close(fFd);
	if (!fDone && !fName.empty())
		unlinkat(fFolder, fName.c_str(), 0);
	if (fFolder >= 0)
		close(fFolder);
}

status_t NewFile::CreateUnique(int folder, const std::string& prefix, const file_access& access)
{
	static std::atomic<uint32> counter{0};
	// Its own descriptor of the folder: the file is removed through it, maybe
	// after the caller's is closed.
	if (fFolder < 0)
		fFolder = fcntl(folder, F_DUPFD_CLOEXEC, 0);
	if (fFolder < 0)
		return LastError();
	for (int attempt = 0; attempt < 16; attempt++) {
		const std::string name = prefix + std::to_string(getpid()) + "-"
			+ std::to_string(counter++) + "-" + std::to_string(attempt);
		const status_t status = _Create(name, access);
		if (status != B_FILE_EXISTS)
			return status;
	}
	return B_FILE_EXISTS;
}

status_t NewFile::_Create(const std::string& name, const file_access& access)
{
	fFd = openat(fFolder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
		access.mode & 0777);
	if (fFd < 0)
		return LastError();
	fName = name;
	return _Apply(access);
}

// The owner first (giving a file away clears its set-id bits), then the list,
// then the mode, which also sets the list's mask. Nothing is written yet.
status_t NewFile::_Apply(const file_access& access)
{
	mode_t mode = access.mode;
	struct stat now;
	if (fstat(fFd, &now) != 0)
		return LastError();
	// Only the superuser gives a file to another owner; anyone else keeps it.
	if (access.owner != static_cast<uid_t>(-1) && now.st_uid != access.owner)
		(void)!fchown(fFd, access.owner, static_cast<gid_t>(-1));
	// Ours, the group would be another than the one meant: it gets nothing.
	if (access.group != static_cast<gid_t>(-1) && now.st_gid != access.group
		&& fchown(fFd, static_cast<uid_t>(-1), access.group) != 0)
		mode &= ~static_cast<mode_t>(070);
	if (!access.exact)
		return B_OK;
	if (!access.acl.empty()) {
		if (fsetxattr(fFd, kAccessAclName, access.acl.data(), access.acl.size(), 0) != 0) {
			if (!Unsupported(errno))
				return LastError();
			// Without the list the group's bits would be its mask: none.
			mode &= ~static_cast<mode_t>(070);
		}
	} else {
		// A list inherited from the folder would open it to others.
		(void)fremovexattr(fFd, kAccessAclName);
	}
	return fchmod(fFd, mode) == 0 ? B_OK : LastError();
}

status_t NewFile::Write(std::string_view bytes)
{
	return fFd < 0 ? B_FILE_ERROR : WriteWholeFd(fFd, bytes);
}

status_t NewFile::Flush()
{
	if (fFd < 0)
		return B_FILE_ERROR;
	return fsync(fFd) == 0 ? B_OK : LastError();
}

status_t NewFile::_Close()
{
	if (fFd < 0)
		return fName.empty() ? B_FILE_ERROR : B_OK;
	const int fd = fFd;
	fFd = -1;
	return close(fd) == 0 ? B_OK : LastError();
}

status_t NewFile::RenameTo(const std::string& name)
{
	if (const status_t status = _Close(); status != B_OK)
		return status;
	if (renameat(fFolder, fName.c_str(), fFolder, name.c_str()) != 0)
		return LastError();
	fDone = true;
	return B_OK;
}

status_t NewFile::Keep()
{
	const status_t status = _Close();
	fDone = status == B_OK;
	return status;
}

pid_t NewFile::WriterOf(std::string_view name, std::string_view prefix)
{
	if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
		return 0;
	const std::string rest(name.substr(prefix.size()));
	char* end = nullptr;
	const long pid = strtol(rest.c_str(), &end, 10);
	return end != rest.c_str() && *end == '-' && pid > 0 ? static_cast<pid_t>(pid) : 0;
}
