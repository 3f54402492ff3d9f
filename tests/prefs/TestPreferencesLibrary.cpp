// A small shared preferences library for the loader tests, with its own storage:
// each set is an in-memory map, saved as a text file of hex-encoded lines
// ("name type bytes") under $XDG_CONFIG_HOME/test-libprefs. Built twice, once
// without "PREFRemoveSet" (TEST_LIBPREFS_INCOMPLETE).
// Threading: every entry point takes the library's one mutex.
#include <PREF.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
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
	struct pref_transaction* transaction;
};

struct pref_app {
	std::string name;
	int32 refCount;
	std::map<std::string, pref_set*> sets;
};

struct pref_transaction {
	pref_set* set;
	int fd;
	int32 count;
};

namespace {

std::mutex sMutex;
std::map<std::string, pref_app*> sApps;

std::string Hex(const std::string& bytes)
{
	static const char kDigits[] = "0123456789abcdef";
	std::string hex;
	for (unsigned char c : bytes) {
		hex += kDigits[c >> 4];
		hex += kDigits[c & 0xF];
	}
	return hex.empty() ? "-" : hex;
}

std::string Unhex(const std::string& hex)
{
	std::string bytes;
	if (hex == "-")
		return bytes;
	for (size_t i = 0; i + 1 < hex.size(); i += 2)
		bytes += char(std::stoi(hex.substr(i, 2), nullptr, 16));
	return bytes;
}

std::string StorageDirectory()
{
	const char* config = std::getenv("XDG_CONFIG_HOME");
	std::string directory = std::string(config != nullptr ? config : "/tmp") + "/test-libprefs";
	mkdir(directory.c_str(), 0777);
	return directory;
}

std::string FileFor(const std::string& app, const std::string& set, bool perUser)
{
	std::string name = app + "." + set + (perUser ? ".user" : ".common");
	for (char& c : name) {
		if (c == '/')
			c = '%';
	}
	return StorageDirectory() + "/" + name;
}

void ReadValues(pref_set* set)
{
	set->values.clear();
	std::ifstream in(set->file);
	std::string line;
	while (std::getline(in, line)) {
		std::istringstream fields(line);
		std::string name, bytes;
		unsigned long type = 0;
		if (fields >> name >> std::hex >> type >> bytes)
			set->values[Unhex(name)] = Value{type_code(type), Unhex(bytes)};
	}
}

status_t WriteValues(const pref_set* set)
{
	std::ofstream out(set->file, std::ios::trunc);
	for (const auto& [name, value] : set->values)
		out << Hex(name) << ' ' << std::hex << value.type << ' ' << Hex(value.bytes) << '\n';
	out.close();
	return out ? B_OK : B_IO_ERROR;
}

bool IsLive(pref_app* app)
{
	for (const auto& [name, live] : sApps) {
		if (live == app)
			return true;
	}
	return false;
}

void DestroySet(pref_set* set)
{
	set->app->sets.erase(set->file);
	if (set->transaction != nullptr) {
		close(set->transaction->fd);
		delete set->transaction;
	}
	delete set;
}

}  // namespace

extern "C" {

int32 PREFVersion()
{
	return 1;
}

status_t PREFInit(const char* appName, PREFAppHandle* outApp)
{
	if (appName == nullptr || outApp == nullptr)
		return B_BAD_VALUE;
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
	if (!IsLive(app))
		return PREF_NOT_FOUND;
	if (--app->refCount > 0)
		return B_OK;
	while (!app->sets.empty())
		DestroySet(app->sets.begin()->second);
	sApps.erase(app->name);
	delete app;
	return B_OK;
}

status_t PREFLoadSet(PREFAppHandle app, const char* setName, bool perUser, PREFSetHandle* outSet)
{
	if (setName == nullptr || outSet == nullptr)
		return B_BAD_VALUE;
	*outSet = nullptr;
	std::lock_guard<std::mutex> lock(sMutex);
	if (!IsLive(app))
		return PREF_NOT_FOUND;
	const std::string file = FileFor(app->name, setName, perUser);
	pref_set*& set = app->sets[file];
	if (set == nullptr) {
		set = new pref_set{app, file, 0, {}, nullptr};
		ReadValues(set);
	}
	set->refCount++;
	*outSet = set;
	return B_OK;
}

status_t PREFSaveSet(PREFSetHandle set)
{
	if (set == nullptr)
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(sMutex);
	return WriteValues(set);
}

status_t PREFReloadSet(PREFSetHandle set)
{
	if (set == nullptr)
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(sMutex);
	ReadValues(set);
	return B_OK;
}

status_t PREFDisposeSet(PREFSetHandle* setp)
{
	if (setp == nullptr || *setp == nullptr)
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(sMutex);
	if (--(*setp)->refCount > 0)
		return B_OK;
	DestroySet(*setp);
	*setp = nullptr;
	return B_OK;
}

status_t PREFSetData(PREFSetHandle set, const char* name, const void* data, ssize_t size,
	type_code type)
{
	if (set == nullptr || name == nullptr || size < 0 || (data == nullptr && size > 0))
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(sMutex);
	set->values[name] = Value{type, std::string(static_cast<const char*>(data), size_t(size))};
	return B_OK;
}

status_t PREFDelete(PREFSetHandle set, const char* name)
{
	if (set == nullptr || name == nullptr)
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(sMutex);
	return set->values.erase(name) > 0 ? B_OK : PREF_NOT_FOUND;
}

status_t PREFGetData(PREFSetHandle set, const char* name, const void** outData,
	ssize_t* outSize, type_code* outType)
{
	if (set == nullptr || name == nullptr || outData == nullptr || outSize == nullptr
		|| outType == nullptr)
		return B_BAD_VALUE;
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
	if (set == nullptr || outTransaction == nullptr)
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(sMutex);
	if (set->transaction == nullptr) {
		const int fd = open(set->file.c_str(), O_RDWR | O_CREAT, 0666);
		if (fd < 0)
			return B_IO_ERROR;
		if (flock(fd, LOCK_EX) != 0) {
			close(fd);
			return B_IO_ERROR;
		}
		set->transaction = new pref_transaction{set, fd, 0};
	}
	set->transaction->count++;
	*outTransaction = set->transaction;
	return B_OK;
}

status_t PREFEndTransaction(PREFTransaction transaction)
{
	if (transaction == nullptr)
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(sMutex);
	if (--transaction->count > 0)
		return B_OK;
	close(transaction->fd);
	transaction->set->transaction = nullptr;
	delete transaction;
	return B_OK;
}

// The rest are never called by the program; they exist so that the library is whole.
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
