// The nine PREF calls the program makes: each runs the loader, then goes to the
// library's entry point of the same name or to the built-in store.
#include <PREF.h>

#include "BuiltInPreferenceStore.h"
#include "PreferencesLoader.h"

namespace {

typedef status_t (*InitFunc)(const char*, PREFAppHandle*);
typedef status_t (*ShutdownFunc)(PREFAppHandle);
typedef status_t (*LoadSetFunc)(PREFAppHandle, const char*, bool, PREFSetHandle*);
typedef status_t (*SaveSetFunc)(PREFSetHandle);
typedef status_t (*DisposeSetFunc)(PREFSetHandle*);
typedef status_t (*SetDataFunc)(PREFSetHandle, const char*, const void*, ssize_t, type_code);
typedef status_t (*GetDataFunc)(PREFSetHandle, const char*, const void**, ssize_t*,
	type_code*);
typedef status_t (*BeginTransactionFunc)(PREFSetHandle, PREFTransaction*);
typedef status_t (*EndTransactionFunc)(PREFTransaction);

// The library's entry point, or null when the built-in store answers.
template<typename Function>
Function Library(PrefsEntry entry)
{
	if (LoadPreferencesLibrary() != B_OK)
		return nullptr;
	return reinterpret_cast<Function>(PreferencesLibraryEntry(entry));
}

}  // namespace

extern "C" status_t PREFInit(const char* appName, PREFAppHandle* outApp)
{
	if (auto function = Library<InitFunc>(PrefsEntry::Init))
		return function(appName, outApp);
	return BuiltInPreferenceStore::Init(appName, outApp);
}

extern "C" status_t PREFShutdown(PREFAppHandle app)
{
	if (auto function = Library<ShutdownFunc>(PrefsEntry::Shutdown))
		return function(app);
	return BuiltInPreferenceStore::Shutdown(app);
}

extern "C" status_t PREFLoadSet(PREFAppHandle app, const char* setName, bool perUser,
	PREFSetHandle* outSet)
{
	if (auto function = Library<LoadSetFunc>(PrefsEntry::LoadSet))
		return function(app, setName, perUser, outSet);
	return BuiltInPreferenceStore::LoadSet(app, setName, perUser, outSet);
}

extern "C" status_t PREFSaveSet(PREFSetHandle set)
{
	if (auto function = Library<SaveSetFunc>(PrefsEntry::SaveSet))
		return function(set);
	return BuiltInPreferenceStore::SaveSet(set);
}

extern "C" status_t PREFDisposeSet(PREFSetHandle* setp)
{
	if (auto function = Library<DisposeSetFunc>(PrefsEntry::DisposeSet))
		return function(setp);
	return BuiltInPreferenceStore::DisposeSet(setp);
}

extern "C" status_t PREFSetData(PREFSetHandle set, const char* name, const void* data,
	ssize_t size, type_code type)
{
	if (auto function = Library<SetDataFunc>(PrefsEntry::SetData))
		return function(set, name, data, size, type);
	return BuiltInPreferenceStore::SetData(set, name, data, size, type);
}

extern "C" status_t PREFGetData(PREFSetHandle set, const char* name, const void** outData,
	ssize_t* outSize, type_code* outType)
{
	if (auto function = Library<GetDataFunc>(PrefsEntry::GetData))
		return function(set, name, outData, outSize, outType);
	return BuiltInPreferenceStore::GetData(set, name, outData, outSize, outType);
}

extern "C" status_t PREFBeginTransaction(PREFSetHandle set, PREFTransaction* outTransaction)
{
	if (auto function = Library<BeginTransactionFunc>(PrefsEntry::BeginTransaction))
		return function(set, outTransaction);
	return BuiltInPreferenceStore::BeginTransaction(set, outTransaction);
}

extern "C" status_t PREFEndTransaction(PREFTransaction transaction)
{
	if (auto function = Library<EndTransactionFunc>(PrefsEntry::EndTransaction))
		return function(transaction);
	return BuiltInPreferenceStore::EndTransaction(transaction);
}
