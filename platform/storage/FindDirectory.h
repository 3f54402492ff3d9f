// find_directory: the platform's well-known directories, placed after the XDG base
// directories: settings and config in $XDG_CONFIG_HOME (~/.config), data in
// $XDG_DATA_HOME (~/.local/share), caches in $XDG_CACHE_HOME (~/.cache), temporary
// files in $TMPDIR (/tmp). Linux has no writable place shared by all users, so the
// "common" directories live per user under $XDG_DATA_HOME/cvab-platform/common
// (settings in common/settings, and so on). Relative XDG values are ignored, as the
// XDG rules say. With create, missing directories are made (mode 0700).
// Threading: safe from any thread (reads the environment only).
#ifndef _FIND_DIRECTORY_H
#define _FIND_DIRECTORY_H

#include <SupportDefs.h>

typedef enum {
	B_DESKTOP_DIRECTORY = 0,
	B_TRASH_DIRECTORY,

	B_SYSTEM_DIRECTORY = 1000,
	B_SYSTEM_ADDONS_DIRECTORY = 1002,
	B_SYSTEM_BOOT_DIRECTORY,
	B_SYSTEM_FONTS_DIRECTORY,
	B_SYSTEM_LIB_DIRECTORY,
	B_SYSTEM_SERVERS_DIRECTORY,
	B_SYSTEM_APPS_DIRECTORY,
	B_SYSTEM_BIN_DIRECTORY,

	B_COMMON_DIRECTORY = 2000,
	B_COMMON_SYSTEM_DIRECTORY,
	B_COMMON_ADDONS_DIRECTORY,
	B_COMMON_BOOT_DIRECTORY,
	B_COMMON_FONTS_DIRECTORY,
	B_COMMON_LIB_DIRECTORY,
	B_COMMON_SERVERS_DIRECTORY,
	B_COMMON_BIN_DIRECTORY,
	B_COMMON_ETC_DIRECTORY,
	B_COMMON_DOCUMENTATION_DIRECTORY,
	B_COMMON_SETTINGS_DIRECTORY,
	B_COMMON_DEVELOP_DIRECTORY,
	B_COMMON_LOG_DIRECTORY,
	B_COMMON_SPOOL_DIRECTORY,
	B_COMMON_TEMP_DIRECTORY,
	B_COMMON_VAR_DIRECTORY,
	B_COMMON_TRANSLATORS_DIRECTORY,
	B_COMMON_MEDIA_NODES_DIRECTORY,
	B_COMMON_SOUNDS_DIRECTORY,
	B_COMMON_DATA_DIRECTORY,
	B_COMMON_CACHE_DIRECTORY,

	// The later name of the common temporary directory, with its value.
	B_SYSTEM_TEMP_DIRECTORY = B_COMMON_TEMP_DIRECTORY,

	B_USER_DIRECTORY = 3000,
	B_USER_CONFIG_DIRECTORY,
	B_USER_ADDONS_DIRECTORY,
	B_USER_BOOT_DIRECTORY,
	B_USER_FONTS_DIRECTORY,
	B_USER_LIB_DIRECTORY,
	B_USER_SETTINGS_DIRECTORY,
	B_USER_DESKTOP_DIRECTORY,
	B_USER_PRINTERS_DIRECTORY,
	B_USER_TRANSLATORS_DIRECTORY,
	B_USER_MEDIA_NODES_DIRECTORY,
	B_USER_SOUNDS_DIRECTORY,
	B_USER_DATA_DIRECTORY,
	B_USER_CACHE_DIRECTORY,

	B_APPS_DIRECTORY = 4000,
	B_PREFERENCES_DIRECTORY,
	B_UTILITIES_DIRECTORY,
} directory_which;

#ifdef __cplusplus
extern "C" {
#endif

// The volume is ignored: every volume shares the same directories. A path longer
// than length gives B_NAME_TOO_LONG; an unknown directory B_BAD_VALUE.
status_t find_directory(directory_which which, dev_t volume, bool create, char* path,
	int32 length);

#ifdef __cplusplus
}

class BPath;
class BVolume;

status_t find_directory(directory_which which, BPath* path, bool create = false,
	BVolume* volume = nullptr);
#endif

#endif
