// Finds the shared preferences library and resolves its entry points, once per process.
// Threading: the first call must happen before other threads use preferences; the
// decision is never changed afterwards, so later calls are safe from any thread.
#ifndef _PREFERENCES_LOADER_H
#define _PREFERENCES_LOADER_H

#include <SupportDefs.h>

#include <cstdio>

// The library's 22 entry points, in the order in which they are resolved.
enum class PrefsEntry : int32 {
	Version,
	Init,
	Shutdown,
	LoadSet,
	SaveSet,
	ReloadSet,
	DisposeSet,
	SetData,
	Delete,
	GetData,
	GetMessage,
	ListApplications,
	DisposeApplicationCookie,
	ListSets,
	DisposeSetCookie,
	BeginTransaction,
	EndTransaction,
	Listen,
	ListData,
	DisposeDataCookie,
	RemoveApp,
	RemoveSet,
	Count
};

// 0 when the library is in use, non-zero when the built-in store must answer.
status_t LoadPreferencesLibrary();

// The directory of the running application's executable, with its trailing "/".
status_t GetApplicationDirectory(char* dst, int32 size);

// The name under which an entry point is looked up.
const char* PreferencesEntryName(PrefsEntry entry);

// The resolved address; only meaningful after LoadPreferencesLibrary returned 0.
void* PreferencesLibraryEntry(PrefsEntry entry);

// Where the loader writes its one line naming an entry point the library lacks:
// standard output unless a program whose standard output carries
// only its results (the command-line tools) sends it elsewhere, before its
// first PREF call.
void SetPreferencesLoaderReport(FILE* stream);

#endif
