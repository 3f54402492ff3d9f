#include <fs_info.h>

#include <cerrno>
#include <sys/stat.h>

extern "C" dev_t dev_for_path(const char* path)
{
	if (path == nullptr || path[0] == '\0')
		return static_cast<dev_t>(static_cast<status_t>(B_BAD_VALUE));
	struct stat st;
	if (stat(path, &st) != 0)
		return static_cast<dev_t>(status_from_errno(errno));
	return st.st_dev;
}
