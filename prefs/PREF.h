// The preferences interface: named sets of typed settings per application.
// Every call goes to the shared preferences library when one loads, otherwise to
// the program's built-in store; either way the results are passed back unchanged.
// Threading: any thread once the first call (which picks library or store) is done.
#ifndef _PREF_H
#define _PREF_H

#include <SupportDefs.h>

// Opaque handles; each answerer gives them its own meaning.
typedef struct pref_app* PREFAppHandle;
typedef struct pref_set* PREFSetHandle;
typedef struct pref_transaction* PREFTransaction;

// The interface's own status codes, beside the platform's.
#define PREF_NOT_FOUND ((status_t)0xA0B00000)      // no such application, or no such data
#define PREF_PATH_TOO_LONG ((status_t)0xA0B00001)  // a set's path does not fit 1,024 bytes
#define PREF_NO_LOCK ((status_t)0xA0B00002)        // no PREFInit in force

#ifdef __cplusplus
extern "C" {
#endif

status_t PREFInit(const char* appName, PREFAppHandle* outApp);
status_t PREFShutdown(PREFAppHandle app);

status_t PREFLoadSet(PREFAppHandle app, const char* setName, bool perUser,
	PREFSetHandle* outSet);
status_t PREFSaveSet(PREFSetHandle set);
// Clears *setp when the set's last reference goes.
status_t PREFDisposeSet(PREFSetHandle* setp);

status_t PREFSetData(PREFSetHandle set, const char* name, const void* data, ssize_t size,
	type_code type);
// *outData stays valid until the value is replaced or the set is disposed of.
status_t PREFGetData(PREFSetHandle set, const char* name, const void** outData,
	ssize_t* outSize, type_code* outType);

status_t PREFBeginTransaction(PREFSetHandle set, PREFTransaction* outTransaction);
status_t PREFEndTransaction(PREFTransaction transaction);

#ifdef __cplusplus
}
#endif

#endif
