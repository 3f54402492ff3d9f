// Sections: the mount table; the calls.
#include <fs_info.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <vector>

namespace {

// #pragma mark - the mount table

struct Mount {
	dev_t device;
	std::string mountPoint;
	std::string options;
	std::string type;
	std::string source;
};

// mountinfo escapes blanks and backslashes as octal (\040).
std::string unescape(const std::string& field)
{
	std::string result;
	for (size_t i = 0; i < field.size(); i++) {
		if (field[i] == '\\' && i + 3 < field.size()
				&& std::isdigit(static_cast<unsigned char>(field[i + 1]))) {
			result += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
			i += 3;
		} else {
			result += field[i];
		}
	}
	return result;
}

std::vector<Mount> read_mounts()
{
	std::vector<Mount> mounts;
	std::ifstream table("/proc/self/mountinfo");
	std::string line;
	while (std::getline(table, line)) {
		std::istringstream fields(line);
		std::string id, parent, numbers, root, mountPoint, options, field;
		if (!(fields >> id >> parent >> numbers >> root >> mountPoint >> options))
			continue;
		while (fields >> field && field != "-") {
			// optional fields (shared:, master:) end at the separator
		}
		Mount mount;
		if (!(fields >> mount.type >> mount.source))
			continue;
		unsigned major = 0, minor = 0;
		if (std::sscanf(numbers.c_str(), "%u:%u", &major, &minor) != 2)
			continue;
		mount.device = makedev(major, minor);
		mount.mountPoint = unescape(mountPoint);
		mount.options = options;
		mounts.push_back(mount);
	}
	return mounts;
}

bool keeps_user_attributes(const std::string& mountPoint)
{
	// Replacing an attribute that is not there changes nothing: ENODATA says the
	// volume has user attributes, ENOTSUP that it has none.
	if (lsetxattr(mountPoint.c_str(), "user.cvab-probe", "", 0, XATTR_REPLACE) == 0)
		return true;
	return errno != ENOTSUP;
}

void copy_text(char* target, size_t size, const std::string& text)
{
	std::snprintf(target, size, "%s", text.c_str());
}

int report(status_t status)
{
	if (status == B_OK)
		return 0;
	errno = status;
	return -1;
}

}  // namespace

// #pragma mark - the calls

extern "C" dev_t dev_for_path(const char* path)
{
	if (path == nullptr || path[0] == '\0')
		return static_cast<dev_t>(static_cast<status_t>(B_BAD_VALUE));
	struct stat st;
	if (stat(path, &st) != 0)
		return static_cast<dev_t>(status_from_errno(errno));
	return st.st_dev;
}

extern "C" dev_t next_dev(int32* cookie)
{
	if (cookie == nullptr || *cookie < 0)
		return static_cast<dev_t>(static_cast<status_t>(B_BAD_VALUE));
	std::set<dev_t> seen;
	int32 index = 0;
	for (const Mount& mount : read_mounts()) {
		if (!seen.insert(mount.device).second)
			continue;
		if (index++ == *cookie) {
			*cookie = index;
			return mount.device;
		}
	}
	return static_cast<dev_t>(static_cast<status_t>(B_BAD_VALUE));
}

extern "C" int fs_stat_dev(dev_t device, fs_info* info)
{
	if (info == nullptr)
		return report(B_BAD_VALUE);
	for (const Mount& mount : read_mounts()) {
		if (mount.device != device)
			continue;
		struct stat st;
		struct statvfs volume;
		if (stat(mount.mountPoint.c_str(), &st) != 0
			|| statvfs(mount.mountPoint.c_str(), &volume) != 0) {
			continue;
		}
		*info = fs_info();
		info->dev = device;
		info->root = st.st_ino;
		if (mount.options.compare(0, 2, "ro") == 0
			&& (mount.options.size() == 2 || mount.options[2] == ',')) {
			info->flags |= B_FS_IS_READONLY;
		}
		if (mount.source.compare(0, 5, "/dev/") == 0)
			info->flags |= B_FS_IS_PERSISTENT;
		if (keeps_user_attributes(mount.mountPoint))
			info->flags |= B_FS_HAS_ATTR | B_FS_HAS_QUERY;
		info->block_size = volume.f_frsize;
		info->io_size = volume.f_bsize;
		info->total_blocks = volume.f_blocks;
		info->free_blocks = volume.f_bavail;
		info->total_nodes = volume.f_files;
		info->free_nodes = volume.f_ffree;
		copy_text(info->device_name, sizeof(info->device_name), mount.source);
		copy_text(info->volume_name, sizeof(info->volume_name), mount.mountPoint);
		copy_text(info->fsh_name, sizeof(info->fsh_name), mount.type);
		return 0;
	}
	return report(B_BAD_VALUE);
}
