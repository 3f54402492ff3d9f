// The program's own preference store, answering the PREF calls when no shared
// library loads: one file per set, holding an int32 length and a flattened message.
// Threading: any thread. "prefs sem" guards the application and set records and
// every set's data, "prefs trans sem" the transaction links; when both are held,
// "prefs sem" comes first. Between processes an exclusive lock on the set's open
// file makes loading and saving atomic.
#ifndef _BUILT_IN_PREFERENCE_STORE_H
#define _BUILT_IN_PREFERENCE_STORE_H

#include <PREF.h>

class BuiltInPreferenceStore {
public:
	static status_t Init(const char* appName, PREFAppHandle* outApp);
	static status_t Shutdown(PREFAppHandle app);

	static status_t LoadSet(PREFAppHandle app, const char* setName, bool perUser,
		PREFSetHandle* outSet);
	static status_t SaveSet(PREFSetHandle set);
	static status_t DisposeSet(PREFSetHandle* setp);

	static status_t SetData(PREFSetHandle set, const char* name, const void* data,
		ssize_t size, type_code type);
	static status_t GetData(PREFSetHandle set, const char* name, const void** outData,
		ssize_t* outSize, type_code* outType);

	static status_t BeginTransaction(PREFSetHandle set, PREFTransaction* outTransaction);
	static status_t EndTransaction(PREFTransaction transaction);

	BuiltInPreferenceStore() = delete;
};

#endif
