#include "CardFolder.h"

#include <AsciiText.h>
#include <ReplacingFile.h>
#include <WriterProcess.h>

#include <Errors.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

status_t LastError()
{
	return status_from_errno(errno);
}

card_stat StatOf(const struct stat& info)
{
	return card_stat{static_cast<int64>(info.st_size),
		static_cast<int64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
		static_cast<uint64>(info.st_ino)};
}

bool IsCardName(const char* name)
{
	return name[0] != '.' && EndsWithIgnoringCase(name, ".vcf");
}

// A temporary card a run killed before its rename left behind: hidden, named
// ".NAME.vcf.saving-PID-..." after a card, by a process that is gone.
bool IsLeftOver(const char* name)
{
	const char* saving = name[0] == '.' ? strstr(name, ".vcf.saving-") : nullptr;
	if (saving == nullptr)
		return false;
	const long pid = strtol(saving + strlen(".vcf.saving-"), nullptr, 10);
	return ProcessGone(static_cast<pid_t>(pid));
}

bool IsSafe(char c)
{
	return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
		|| c == '-' || c == '_' || c == '.' || c == '@' || c == '+';
}

// Far below any file system's limit on a name, with room for "-NN.vcf".
constexpr size_t kLongestStem = 200;

}  // namespace

CardFolder::CardFolder(std::string path)
	: fPath(std::move(path))
{
}

CardFolder::~CardFolder()
{
	if (fFd >= 0)
		close(fFd);
}

status_t CardFolder::Open()
{
	fFd = open(fPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	return fFd >= 0 ? B_OK : LastError();
}

status_t CardFolder::List(std::vector<folder_file>* files) const
{
	files->clear();
	const int fd = dup(fFd);
	DIR* folder = fd >= 0 ? fdopendir(fd) : nullptr;
	if (folder == nullptr) {
		const status_t status = LastError();
		if (fd >= 0)
			close(fd);
		return status;
	}
	rewinddir(folder);
	status_t status = B_OK;
	errno = 0;
	while (const dirent* entry = readdir(folder)) {
		if (IsLeftOver(entry->d_name))
			unlinkat(fFd, entry->d_name, 0);
		if (!IsCardName(entry->d_name))
			continue;
		struct stat info;
		if (fstatat(fFd, entry->d_name, &info, 0) != 0) {
			if (errno == ENOENT)
				continue;  // gone since it was listed
			status = LastError();
			break;
		}
		if (S_ISREG(info.st_mode))
			files->push_back({entry->d_name, StatOf(info)});
		errno = 0;
	}
	if (status == B_OK && errno != 0)
		status = LastError();
	closedir(folder);
	return status;
}

status_t CardFolder::Read(const std::string& name, std::string* bytes, card_stat* stat) const
{
	bytes->clear();
	const int fd = openat(fFd, name.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return LastError();
	struct stat info;
	status_t status = fstat(fd, &info) == 0 ? B_OK : LastError();
	if (status == B_OK) {
		bytes->reserve(static_cast<size_t>(info.st_size));
		status = ReadWholeFd(fd, bytes);
		*stat = StatOf(info);
	}
	close(fd);
	return status;
}

status_t CardFolder::Stat(const std::string& name, card_stat* stat) const
{
	struct stat info;
	if (fstatat(fFd, name.c_str(), &info, 0) != 0)
		return LastError();
	*stat = StatOf(info);
	return B_OK;
}

status_t CardFolder::Write(const std::string& name, std::string_view bytes, card_stat* stat,
	bool* replacedLink) const
{
	struct stat old;
	const bool there = fstatat(fFd, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
	if (there && S_ISREG(old.st_mode)) {
		file_access access;
		access.mode = old.st_mode & 07777;
		return _WriteThroughTemporary(name, bytes, access, stat);
	}
	if (replacedLink != nullptr)
		*replacedLink = there && S_ISLNK(old.st_mode);
	return _WriteThroughTemporary(name, bytes, file_access::NewDocument(), stat);
}

status_t CardFolder::WriteNew(const std::string& name, std::string_view bytes, card_stat* stat) const
{
	return _WriteThroughTemporary(name, bytes, file_access::NewDocument(), stat);
}

// The replacing file's steps, relative to the folder: the rename replaces a
// link itself, never what it points to.
status_t CardFolder::_WriteThroughTemporary(const std::string& name, std::string_view bytes,
	const file_access& access, card_stat* stat) const
{
	NewFile file;
	status_t status = file.CreateUnique(fFd, "." + name + ".saving-", access);
	if (status == B_OK)
		status = file.Write(bytes);
	if (status == B_OK)
		status = file.RenameTo(name);
	return status == B_OK ? Stat(name, stat) : status;
}

status_t CardFolder::Remove(const std::string& name) const
{
	return unlinkat(fFd, name.c_str(), 0) == 0 || errno == ENOENT ? B_OK : LastError();
}

status_t CardFolder::Flush() const
{
	return syncfs(fFd) == 0 ? B_OK : LastError();
}

std::string CardFolder::NameFor(std::string_view uid,
	const std::function<bool(const std::string&)>& taken)
{
	std::string stem;
	for (const char c : uid)
		stem += IsSafe(c) ? c : '_';
	if (stem.empty() || stem.size() > kLongestStem || stem[0] == '.')
		stem = Sha256Text(Sha256Of(uid)).substr(0, 32);
	std::string name = stem + ".vcf";
	for (int n = 2; taken(name); n++)
		name = stem + "-" + std::to_string(n) + ".vcf";
	return name;
}
