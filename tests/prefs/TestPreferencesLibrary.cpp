// A small shared preferences library for the loader tests, with its own storage:
// each set is an in-memory map, saved as a file of (name, type, bytes) records
// under $XDG_CONFIG_HOME/test-libprefs. Built twice, once without "PREFRemoveSet"
// (TEST_LIBPREFS_INCOMPLETE).
// Threading: every entry point takes the library's one mutex.
#include <PREF.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

struct Value {
	type_code type;
	std::string bytes;
};

struct pref_set {
	struct pref_app* app;
	std::string file;
	int32 refCount;
	std::map<std::string, Value> values;
};

struct pref_app {
	std::string name;
	int32 refCount;
	std::map<std::string, pref_set*> sets;
};

struct pref_transaction {
	int fd;
};

namespace {

std::mutex sMutex;
std::map<std::string, pref_app*> sApps;

std::string FileFor(const std::string& app, const std::string& set, bool perUser)
{
	const char* config = std::getenv("XDG_CONFIG_HOME");
	const std::string directory = std::string(config != nullptr ? config : "/tmp")
		+ "/test-libprefs";
	mkdir(directory.c_str(), 0777);
	std::string name = app + "." + set + (perUser ? ".user" : ".common");
	for (char& c : name) {
		if (c == '/')
			c = '%';
	}
	return directory + "/" + name;
}

void WriteString(std::ostream& out, const std::string& text)
{
	const uint32 size = uint32(text.size());
	out.write(reinterpret_cast<const char*>(&size), sizeof(size));
	out.write(text.data(), std::streamsize(size));
}

bool ReadString(std::istream& in, std::string* text)
{
	uint32 size = 0;
	if (!in.read(reinterpret_cast<char*>(&size), sizeof(size)) || size > (1u << 20))
		return false;
	text->resize(size);
	return bool(in.read(text->data(), std::streamsize(size)));
}

void ReadValues(pref_set* set)
{
	std::ifstream in(set->file, std::ios::binary);
	std::string name;
	Value value;
	while (ReadString(in, &name)
		&& in.read(reinterpret_cast<char*>(&value.type), sizeof(value.type))
		&& ReadString(in, &value.bytes))
		set->values[name] = value;
}

status_t WriteValues(const pref_set* set)
{
	std::ofstream out(set->file, std::ios::binary | std::ios::trunc);
	for (const auto& [name, value] : set->values) {
		WriteString(out, name);
		out.write(reinterpret_cast<const char*>(&value.type), sizeof(value.type));
		WriteString(out, value.bytes);
	}
	out.close();
	return out ? B_OK : B_IO_ERROR;
}

}  // namespace

extern "C" {

int32 PREFVersion()
{
	return 1;
}

status_t PREFInit(const char* appName, PREFAppHandle* outApp)
{
	std::lock_guard<std::mutex> lock(sMutex);
	pref_app*& app = sApps[appName];
	if (app == nullptr)
		app = new pref_app{appName, 0, {}};
	app->refCount++;
	*outApp = app;
	return B_OK;
}

status_t PREFShutdown(PREFAppHandle app)
{
	std::lock_guard<std::mutex> lock(sMutex);
	if (--app->refCount > 0)
		return B_OK;
	for (const auto& [file, set] : app->sets)
		delete set;
	sApps.erase(app->name);
	delete app;
	return B_OK;
}

status_t PREFLoadSet(PREFAppHandle app, const char* setName, bool perUser, PREFSetHandle* outSet)
{
	std::lock_guard<std::mutex> lock(sMutex);
	const std::string file = FileFor(app->name, setName, perUser);
	pref_set*& set = app->sets[file];
	if (set == nullptr) {
		set = new pref_set{app, file, 0, {}};
		ReadValues(set);
	}
	set->refCount++;
	*outSet = set;
	return B_OK;
}

status_t PREFSaveSet(PREFSetHandle set)
{
	std::lock_guard<std::mutex> lock(sMutex);
	return WriteValues(set);
}

status_t PREFDisposeSet(PREFSetHandle* setp)
{
	std::lock_guard<std::mutex> lock(sMutex);
	if (--(*setp)->refCount > 0)
		return B_OK;
	(*setp)->app->sets.erase((*setp)->file);
	delete *setp;
	*setp = nullptr;
	return B_OK;
}

status_t PREFSetData(PREFSetHandle set, const char* name, const void* data, ssize_t size,
	type_code type)
{
	std::lock_guard<std::mutex> lock(sMutex);
	set->values[name] = Value{type, std::string(static_cast<const char*>(data), size_t(size))};
	return B_OK;
}

status_t PREFGetData(PREFSetHandle set, const char* name, const void** outData,
	ssize_t* outSize, type_code* outType)
{
	std::lock_guard<std::mutex> lock(sMutex);
	auto found = set->values.find(name);
	if (found == set->values.end())
		return PREF_NOT_FOUND;
	*outData = found->second.bytes.data();
	*outSize = ssize_t(found->second.bytes.size());
	*outType = found->second.type;
	return B_OK;
}

status_t PREFBeginTransaction(PREFSetHandle set, PREFTransaction* outTransaction)
{
	const int fd = open(set->file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
	if (fd < 0 || flock(fd, LOCK_EX) != 0) {
		close(fd);
		return B_IO_ERROR;
	}
	*outTransaction = new pref_transaction{fd};
	return B_OK;
}

status_t PREFEndTransaction(PREFTransaction transaction)
{
	close(transaction->fd);
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
