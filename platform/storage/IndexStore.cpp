// Sections: names and encoding; reading and writing index files; the calls.
#include <IndexStore.h>

#include <FindDirectory.h>
#include <fs_index.h>
#include <Directory.h>

#include <cerrno>
#include <dirent.h>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BPrivate {

namespace {

const char kHeader[] = "cvab-index 1";
// An index file longer than this is damaged, not read.
const off_t kMaxIndexFileSize = 64 * 1024 * 1024;

// #pragma mark - names and encoding

bool is_reserved(const char* name)
{
	return std::strcmp(name, "name") == 0 || std::strcmp(name, "size") == 0
		|| std::strcmp(name, "last_modified") == 0;
}

status_t check_name(const char* name)
{
	if (name == nullptr || name[0] == '\0')
		return B_BAD_VALUE;
	if (std::strlen(name) >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	return B_OK;
}

std::string device_directory(dev_t device)
{
	char base[B_PATH_NAME_LENGTH];
	if (find_directory(B_USER_DATA_DIRECTORY, 0, false, base, sizeof(base)) != B_OK)
		return std::string();
	return std::string(base) + "/cvab-platform/indexes/"
		+ std::to_string(static_cast<unsigned long long>(device));
}

std::string index_path(dev_t device, const char* name)
{
	const std::string directory = device_directory(device);
	if (directory.empty())
		return directory;
	return directory + "/" + IndexStore::EncodeName(name) + ".index";
}

// #pragma mark - reading and writing index files

struct IndexFile {
	uint32 type = 0;
	uint32 flags = 0;
	std::vector<std::string> paths;
};

bool read_whole(const std::string& path, std::string* contents, status_t* status)
{
	const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0) {
		*status = status_from_errno(errno);
		return false;
	}
	struct stat st;
	if (fstat(fd, &st) != 0 || st.st_size > kMaxIndexFileSize) {
		close(fd);
		*status = B_BAD_DATA;
		return false;
	}
	contents->resize(st.st_size);
	size_t done = 0;
	while (done < contents->size()) {
		const ssize_t read = ::read(fd, contents->data() + done, contents->size() - done);
		if (read <= 0)
			break;
		done += read;
	}
	contents->resize(done);
	close(fd);
	return true;
}

status_t parse_index(const std::string& contents, IndexFile* index)
{
	return IndexStore::Parse(contents, &index->type, &index->flags, &index->paths);
}

}  // namespace

status_t IndexStore::Parse(const std::string& contents, uint32* type, uint32* flags,
	std::vector<std::string>* paths)
{
	std::vector<std::string> lines;
	size_t start = 0;
	while (start < contents.size()) {
		size_t end = contents.find('\n', start);
		if (end == std::string::npos)
			end = contents.size();
		lines.push_back(contents.substr(start, end - start));
		start = end + 1;
	}
	if (lines.size() < 3 || lines[0] != kHeader)
		return B_BAD_DATA;
	unsigned long parsedType = 0, parsedFlags = 0;
	char extra;
	if (std::sscanf(lines[1].c_str(), "type %lu%c", &parsedType, &extra) != 1
		|| std::sscanf(lines[2].c_str(), "flags %lu%c", &parsedFlags, &extra) != 1
		|| parsedType > UINT32_MAX || parsedFlags > UINT32_MAX) {
		return B_BAD_DATA;
	}
	*type = parsedType;
	*flags = parsedFlags;
	paths->clear();
	for (size_t i = 3; i < lines.size(); i++) {
		std::string path;
		// A damaged line names no node; the rest of the index still counts.
		if (DecodeLine(lines[i], &path) && !path.empty() && path[0] == '/')
			paths->push_back(path);
	}
	return B_OK;
}

