#include "ReplacingFile.h"

#include "WriterProcess.h"

#include <Errors.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

status_t LastError()
{
	return status_from_errno(errno);
}

// The new file's name before its number: hidden, after the target, and never
// ending in the target's extension, so a program watching the folder for one
// kind of file does not take it for one.
std::string TemporaryPrefix(const std::string& leaf)
{
	return "." + leaf.substr(0, 200) + ".saving-";
}

std::string RealPath(const std::string& path)
{
	char resolved[PATH_MAX];
	return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

// The folder of path, resolved, ending in '/', and the leaf; an error when
// the folder is not there.
status_t SplitResolved(const std::string& path, std::string* folder, std::string* leaf)
{
	const size_t slash = path.rfind('/');
	*leaf = slash == std::string::npos ? path : path.substr(slash + 1);
	if (leaf->empty() || *leaf == "." || *leaf == "..")
		return B_IS_A_DIRECTORY;
	const std::string resolved = RealPath(slash == std::string::npos ? "." : path.substr(0, slash + 1));
	if (resolved.empty())
		return errno == ENOENT ? B_ENTRY_NOT_FOUND : LastError();
	*folder = resolved == "/" ? resolved : resolved + "/";
	return B_OK;
}

}  // namespace

ReplacingFile::ReplacingFile(std::string path)
	: fPath(std::move(path)),
	  fDocument(true),
	  fAccess(file_access::NewDocument()),
	  fNew(std::make_unique<NewFile>())
{
}

ReplacingFile::ReplacingFile(std::string path, const file_access& access)
	: fPath(std::move(path)),
	  fDocument(false),
	  fAccess(access),
	  fNew(std::make_unique<NewFile>())
{
}

ReplacingFile::~ReplacingFile()
{
	fNew.reset();
	if (fFolderFd >= 0)
		close(fFolderFd);
}

status_t ReplacingFile::Open()
{
	if (status_t status = fDocument ? _ResolveDocument() : _ResolveBeside(); status != B_OK)
		return status;
	fFolderFd = open(fFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fFolderFd < 0)
		return LastError();
	return fNew->CreateUnique(fFolderFd, TemporaryPrefix(fTarget.substr(fFolder.size())),
		fAccess);
}

// The target is the file the path names, links followed; a file that does not
// exist yet is named inside its (resolved) folder.
status_t ReplacingFile::_ResolveDocument()
{
	fTarget = RealPath(fPath);
	if (fTarget.empty()) {
		if (errno != ENOENT)
			return LastError();
		std::string leaf;
		if (const status_t status = SplitResolved(fPath, &fFolder, &leaf); status != B_OK)
			return status;
		fTarget = fFolder + leaf;
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
	return file_access::Of(fTarget, &fAccess);
}

// The name itself, in its resolved folder: whatever stands there is replaced.
status_t ReplacingFile::_ResolveBeside()
{
	std::string leaf;
	if (const status_t status = SplitResolved(fPath, &fFolder, &leaf); status != B_OK)
		return status;
	fTarget = fFolder + leaf;
	struct stat old;
	fReplaces = lstat(fTarget.c_str(), &old) == 0;
	if (!fReplaces || S_ISREG(old.st_mode))
		return B_OK;
	if (S_ISDIR(old.st_mode))
		return B_IS_A_DIRECTORY;
	fNote = "\"" + leaf + "\" was " + (S_ISLNK(old.st_mode)
		? "a symbolic link; it is replaced by a file, and what it pointed to is left alone"
		: "not a plain file; it is replaced by one");
	return B_OK;
}

status_t ReplacingFile::Write(std::string_view bytes)
{
	return fNew->Write(bytes);
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
	status_t status = flush ? fNew->Flush() : B_OK;
	if (status == B_OK)
		status = fNew->RenameTo(fTarget.substr(fFolder.size()));
	if (status != B_OK)
		return status;
	fCommitted = true;
	// The rename is durable once the folder is flushed too; a file system that
	// cannot flush a folder still has the complete new file in place.
	if (flush)
		(void)!fsync(fFolderFd);
	return B_OK;
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

void ReplacingFile::RemoveLeftovers(const std::string& folder,
	const std::vector<std::string>& leaves)
{
	const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	DIR* listing = fd >= 0 ? fdopendir(fd) : nullptr;
	if (listing == nullptr) {
		if (fd >= 0)
			close(fd);
		return;
	}
	std::vector<std::string> prefixes;
	for (const std::string& leaf : leaves)
		prefixes.push_back(TemporaryPrefix(leaf));
	while (const dirent* entry = readdir(listing)) {
		for (const std::string& prefix : prefixes) {
			const pid_t writer = NewFile::WriterOf(entry->d_name, prefix);
			struct stat info;
			if (writer != 0 && ProcessGone(writer)
				&& fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0
				&& S_ISREG(info.st_mode) && info.st_uid == getuid())
				unlinkat(fd, entry->d_name, 0);
		}
	}
	closedir(listing);
}

status_t ReadWholeFd(int fd, std::string* bytes, size_t limit)
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
		if (static_cast<size_t>(got) > limit - std::min(limit, bytes->size()))
			return B_FILE_TOO_LARGE;
		bytes->append(buffer, static_cast<size_t>(got));
	}
}
