#include "RunningApps.h"

#include <Message.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BPrivate {

namespace {

status_t MakePrivateDirectory(const std::string& path)
{
	if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
		return status_from_errno(errno);
	struct stat info;
	if (lstat(path.c_str(), &info) != 0)
		return status_from_errno(errno);
	if (!S_ISDIR(info.st_mode) || info.st_uid != getuid())
		return B_PERMISSION_DENIED;
	if ((info.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0)
		return B_PERMISSION_DENIED;
	return B_OK;
}

status_t MakeDirectories(const std::string& path)
{
	for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
		const std::string part = path.substr(0, slash);
		if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
			return status_from_errno(errno);
		if (slash == std::string::npos)
			return B_OK;
	}
}

std::string RecordPath(const std::string& directory, team_id team)
{
	return directory + "/" + std::to_string(team) + ".app";
}

// Signatures compare without case, and must make safe file names.
std::string EscapedSignature(const char* signature)
{
	std::string escaped;
	for (const char* c = signature; *c != '\0'; c++) {
		const unsigned char ch = static_cast<unsigned char>(tolower(static_cast<unsigned char>(*c)));
		if (isalnum(ch) || ch == '.' || ch == '-' || ch == '_') {
			escaped += char(ch);
		} else {
			char hex[4];
			snprintf(hex, sizeof(hex), "%%%02X", ch);
			escaped += hex;
		}
	}
	return escaped;
}

std::string DataHome()
{
	const char* data = getenv("XDG_DATA_HOME");
	if (data != nullptr && data[0] == '/')
		return data;
	const char* home = getenv("HOME");
	return std::string(home != nullptr ? home : "/tmp") + "/.local/share";
}

status_t WriteFileAtomically(const std::string& path, const std::string& contents)
{
	const std::string temporary = path + ".tmp" + std::to_string(getpid());
	const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
	if (fd < 0)
		return status_from_errno(errno);
	const bool written = write(fd, contents.data(), contents.size()) == ssize_t(contents.size());
	close(fd);
	if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
		unlink(temporary.c_str());
		return B_IO_ERROR;
	}
	return B_OK;
}

bool ReadRecord(const std::string& path, AppRecord* record)
{
	std::ifstream file(path, std::ios::binary);
	if (!file)
		return false;
	std::stringstream text;
	text << file.rdbuf();
	const std::string bytes = text.str();
	BMessage message;
	if (bytes.size() > 65536 || message.Unflatten(bytes.data(), bytes.size()) != B_OK)
		return false;
	record->team = message.GetInt32("team", -1);
	record->port = message.GetInt32("port", -1);
	record->thread = message.GetInt32("thread", -1);
	record->flags = message.GetUInt32("flags", 0);
	record->startTime = message.GetUInt64("start", 0);
	record->signature = message.GetString("signature", "");
	record->executable = message.GetString("executable", "");
	return record->team > 0;
}

// The longest folder whose sockets ("/<pid>.sock", a pid of up to seven digits)
// still fit the 108 bytes of a socket address with its terminator.
constexpr size_t kLongestSocketFolder = 107 - 13;

std::string CacheHome()
{
	const char* cache = getenv("XDG_CACHE_HOME");
	if (cache != nullptr && cache[0] == '/')
		return cache;
	const char* home = getenv("HOME");
	return std::string(home != nullptr && home[0] == '/' ? home : "/") + "/.cache";
}

// The host's name as a file name: a home shared between hosts keeps each
// host's running applications apart.
std::string HostLeaf()
{
	char name[256] = {};
	if (gethostname(name, sizeof(name) - 1) != 0 || name[0] == '\0')
		return "localhost";
	std::string leaf = name;
	for (char& c : leaf) {
		if (c == '/')
			c = '_';
	}
	return leaf;
}

// A folder of ours in the temporary folder, named in the file record: the one
// it names when that is still a private folder of ours, else a new one.
// Callers hold the lock of the record's folder, so two starting applications
// agree on one.
status_t TemporaryRuntimeDirectory(const std::string& record, std::string* path)
{
	std::ifstream file(record);
	std::string named;
	struct stat info;
	// One gone (the temporary folder was emptied) is made anew under a new name.
	if (file && std::getline(file, named) && named.starts_with("/")
		&& named.size() <= kLongestSocketFolder && lstat(named.c_str(), &info) == 0
		&& MakePrivateDirectory(named) == B_OK) {
		*path = named;
		return B_OK;
	}
	char pattern[] = "/tmp/cvab-run-XXXXXX";
	if (mkdtemp(pattern) == nullptr)
		return status_from_errno(errno);
	if (const status_t status = WriteFileAtomically(record, std::string(pattern) + "\n");
		status != B_OK) {
		rmdir(pattern);
		return status;
	}
	*path = pattern;
	return B_OK;
}

// Without $XDG_RUNTIME_DIR: a folder in the user's cache folder, which no
// other user can make first as they could one in the temporary folder; or,
// where its sockets' names would be too long, one made by mkdtemp in the
// temporary folder whose name is recorded there.
status_t FallbackDirectory(std::string* path)
{
	const std::string cache = CacheHome() + "/cvab";
	status_t status = MakeDirectories(CacheHome());
	if (status == B_OK)
		status = MakePrivateDirectory(cache);
	if (status != B_OK)
		return status;
	const std::string directory = cache + "/run-" + HostLeaf();
	if (directory.size() <= kLongestSocketFolder) {
		status = MakePrivateDirectory(directory);
		if (status == B_OK)
			*path = directory;
		return status;
	}
	const int lock = open(cache.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (lock < 0 || flock(lock, LOCK_EX) != 0) {
		status = status_from_errno(errno);
		if (lock >= 0)
			close(lock);
		return status;
	}
	status = TemporaryRuntimeDirectory(directory + ".where", path);
	close(lock);
	return status;
}

}  // namespace

