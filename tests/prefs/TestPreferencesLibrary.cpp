// A shared preferences library for the loader tests. Each entry point the program
// calls answers 100 plus its place in the table and touches nothing, so a test
// tells from the results alone that this library answered and that its results
// came back unchanged. Built twice, once without "PREFRemoveSet"
// (TEST_LIBPREFS_INCOMPLETE). Threading: any thread; it keeps no state.
#include <PREF.h>
#include <PreferencesLoader.h>

static status_t Answer(PrefsEntry entry) { return 100 + status_t(entry); }

extern "C" {

int32 PREFVersion() { return 1; }
status_t PREFInit(const char*, PREFAppHandle*) { return Answer(PrefsEntry::Init); }
status_t PREFShutdown(PREFAppHandle) { return Answer(PrefsEntry::Shutdown); }
status_t PREFLoadSet(PREFAppHandle, const char*, bool, PREFSetHandle*)
{
	return Answer(PrefsEntry::LoadSet);
}
status_t PREFSaveSet(PREFSetHandle) { return Answer(PrefsEntry::SaveSet); }
status_t PREFDisposeSet(PREFSetHandle*) { return Answer(PrefsEntry::DisposeSet); }
status_t PREFSetData(PREFSetHandle, const char*, const void*, ssize_t, type_code)
{
	return Answer(PrefsEntry::SetData);
}
status_t PREFGetData(PREFSetHandle, const char*, const void**, ssize_t*, type_code*)
{
	return Answer(PrefsEntry::GetData);
}
status_t PREFBeginTransaction(PREFSetHandle, PREFTransaction*)
{
	return Answer(PrefsEntry::BeginTransaction);
}
status_t PREFEndTransaction(PREFTransaction) { return Answer(PrefsEntry::EndTransaction); }

// The program never calls the rest; they exist so that the library is whole.
status_t PREFReloadSet(PREFSetHandle) { return B_UNSUPPORTED; }
status_t PREFDelete(PREFSetHandle, const char*) { return B_UNSUPPORTED; }
status_t PREFGetMessage(PREFSetHandle, void**) { return B_UNSUPPORTED; }
status_t PREFListApplications(void**, const char**) { return B_UNSUPPORTED; }
status_t PREFDisposeApplicationCookie(void*) { return B_UNSUPPORTED; }
status_t PREFListSets(PREFAppHandle, bool, void**, const char**) { return B_UNSUPPORTED; }
status_t PREFDisposeSetCookie(void*) { return B_UNSUPPORTED; }
status_t PREFListen(PREFSetHandle, void*) { return B_UNSUPPORTED; }
status_t PREFListData(PREFSetHandle, void**, const char**) { return B_UNSUPPORTED; }
status_t PREFDisposeDataCookie(void*) { return B_UNSUPPORTED; }
status_t PREFRemoveApp(const char*) { return B_UNSUPPORTED; }
#ifndef TEST_LIBPREFS_INCOMPLETE
status_t PREFRemoveSet(PREFAppHandle, const char*, bool) { return B_UNSUPPORTED; }
#endif

}  // extern "C"
