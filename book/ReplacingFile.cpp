#include "ReplacingFile.h"

#include <Errors.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

status_t LastError()
{
	return status_from_errno(errno);
}

// A hidden name beside the target, unique within the process and between
// processes. It never ends in the target's extension, so a program watching the
// folder for one kind of file does not take it for one.
std::string TemporaryName(const std::string& leaf, int attempt)
{
	static std::atomic<uint32> counter{0};
	return "." + leaf.substr(0, 200) + ".saving-" + std::to_string(getpid()) + "-"
		+ std::to_string(counter++) + "-" + std::to_string(attempt);
}

std::string RealPath(const std::string& path)
{
	char resolved[PATH_MAX];
	return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

}  // namespace

ReplacingFile::ReplacingFile(std::string path)
	: fPath(std::move(path))
{
}

ReplacingFile::~ReplacingFile()
{
	_Discard();
}

status_t ReplacingFile::Open()
{
	if (status_t status = _ResolveTarget(); status != B_OK)
		return status;
	if (status_t status = _CreateTemporary(); status != B_OK)
		return status;
	return _CopyPermissions();
}

// The target is the file the path names, links followed; a file that does not
// exist yet is named inside its (resolved) folder.
status_t ReplacingFile::_ResolveTarget()
{
	fTarget = RealPath(fPath);
	if (fTarget.empty()) {
		if (errno != ENOENT)
			return LastError();
		const size_t slash = fPath.rfind('/');
		const std::string folder = slash == std::string::npos ? "." : fPath.substr(0, slash + 1);
		const std::string leaf = slash == std::string::npos ? fPath : fPath.substr(slash + 1);
		const std::string resolved = RealPath(folder);
		if (resolved.empty())
			return errno == ENOENT ? B_ENTRY_NOT_FOUND : LastError();
		if (leaf.empty())
			return B_IS_A_DIRECTORY;
		fTarget = (resolved == "/" ? "" : resolved) + "/" + leaf;
	}
	fFolder = fTarget.substr(0, fTarget.rfind('/') + 1);
	struct stat old;
	fReplaces = stat(fTarget.c_str(), &old) == 0;
	if (!fReplaces)
		return B_OK;
	if (S_ISDIR(old.st_mode))
		return B_IS_A_DIRECTORY;
	if (access(fTarget.c_str(), W_OK) != 0)
		return LastError();
	fMode = old.st_mode & 07777;
	fOwner = old.st_uid;
	fGroup = old.st_gid;
	return B_OK;
}

status_t ReplacingFile::_CreateTemporary()
{
	const std::string leaf = fTarget.substr(fFolder.size());
	for (int attempt = 0; attempt < 16; attempt++) {
		fTemporary = fFolder + TemporaryName(leaf, attempt);
		// 0666 less the umask is what a new file gets; an old file's own
		// permissions follow below.
		fFd = open(fTemporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
		if (fFd >= 0)
			return B_OK;
		if (errno != EEXIST)
			break;
	}
	const status_t status = LastError();
	fTemporary.clear();
	return status;
}

status_t ReplacingFile::_CopyPermissions()
{
	if (!fReplaces)
		return B_OK;
	struct stat now;
	if (fstat(fFd, &now) == 0 && (now.st_uid != fOwner || now.st_gid != fGroup)) {
		// Only the superuser may give a file away; anyone else saves it as theirs.
		(void)!fchown(fFd, fOwner, fGroup);
	}
	return fchmod(fFd, fMode) == 0 ? B_OK : LastError();
}

status_t ReplacingFile::Write(std::string_view bytes)
{
	return fFd < 0 ? B_FILE_ERROR : WriteWholeFd(fFd, bytes);
}

status_t WriteWholeFd(int fd, std::string_view bytes)
{
	while (!bytes.empty()) {
		const ssize_t written = write(fd, bytes.data(), bytes.size());
		if (written < 0 && errno == EINTR)
			continue;
		if (written < 0)
			return LastError();
		if (written == 0)
			return B_IO_ERROR;
		bytes.remove_prefix(static_cast<size_t>(written));
	}
	return B_OK;
}

status_t ReplacingFile::Commit(bool flush)
{
	if (fFd < 0)
		return B_FILE_ERROR;
	status_t status = !flush || fsync(fFd) == 0 ? B_OK : LastError();
	if (close(fFd) != 0 && status == B_OK)
		status = LastError();
	fFd = -1;
	if (status == B_OK && rename(fTemporary.c_str(), fTarget.c_str()) != 0)
		status = LastError();
	if (status != B_OK)
		return status;
	fCommitted = true;
	if (!flush)
		return B_OK;
	// The rename is durable once the folder is flushed too; a file system that
	// cannot flush a folder still has the complete new file in place.
	const int folder = open(fFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (folder >= 0) {
		(void)!fsync(folder);
		close(folder);
	}
	return B_OK;
}

void ReplacingFile::_Discard()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	if (!fCommitted && !fTemporary.empty())
		unlink(fTemporary.c_str());
}

status_t ReplacingFile::WriteWhole(const std::string& path, std::string_view bytes)
{
	ReplacingFile file(path);
	status_t status = file.Open();
	if (status == B_OK)
		status = file.Write(bytes);
	if (status == B_OK)
		status = file.Commit();
	return status;
}

status_t ReadWholeFd(int fd, std::string* bytes)
{
	char buffer[65536];
	for (;;) {
		const ssize_t got = read(fd, buffer, sizeof(buffer));
		if (got < 0 && errno == EINTR)
			continue;
		if (got < 0)
			return LastError();
		if (got == 0)
			return B_OK;
		bytes->append(buffer, static_cast<size_t>(got));
	}
}
