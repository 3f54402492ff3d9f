// A small shared preferences library for the loader tests. Its sets live in memory;
// a save writes "name=value" lines to $XDG_CONFIG_HOME/test-libprefs/<app>.<set>.user
// (or .common), so a test can tell from the files left behind that this library
// answered and not the built-in store. Built twice, once without "PREFRemoveSet"
// (TEST_LIBPREFS_INCOMPLETE).
// Threading: the loader's test program calls it from one thread only.
#include <PREF.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <sys/stat.h>

struct pref_app {
	std::string name;
};

struct pref_set {
	std::string file;
	std::map<std::string, std::pair<type_code, std::string>> values;
};

struct pref_transaction {};

extern "C" {

int32 PREFVersion() { return 1; }

status_t PREFInit(const char* appName, PREFAppHandle* outApp)
{
	*outApp = new pref_app{appName};
	return B_OK;
}

status_t PREFShutdown(PREFAppHandle app)
{
	delete app;
	return B_OK;
}

status_t PREFLoadSet(PREFAppHandle app, const char* setName, bool perUser, PREFSetHandle* outSet)
{
	const char* config = std::getenv("XDG_CONFIG_HOME");
	const std::string directory = std::string(config != nullptr ? config : "/tmp")
		+ "/test-libprefs";
	mkdir(directory.c_str(), 0777);
	*outSet = new pref_set{
		directory + "/" + app->name + "." + setName + (perUser ? ".user" : ".common"), {}};
	return B_OK;
}

status_t PREFSaveSet(PREFSetHandle set)
{
	std::ofstream out(set->file, std::ios::binary | std::ios::trunc);
	for (const auto& [name, value] : set->values)
		out << name << '=' << value.second << '\n';
	return out ? B_OK : B_IO_ERROR;
}

status_t PREFDisposeSet(PREFSetHandle* setp)
{
	delete *setp;
	*setp = nullptr;
	return B_OK;
}

status_t PREFSetData(PREFSetHandle set, const char* name, const void* data, ssize_t size,
	type_code type)
{
	set->values[name] = {type, std::string(static_cast<const char*>(data), size_t(size))};
	return B_OK;
}

status_t PREFGetData(PREFSetHandle set, const char* name, const void** outData,
	ssize_t* outSize, type_code* outType)
{
	const auto found = set->values.find(name);
	if (found == set->values.end())
		return PREF_NOT_FOUND;
	*outType = found->second.first;
	*outData = found->second.second.data();
	*outSize = ssize_t(found->second.second.size());
	return B_OK;
}

status_t PREFBeginTransaction(PREFSetHandle, PREFTransaction* outTransaction)
{
	*outTransaction = new pref_transaction;
	return B_OK;
}

status_t PREFEndTransaction(PREFTransaction transaction)
{
	delete transaction;
	return B_OK;
}

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
