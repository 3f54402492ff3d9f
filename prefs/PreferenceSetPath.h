// Where a set's file lives: the user (or common) settings directory, then "_LP_"
// and the application's name, for a common set "(libprefs common)", then the set's
// name, whose own "/"s make subdirectories. Missing directories are created.
// Threading: any thread; touches only the file system.
#ifndef _PREFERENCE_SET_PATH_H
#define _PREFERENCE_SET_PATH_H

#include <SupportDefs.h>

// The size of a set path's buffer, its terminating NUL included.
const size_t kPreferenceSetPathSize = 1024;

// Fills path (kPreferenceSetPathSize bytes) with the set's file path and creates
// the directories along it; the file itself is left alone.
status_t BuildPreferenceSetPath(const char* appName, const char* setName, bool perUser,
	char* path);

#endif