status_t RunningApps::RuntimeDirectory(std::string* path)
{
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	if (runtime == nullptr || runtime[0] != '/')
		return FallbackDirectory(path);
	const std::string directory = std::string(runtime) + "/cvab";
	const status_t status = MakePrivateDirectory(directory);
	if (status == B_OK)
		*path = directory;
	return status;
}

std::string RunningApps::SocketPath(team_id team)
{
	std::string directory;
	if (RuntimeDirectory(&directory) != B_OK)
		return std::string();
	return directory + "/" + std::to_string(team) + ".sock";
}

status_t RunningApps::Register(const AppRecord& record)
{
	std::string directory;
	status_t status = RuntimeDirectory(&directory);
	if (status != B_OK)
		return status;
	BMessage message('arec');
	message.AddInt32("team", record.team);
	message.AddInt32("port", record.port);
	message.AddInt32("thread", record.thread);
	message.AddUInt32("flags", record.flags);
	message.AddUInt64("start", record.startTime);
	message.AddString("signature", record.signature);
	message.AddString("executable", record.executable);
	std::string bytes(size_t(message.FlattenedSize()), '\0');
	message.Flatten(bytes.data(), ssize_t(bytes.size()));
	return WriteFileAtomically(RecordPath(directory, record.team), bytes);
}

void RunningApps::Unregister(team_id team)
{
	std::string directory;
	if (RuntimeDirectory(&directory) == B_OK)
		unlink(RecordPath(directory, team).c_str());
}

uint64 RunningApps::StartTimeOf(team_id team)
{
	std::ifstream file("/proc/" + std::to_string(team) + "/stat");
	std::string line;
	if (!std::getline(file, line))
		return 0;
	// The command name may hold spaces and parentheses: fields count from the last ')'.
	const size_t end = line.rfind(')');
	if (end == std::string::npos)
		return 0;
	std::istringstream fields(line.substr(end + 2));
	std::string field;
	for (int i = 3; i <= 22 && fields >> field; i++) {
		if (i == 22)
			return strtoull(field.c_str(), nullptr, 10);
	}
	return 0;
}

bool RunningApps::IsAlive(team_id team, uint64 startTime)
{
	if (team <= 0 || (kill(team, 0) != 0 && errno != EPERM))
		return false;
	// A zombie no longer answers anything.
	std::ifstream file("/proc/" + std::to_string(team) + "/stat");
	std::string line;
	if (std::getline(file, line)) {
		const size_t end = line.rfind(')');
		if (end != std::string::npos && end + 2 < line.size() && line[end + 2] == 'Z')
			return false;
	}
	return startTime == 0 || StartTimeOf(team) == startTime;
}

std::vector<AppRecord> RunningApps::List()
{
	std::vector<AppRecord> records;
	std::string directory;
	if (RuntimeDirectory(&directory) != B_OK)
		return records;
	DIR* dir = opendir(directory.c_str());
	if (dir == nullptr)
		return records;
	while (dirent* entry = readdir(dir)) {
		const std::string name = entry->d_name;
		if (name.size() < 5 || name.compare(name.size() - 4, 4, ".app") != 0)
			continue;
		AppRecord record;
		const std::string path = directory + "/" + name;
		if (!ReadRecord(path, &record))
			continue;
		if (!IsAlive(record.team, record.startTime)) {
			// The process died without cleaning up.
			unlink(path.c_str());
			unlink((directory + "/" + std::to_string(record.team) + ".sock").c_str());
			continue;
		}
		records.push_back(record);
	}
	closedir(dir);
	std::sort(records.begin(), records.end(), [](const AppRecord& a, const AppRecord& b) {
		return a.startTime != b.startTime ? a.startTime < b.startTime : a.team < b.team;
	});
	return records;
}

bool RunningApps::Find(const char* signature, team_id team, AppRecord* record)
{
	if (signature == nullptr)
		return false;
	for (const AppRecord& candidate : List()) {
		if (strcasecmp(candidate.signature.c_str(), signature) == 0
			&& (team < 0 || candidate.team == team)) {
			*record = candidate;
			return true;
		}
	}
	return false;
}

bool RunningApps::FindTeam(team_id team, AppRecord* record)
{
	for (const AppRecord& candidate : List()) {
		if (candidate.team == team) {
			*record = candidate;
			return true;
		}
	}
	return false;
}

status_t RunningApps::RecordExecutable(const char* signature, const char* path)
{
	if (signature == nullptr || path == nullptr)
		return B_BAD_VALUE;
	const std::string directory = DataHome() + "/cvab/applications";
	const status_t status = MakeDirectories(directory);
	if (status != B_OK)
		return status;
	return WriteFileAtomically(directory + "/" + EscapedSignature(signature), path);
}

status_t RunningApps::RecordedExecutable(const char* signature, std::string* path)
{
	if (signature == nullptr)
		return B_BAD_VALUE;
	std::ifstream file(DataHome() + "/cvab/applications/" + EscapedSignature(signature));
	if (!file)
		return B_LAUNCH_FAILED_APP_NOT_FOUND;
	std::getline(file, *path);
	if (path->empty() || access(path->c_str(), X_OK) != 0)
		return B_LAUNCH_FAILED_APP_NOT_FOUND;
	return B_OK;
}

}  // namespace BPrivate
