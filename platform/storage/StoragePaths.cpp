// Sections: lexical normalising; resolving entries; refs and paths.
#include <StoragePaths.h>

#include <EntryRef.h>
#include <StorageDefs.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace BPrivate {

// #pragma mark - lexical normalising

std::string normalize_lexically(std::string_view absolutePath)
{
	std::vector<std::string_view> parts;
	size_t start = 0;
	while (start <= absolutePath.size()) {
		size_t end = absolutePath.find('/', start);
		if (end == std::string_view::npos)
			end = absolutePath.size();
		const std::string_view part = absolutePath.substr(start, end - start);
		if (part == "..") {
			if (!parts.empty())
				parts.pop_back();
		} else if (!part.empty() && part != ".") {
			parts.push_back(part);
		}
		start = end + 1;
	}
	if (parts.empty())
		return "/";
	std::string result;
	for (const std::string_view part : parts) {
		result += '/';
		result += part;
	}
	return result;
}

status_t make_absolute(const char* path, std::string* absolutePath)
{
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	if (path[0] == '/') {
		*absolutePath = path;
		return B_OK;
	}
	char cwd[PATH_MAX];
	if (getcwd(cwd, sizeof(cwd)) == nullptr)
		return status_from_errno(errno);
	*absolutePath = std::string(cwd) + "/" + path;
	return B_OK;
}

// #pragma mark - resolving entries

std::string ResolvedEntry::Path() const
{
	if (leaf == ".")
		return directory;
	if (directory == "/")
		return "/" + leaf;
	return directory + "/" + leaf;
}

namespace {

status_t real_path(const std::string& path, std::string* resolved)
{
	char buffer[PATH_MAX];
	if (realpath(path.c_str(), buffer) == nullptr)
		return status_from_errno(errno);
	*resolved = buffer;
	return B_OK;
}

void split_resolved(const std::string& realPath, ResolvedEntry* entry)
{
	if (realPath == "/") {
		entry->directory = "/";
		entry->leaf = ".";
		return;
	}
	const size_t slash = realPath.rfind('/');
	entry->directory = slash == 0 ? "/" : realPath.substr(0, slash);
	entry->leaf = realPath.substr(slash + 1);
}

// Splits an absolute path into its (not yet resolved) directory part and leaf,
// ignoring trailing slashes.
void split_raw(const std::string& path, std::string* directory, std::string* leaf)
{
	size_t end = path.find_last_not_of('/');
	if (end == std::string::npos) {
		*directory = "/";
		*leaf = ".";
		return;
	}
	const size_t slash = path.rfind('/', end);
	*leaf = path.substr(slash + 1, end - slash);
	*directory = slash == 0 ? "/" : path.substr(0, slash);
}

status_t resolve_once(const std::string& path, ResolvedEntry* entry)
{
	std::string directory, leaf;
	split_raw(path, &directory, &leaf);
	if (leaf.size() >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	if (leaf == "." || leaf == "..") {
		// The entry is a directory named through its relatives: it must exist.
		std::string resolved;
		if (status_t status = real_path(path, &resolved); status != B_OK)
			return status;
		split_resolved(resolved, entry);
		return B_OK;
	}
	std::string resolvedDirectory;
	if (status_t status = real_path(directory, &resolvedDirectory); status != B_OK)
		return status;
	struct stat st;
	if (stat(resolvedDirectory.c_str(), &st) != 0)
		return status_from_errno(errno);
	if (!S_ISDIR(st.st_mode))
		return B_NOT_A_DIRECTORY;
	entry->directory = resolvedDirectory;
	entry->leaf = leaf;
	return B_OK;
}

}  // namespace

status_t resolve_entry(const char* path, bool traverse, ResolvedEntry* entry)
{
	std::string current;
	if (status_t status = make_absolute(path, &current); status != B_OK)
		return status;
	if (current.size() >= B_PATH_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	for (int links = 0;; links++) {
		ResolvedEntry candidate;
		if (status_t status = resolve_once(current, &candidate); status != B_OK)
			return status;
		struct stat st;
		const std::string full = candidate.Path();
		if (!traverse || lstat(full.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
			*entry = candidate;
			return B_OK;
		}
		if (links >= B_MAX_SYMLINKS)
			return B_LINK_LIMIT;
		char target[PATH_MAX];
		const ssize_t length = readlink(full.c_str(), target, sizeof(target) - 1);
		if (length < 0)
			return status_from_errno(errno);
		target[length] = '\0';
		current = target[0] == '/' ? std::string(target)
			: candidate.directory + "/" + target;
	}
}

// #pragma mark - refs and paths

namespace {

// Directories this process has made refs for, by device and inode: a ref that
// lost its directory path (one made by hand from a node) can still be resolved
// when its directory was seen here and has not moved since.
class DirectoryCache {
public:
	void Remember(dev_t device, ino_t directory, const std::string& path)
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (fPaths.size() >= kMaxEntries)
			fPaths.clear();
		fPaths[{device, directory}] = path;
	}

	bool Find(dev_t device, ino_t directory, std::string* path)
	{
		{
			std::lock_guard<std::mutex> lock(fLock);
			const auto found = fPaths.find({device, directory});
			if (found == fPaths.end())
				return false;
			*path = found->second;
		}
		struct stat st;
		return stat(path->c_str(), &st) == 0 && st.st_dev == device
			&& st.st_ino == directory;
	}

private:
	static constexpr size_t kMaxEntries = 4096;

	std::mutex fLock;
	std::map<std::pair<dev_t, ino_t>, std::string> fPaths;
};

DirectoryCache& directory_cache()
{
	static DirectoryCache cache;
	return cache;
}

}  // namespace

status_t path_for_ref(const entry_ref& ref, std::string* path)
{
	if (ref.name == nullptr || ref.name[0] == '\0')
		return B_BAD_VALUE;
	std::string directory = ref.DirectoryPath();
	if (directory.empty() && !directory_cache().Find(ref.device, ref.directory, &directory))
		return B_BAD_VALUE;
	*path = ResolvedEntry{directory, ref.name}.Path();
	return B_OK;
}

status_t ref_for_resolved(const ResolvedEntry& entry, entry_ref* ref)
{
	struct stat st;
	if (stat(entry.directory.c_str(), &st) != 0)
		return status_from_errno(errno);
	ref->device = st.st_dev;
	ref->directory = st.st_ino;
	directory_cache().Remember(st.st_dev, st.st_ino, entry.directory);
	ref->SetDirectoryPath(entry.directory);
	return ref->set_name(entry.leaf.c_str());
}

}  // namespace BPrivate
