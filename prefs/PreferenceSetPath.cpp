#include "PreferenceSetPath.h"

#include <FindDirectory.h>

#include <PREF.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

const char* const kAppDirectoryPrefix = "/_LP_";
const char* const kCommonDirectory = "/(libprefs common)";
const mode_t kDirectoryMode = 0777;
const mode_t kCommonDirectoryMode = 0x1FFF;

bool Fits(const char* directory, const char* appName, const char* setName, bool perUser)
{
	size_t length = std::strlen(directory) + std::strlen(kAppDirectoryPrefix)
		+ std::strlen(appName) + 1 + std::strlen(setName) + 1;
	if (!perUser)
		length += std::strlen(kCommonDirectory);
	return length <= kPreferenceSetPathSize;
}

// Makes the directory path names, if it is missing, and checks what is there.
status_t EnsureDirectory(const char* path)
{
	struct stat st;
	if (stat(path, &st) != 0) {
		mkdir(path, kDirectoryMode);
		if (stat(path, &st) != 0)
			return B_ENTRY_NOT_FOUND;
	}
	return S_ISDIR(st.st_mode) ? B_OK : B_NOT_A_DIRECTORY;
}

// Every directory named along path, from after its leading "/" to before its last
// component, is made if missing.
status_t EnsureDirectoriesAlong(char* path)
{
	for (char* slash = std::strchr(path + 1, '/'); slash != nullptr;
			slash = std::strchr(slash + 1, '/')) {
		*slash = '\0';
		const status_t status = EnsureDirectory(path);
		*slash = '/';
		if (status != B_OK)
			return status;
	}
	return B_OK;
}

}  // namespace

status_t BuildPreferenceSetPath(const char* appName, const char* setName, bool perUser,
	char* path)
{
	if (appName == nullptr || setName == nullptr || path == nullptr)
		return B_BAD_VALUE;
	const directory_which which
		= perUser ? B_USER_SETTINGS_DIRECTORY : B_COMMON_SETTINGS_DIRECTORY;
	const status_t found = find_directory(which, -1, true, path, kPreferenceSetPathSize);
	if (found != B_OK)
		return found;
	if (!Fits(path, appName, setName, perUser))
		return PREF_PATH_TOO_LONG;

	std::strcat(path, kAppDirectoryPrefix);
	std::strcat(path, appName);
	mkdir(path, kDirectoryMode);
	if (!perUser) {
		std::strcat(path, kCommonDirectory);
		mkdir(path, kCommonDirectoryMode);
	}
	struct stat st;
	if (stat(path, &st) != 0)
		return status_from_errno(errno);

	std::strcat(path, "/");
	std::strcat(path, setName);
	return EnsureDirectoriesAlong(path);
}