namespace {

status_t load_index(const std::string& path, IndexFile* index)
{
	std::string contents;
	status_t status;
	if (!read_whole(path, &contents, &status))
		return status;
	return parse_index(contents, index);
}

status_t save_index(const std::string& path, const IndexFile& index)
{
	std::string contents = std::string(kHeader) + "\n";
	contents += "type " + std::to_string(index.type) + "\n";
	contents += "flags " + std::to_string(index.flags) + "\n";
	for (const std::string& node : index.paths)
		contents += IndexStore::EncodeLine(node) + "\n";

	const std::string temporary = path + ".tmp" + std::to_string(getpid());
	const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
	if (fd < 0)
		return status_from_errno(errno);
	size_t done = 0;
	while (done < contents.size()) {
		const ssize_t written = write(fd, contents.data() + done, contents.size() - done);
		if (written < 0) {
			const status_t status = status_from_errno(errno);
			close(fd);
			unlink(temporary.c_str());
			return status;
		}
		done += written;
	}
	close(fd);
	if (rename(temporary.c_str(), path.c_str()) != 0) {
		const status_t status = status_from_errno(errno);
		unlink(temporary.c_str());
		return status;
	}
	return B_OK;
}

// Holds the device directory's lock file for one change.
class StoreLock {
public:
	explicit StoreLock(const std::string& directory)
		: fFd(-1)
	{
		if (directory.empty())
			fStatus = B_ENTRY_NOT_FOUND;
		else if ((fStatus = create_directory(directory.c_str(), 0700)) == B_OK)
			fStatus = _Lock(directory + "/.lock");
	}
	~StoreLock()
	{
		if (fFd >= 0)
			close(fFd);  // closing releases the flock
	}
	status_t Status() const { return fStatus; }

private:
	status_t _Lock(const std::string& path)
	{
		fFd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
		if (fFd < 0)
			return status_from_errno(errno);
		while (flock(fFd, LOCK_EX) != 0) {
			if (errno != EINTR)
				return status_from_errno(errno);
		}
		return B_OK;
	}

	int fFd;
	status_t fStatus;
};

}  // namespace

// #pragma mark - encoding

