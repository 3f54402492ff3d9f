#include <FindDirectory.h>

#include <Directory.h>
#include <Path.h>
#include <StoragePaths.h>

#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {

std::string home_directory()
{
	const char* home = std::getenv("HOME");
	if (home != nullptr && home[0] == '/')
		return home;
	const struct passwd* user = getpwuid(getuid());
	return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/";
}

// An XDG variable if it holds an absolute path, else the default below home.
std::string xdg_directory(const char* variable, const char* fallbackBelowHome)
{
	const char* value = std::getenv(variable);
	if (value != nullptr && value[0] == '/')
		return value;
	return home_directory() + "/" + fallbackBelowHome;
}

std::string temp_directory()
{
	const char* value = std::getenv("TMPDIR");
	return value != nullptr && value[0] == '/' ? value : "/tmp";
}

std::string data_home()
{
	return xdg_directory("XDG_DATA_HOME", ".local/share");
}

std::string common_directory(const char* leaf)
{
	std::string path = data_home() + "/cvab-platform/common";
	if (leaf != nullptr)
		path += std::string("/") + leaf;
	return path;
}

// Empty for a directory this platform does not place.
std::string path_for(directory_which which)
{
	switch (which) {
		case B_DESKTOP_DIRECTORY:
		case B_USER_DESKTOP_DIRECTORY:
			return home_directory() + "/Desktop";
		case B_TRASH_DIRECTORY:
			return data_home() + "/Trash/files";

		case B_SYSTEM_DIRECTORY: return "/usr";
		case B_SYSTEM_ADDONS_DIRECTORY: return "/usr/lib";
		case B_SYSTEM_BOOT_DIRECTORY: return "/";
		case B_SYSTEM_FONTS_DIRECTORY: return "/usr/share/fonts";
		case B_SYSTEM_LIB_DIRECTORY: return "/usr/lib";
		case B_SYSTEM_SERVERS_DIRECTORY: return "/usr/libexec";
		case B_SYSTEM_APPS_DIRECTORY:
		case B_SYSTEM_BIN_DIRECTORY:
		case B_APPS_DIRECTORY:
		case B_PREFERENCES_DIRECTORY:
		case B_UTILITIES_DIRECTORY:
			return "/usr/bin";

		case B_COMMON_DIRECTORY: return common_directory(nullptr);
		case B_COMMON_SYSTEM_DIRECTORY: return common_directory("system");
		case B_COMMON_ADDONS_DIRECTORY: return common_directory("add-ons");
		case B_COMMON_BOOT_DIRECTORY: return common_directory(nullptr);
		case B_COMMON_FONTS_DIRECTORY: return common_directory("fonts");
		case B_COMMON_LIB_DIRECTORY: return common_directory("lib");
		case B_COMMON_SERVERS_DIRECTORY: return common_directory("servers");
		case B_COMMON_BIN_DIRECTORY: return common_directory("bin");
		case B_COMMON_ETC_DIRECTORY: return common_directory("etc");
		case B_COMMON_DOCUMENTATION_DIRECTORY: return common_directory("documentation");
		case B_COMMON_SETTINGS_DIRECTORY: return common_directory("settings");
		case B_COMMON_DEVELOP_DIRECTORY: return common_directory("develop");
		case B_COMMON_LOG_DIRECTORY: return common_directory("log");
		case B_COMMON_SPOOL_DIRECTORY: return common_directory("spool");
		case B_COMMON_TEMP_DIRECTORY: return temp_directory();
		case B_COMMON_VAR_DIRECTORY: return common_directory("var");
		case B_COMMON_TRANSLATORS_DIRECTORY: return common_directory("translators");
		case B_COMMON_MEDIA_NODES_DIRECTORY: return common_directory("media");
		case B_COMMON_SOUNDS_DIRECTORY: return common_directory("sounds");
		case B_COMMON_DATA_DIRECTORY: return common_directory("data");
		case B_COMMON_CACHE_DIRECTORY: return common_directory("cache");

		case B_USER_DIRECTORY:
		case B_USER_BOOT_DIRECTORY:
			return home_directory();
		case B_USER_CONFIG_DIRECTORY:
		case B_USER_SETTINGS_DIRECTORY:
			return xdg_directory("XDG_CONFIG_HOME", ".config");
		case B_USER_ADDONS_DIRECTORY: return data_home() + "/cvab-platform/add-ons";
		case B_USER_FONTS_DIRECTORY: return data_home() + "/fonts";
		case B_USER_LIB_DIRECTORY: return home_directory() + "/.local/lib";
		case B_USER_PRINTERS_DIRECTORY: return data_home() + "/cvab-platform/printers";
		case B_USER_TRANSLATORS_DIRECTORY: return data_home() + "/cvab-platform/translators";
		case B_USER_MEDIA_NODES_DIRECTORY: return data_home() + "/cvab-platform/media";
		case B_USER_SOUNDS_DIRECTORY: return data_home() + "/sounds";
		case B_USER_DATA_DIRECTORY: return data_home();
		case B_USER_CACHE_DIRECTORY: return xdg_directory("XDG_CACHE_HOME", ".cache");
	}
	return std::string();
}

}  // namespace

extern "C" status_t find_directory(directory_which which, dev_t, bool create, char* path,
	int32 length)
{
	if (path == nullptr || length <= 0)
		return B_BAD_VALUE;
	const std::string placed = path_for(which);
	if (placed.empty())
		return B_BAD_VALUE;
	const std::string found = BPrivate::normalize_lexically(placed);
	if (found.size() >= static_cast<size_t>(length))
		return B_NAME_TOO_LONG;
	if (create) {
		if (status_t status = create_directory(found.c_str(), 0700); status != B_OK)
			return status;
	}
	std::memcpy(path, found.c_str(), found.size() + 1);
	return B_OK;
}

status_t find_directory(directory_which which, BPath* path, bool create, BVolume*)
{
	if (path == nullptr)
		return B_BAD_VALUE;
	char buffer[B_PATH_NAME_LENGTH];
	const status_t status = find_directory(which, 0, create, buffer, sizeof(buffer));
	if (status != B_OK) {
		path->Unset();
		return status;
	}
	return path->SetTo(buffer);
}