std::string IndexStore::EncodeName(const std::string& name)
{
	std::string encoded;
	for (size_t i = 0; i < name.size(); i++) {
		const unsigned char c = name[i];
		const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
			|| (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':' || c == ' '
			|| (c == '.' && i > 0);
		if (plain) {
			encoded += static_cast<char>(c);
		} else {
			char escape[4];
			std::snprintf(escape, sizeof(escape), "%%%02X", c);
			encoded += escape;
		}
	}
	return encoded;
}

std::string IndexStore::EncodeLine(const std::string& line)
{
	std::string encoded;
	for (const char character : line) {
		const unsigned char c = character;
		if (c == '%' || c < 0x20 || c == 0x7f) {
			char escape[4];
			std::snprintf(escape, sizeof(escape), "%%%02X", c);
			encoded += escape;
		} else {
			encoded += character;
		}
	}
	return encoded;
}

bool IndexStore::DecodeLine(const std::string& line, std::string* decoded)
{
	decoded->clear();
	for (size_t i = 0; i < line.size(); i++) {
		// No path holds a NUL, written plainly or escaped.
		if (line[i] == '\0')
			return false;
		if (line[i] != '%') {
			*decoded += line[i];
			continue;
		}
		if (i + 2 >= line.size())
			return false;
		unsigned value = 0;
		for (int digit = 1; digit <= 2; digit++) {
			const char c = line[i + digit];
			value <<= 4;
			if (c >= '0' && c <= '9')
				value |= c - '0';
			else if (c >= 'A' && c <= 'F')
				value |= c - 'A' + 10;
			else if (c >= 'a' && c <= 'f')
				value |= c - 'a' + 10;
			else
				return false;
		}
		if (value == 0)
			return false;
		*decoded += static_cast<char>(value);
		i += 2;
	}
	return true;
}

// #pragma mark - the calls

status_t IndexStore::Create(dev_t device, const char* name, uint32 type, uint32 flags)
{
	if (status_t status = check_name(name); status != B_OK)
		return status;
	if (is_reserved(name))
		return B_NOT_ALLOWED;
	StoreLock lock(device_directory(device));
	if (lock.Status() != B_OK)
		return lock.Status();
	const std::string path = index_path(device, name);
	IndexFile index;
	// A damaged file is replaced: it holds no index anyone can use.
	if (load_index(path, &index) == B_OK)
		return B_FILE_EXISTS;
	index = IndexFile();
	index.type = type;
	index.flags = flags;
	return save_index(path, index);
}

status_t IndexStore::Remove(dev_t device, const char* name)
{
	if (status_t status = check_name(name); status != B_OK)
		return status;
	if (is_reserved(name))
		return B_NOT_ALLOWED;
	StoreLock lock(device_directory(device));
	if (lock.Status() != B_OK)
		return lock.Status();
	const std::string path = index_path(device, name);
	return unlink(path.c_str()) == 0 ? B_OK : status_from_errno(errno);
}

status_t IndexStore::Stat(dev_t device, const char* name, index_info* info)
{
	if (status_t status = check_name(name); status != B_OK)
		return status;
	if (info == nullptr)
		return B_BAD_VALUE;
	const std::string path = index_path(device, name);
	IndexFile index;
	if (status_t status = load_index(path, &index); status != B_OK)
		return status;
	struct stat st;
	if (stat(path.c_str(), &st) != 0)
		return status_from_errno(errno);
	info->type = index.type;
	info->size = st.st_size;
	info->modification_time = st.st_mtime;
	info->creation_time = st.st_ctime;
	info->uid = st.st_uid;
	info->gid = st.st_gid;
	return B_OK;
}

status_t IndexStore::ReadNodes(dev_t device, const char* name, uint32* type,
	std::vector<std::string>* paths)
{
	if (status_t status = check_name(name); status != B_OK)
		return status;
	IndexFile index;
	if (status_t status = load_index(index_path(device, name), &index); status != B_OK)
		return status;
	if (type != nullptr)
		*type = index.type;
	*paths = std::move(index.paths);
	return B_OK;
}

status_t IndexStore::List(dev_t device, std::vector<std::string>* names)
{
	if (names == nullptr)
		return B_BAD_VALUE;
	names->clear();
	const std::string directory = device_directory(device);
	DIR* listing = opendir(directory.c_str());
	if (listing == nullptr)
		return errno == ENOENT ? B_OK : status_from_errno(errno);
	const std::string suffix = ".index";
	while (const struct dirent* entry = readdir(listing)) {
		const std::string file = entry->d_name;
		if (file.size() <= suffix.size()
			|| file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0) {
			continue;
		}
		std::string name;
		if (DecodeLine(file.substr(0, file.size() - suffix.size()), &name))
			names->push_back(name);
	}
	closedir(listing);
	return B_OK;
}

void IndexStore::NoteAttributeWritten(dev_t device, const std::string& path,
	const char* attribute)
{
	if (check_name(attribute) != B_OK || path.empty())
		return;
	const std::string file = index_path(device, attribute);
	struct stat st;
	if (file.empty() || stat(file.c_str(), &st) != 0)
		return;  // not indexed: the common case costs one stat

	IndexFile index;
	auto recorded = [&]() {
		for (const std::string& node : index.paths) {
			if (node == path)
				return true;
		}
		return false;
	};
	if (load_index(file, &index) != B_OK || recorded())
		return;
	StoreLock lock(device_directory(device));
	// Another process may have changed the index since it was read.
	if (lock.Status() != B_OK || load_index(file, &index) != B_OK || recorded())
		return;
	index.paths.push_back(path);
	save_index(file, index);
}

}  // namespace BPrivate

// #pragma mark - the platform's C calls

namespace {

int report(status_t status)
{
	if (status == B_OK)
		return 0;
	errno = status;
	return -1;
}

}  // namespace

extern "C" int fs_create_index(dev_t device, const char* name, uint32 type, uint32 flags)
{
	return report(BPrivate::IndexStore::Create(device, name, type, flags));
}

extern "C" int fs_remove_index(dev_t device, const char* name)
{
	return report(BPrivate::IndexStore::Remove(device, name));
}

extern "C" int fs_stat_index(dev_t device, const char* name, struct index_info* info)
{
	return report(BPrivate::IndexStore::Stat(device, name, info));
}
