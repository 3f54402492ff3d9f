// Sections: records and process-wide state; record helpers; applications; sets;
// data; transactions.
#include "BuiltInPreferenceStore.h"

#include "PreferenceSetFile.h"
#include "PreferenceSetPath.h"

#include <Message.h>
#include <OS.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/file.h>
#include <unistd.h>

// The records behind the handles. Lists are singly linked, newest first.
struct pref_app {
	pref_app* next = nullptr;
	int32 refCount = 1;  // PREFInit calls not yet matched by PREFShutdown
	std::unique_ptr<char[]> name;
	pref_set* sets = nullptr;
};

struct pref_set {
	pref_set* next = nullptr;
	int32 refCount = 1;  // PREFLoadSet calls not yet matched by PREFDisposeSet
	pref_app* app = nullptr;
	std::unique_ptr<char[]> path;  // the set's identity
	std::unique_ptr<BMessage> data;
	pref_transaction* transaction = nullptr;
};

struct pref_transaction {
	int fd;  // holds the exclusive lock on the set's file
	int32 count;
	pref_set* set;
};

namespace {

const char* const kPrefsSemName = "prefs sem";
const char* const kTransactionSemName = "prefs trans sem";
const mode_t kSetFileMode = 0666;
const bigtime_t kBackOffBase = 10000;

// Present from the first PREFInit to the PREFShutdown that empties the list.
pref_app* sApps = nullptr;
sem_id sPrefsSem = -1;
sem_id sTransactionSem = -1;

// Record helpers -----------------------------------------------------------------

std::unique_ptr<char[]> CopyString(const char* text)
{
	const size_t size = std::strlen(text) + 1;
	std::unique_ptr<char[]> copy(new (std::nothrow) char[size]);
	if (copy)
		std::memcpy(copy.get(), text, size);
	return copy;
}

pref_app** FindAppLink(const pref_app* app)
{
	for (pref_app** link = &sApps; *link != nullptr; link = &(*link)->next) {
		if (*link == app)
			return link;
	}
	return nullptr;
}

pref_app* FindAppNamed(const char* name)
{
	for (pref_app* app = sApps; app != nullptr; app = app->next) {
		if (std::strcmp(app->name.get(), name) == 0)
			return app;
	}
	return nullptr;
}

pref_set* FindSetWithPath(const pref_app* app, const char* path)
{
	for (pref_set* set = app->sets; set != nullptr; set = set->next) {
		if (std::strcmp(set->path.get(), path) == 0)
			return set;
	}
	return nullptr;
}

void UnlinkSet(pref_set* set)
{
	for (pref_set** link = &set->app->sets; *link != nullptr; link = &(*link)->next) {
		if (*link == set) {
			*link = set->next;
			return;
		}
	}
}

// Frees a set and closes its file, which drops the lock. Needs "prefs sem".
void DestroySet(pref_set* set)
{
	UnlinkSet(set);
	const bool transactionsLocked = acquire_sem(sTransactionSem) == B_OK;
	if (set->transaction != nullptr) {
		close(set->transaction->fd);
		delete set->transaction;
	}
	if (transactionsLocked)
		release_sem(sTransactionSem);
	delete set;
}

void DeleteSemaphores()
{
	delete_sem(sTransactionSem);
	delete_sem(sPrefsSem);
	sTransactionSem = -1;
	sPrefsSem = -1;
}

// Opens the set's file, creating it, and tries once to take its exclusive lock.
// B_BUSY when another holder has it.
status_t TryLockedFile(const char* path, int* outFd)
{
	int fd;
	do
		fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, kSetFileMode);
	while (fd < 0 && errno == EINTR);
	if (fd < 0)
		return status_from_errno(errno);
	if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
		close(fd);
		return B_BUSY;
	}
	*outFd = fd;
	return B_OK;
}

// Between 10 and about 75.5 ms, different for each thread and each try.
void BackOff()
{
	snooze(kBackOffBase + (find_thread(nullptr) & 0x7FFF) + (std::rand() & 0x7FFF));
}

}  // namespace

// Applications ---------------------------------------------------------------------

status_t BuiltInPreferenceStore::Init(const char* appName, PREFAppHandle* outApp)
{
	if (outApp == nullptr)
		return B_BAD_VALUE;
	*outApp = nullptr;
	if (appName == nullptr || std::strchr(appName, '/') != nullptr)
		return B_BAD_VALUE;

	if (sPrefsSem < 0) {
		// Created held: the caller owns "prefs sem" from the start.
		const sem_id prefsSem = create_sem(0, kPrefsSemName);
		if (prefsSem < 0)
			return prefsSem;
		const sem_id transactionSem = create_sem(1, kTransactionSemName);
		if (transactionSem < 0) {
			delete_sem(prefsSem);
			return transactionSem;
		}
		sPrefsSem = prefsSem;
		sTransactionSem = transactionSem;
	} else {
		const status_t status = acquire_sem(sPrefsSem);
		if (status != B_OK)
			return status;
	}

	status_t result = B_OK;
	pref_app* app = FindAppNamed(appName);
	if (app != nullptr) {
		app->refCount++;
	} else {
		app = new (std::nothrow) pref_app;
		if (app != nullptr)
			app->name = CopyString(appName);
		if (app == nullptr || !app->name) {
			delete app;
			app = nullptr;
			result = B_NO_MEMORY;
		} else {
			app->next = sApps;
			sApps = app;
		}
	}
	release_sem(sPrefsSem);
	*outApp = app;
	return result;
}

status_t BuiltInPreferenceStore::Shutdown(PREFAppHandle app)
{
	if (acquire_sem(sPrefsSem) != B_OK)
		return PREF_NO_LOCK;

	status_t result = PREF_NOT_FOUND;
	if (pref_app** link = FindAppLink(app)) {
		result = B_OK;
		if (--app->refCount < 1) {
			while (app->sets != nullptr)
				DestroySet(app->sets);
			*link = app->next;
			delete app;
		}
	}
	// With the last application gone the store ends; a new PREFInit starts it again.
	if (sApps == nullptr)
		DeleteSemaphores();
	else
		release_sem(sPrefsSem);
	return result;
}

// Sets -----------------------------------------------------------------------------

status_t BuiltInPreferenceStore::LoadSet(PREFAppHandle app, const char* setName, bool perUser,
	PREFSetHandle* outSet)
{
	if (outSet == nullptr)
		return B_BAD_VALUE;
	*outSet = nullptr;
	if (setName == nullptr)
		return B_BAD_VALUE;

	// The lock comes before the path, which needs the application's name: a handle
	// that was shut down must not be read.
	if (acquire_sem(sPrefsSem) != B_OK)
		return PREF_NO_LOCK;
	if (FindAppLink(app) == nullptr) {
		release_sem(sPrefsSem);
		return PREF_NOT_FOUND;
	}
	char path[kPreferenceSetPathSize];
	status_t status = BuildPreferenceSetPath(app->name.get(), setName, perUser, path);
	if (status != B_OK) {
		release_sem(sPrefsSem);
		return status;
	}

	if (pref_set* loaded = FindSetWithPath(app, path)) {
		loaded->refCount++;
		*outSet = loaded;
		release_sem(sPrefsSem);
		return B_OK;
	}

	std::unique_ptr<pref_set> set(new (std::nothrow) pref_set);
	if (set) {
		set->app = app;
		set->path = CopyString(path);
		set->data.reset(new (std::nothrow) BMessage);
	}
	if (!set || !set->path || !set->data) {
		release_sem(sPrefsSem);
		return B_NO_MEMORY;
	}

	PREFTransaction transaction = nullptr;
	status = BeginTransaction(set.get(), &transaction);
	if (status == B_OK) {
		status = ReadPreferenceSetFile(transaction->fd, set->data.get());
		EndTransaction(transaction);
	}
	if (status == B_OK) {
		set->next = app->sets;
		app->sets = set.get();
		*outSet = set.release();
	}
	release_sem(sPrefsSem);
	return status;
}

status_t BuiltInPreferenceStore::SaveSet(PREFSetHandle set)
{
	if (set == nullptr)
		return B_BAD_VALUE;
	if (acquire_sem(sPrefsSem) != B_OK)
		return PREF_NO_LOCK;
	PREFTransaction transaction = nullptr;
	status_t status = BeginTransaction(set, &transaction);
	if (status == B_OK) {
		status = WritePreferenceSetFile(transaction->fd, *set->data);
		EndTransaction(transaction);
	}
	release_sem(sPrefsSem);
	return status;
}

status_t BuiltInPreferenceStore::DisposeSet(PREFSetHandle* setp)
{
	if (setp == nullptr || *setp == nullptr)
		return B_BAD_VALUE;
	pref_set* set = *setp;
	// Taking the file first makes disposing wait while another process holds it.
	PREFTransaction transaction = nullptr;
	const status_t status = BeginTransaction(set, &transaction);
	if (status != B_OK)
		return status;
	if (acquire_sem(sPrefsSem) != B_OK) {
		EndTransaction(transaction);
		return PREF_NO_LOCK;
	}
	if (set->refCount-- < 2) {
		DestroySet(set);
		*setp = nullptr;
	} else {
		EndTransaction(transaction);
	}
	release_sem(sPrefsSem);
	return B_OK;
}

// Data -----------------------------------------------------------------------------

status_t BuiltInPreferenceStore::SetData(PREFSetHandle set, const char* name, const void* data,
	ssize_t size, type_code type)
{
	if (set == nullptr || name == nullptr)
		return B_BAD_VALUE;
	if (acquire_sem(sPrefsSem) != B_OK)
		return PREF_NO_LOCK;
	while (set->data->RemoveName(name) == B_OK) {
	}
	const status_t status = set->data->AddData(name, type, data, size, true, 1);
	release_sem(sPrefsSem);
	return status;
}

status_t BuiltInPreferenceStore::GetData(PREFSetHandle set, const char* name,
	const void** outData, ssize_t* outSize, type_code* outType)
{
	if (set == nullptr || name == nullptr || outData == nullptr || outSize == nullptr
		|| outType == nullptr)
		return B_BAD_VALUE;
	if (acquire_sem(sPrefsSem) != B_OK)
		return PREF_NO_LOCK;
	status_t status = PREF_NOT_FOUND;
	type_code type;
	if (set->data->GetInfo(name, &type) == B_OK) {
		*outType = type;
		if (set->data->FindData(name, type, 0, outData, outSize) == B_OK)
			status = B_OK;
	}
	release_sem(sPrefsSem);
	return status;
}

// Transactions ---------------------------------------------------------------------

status_t BuiltInPreferenceStore::BeginTransaction(PREFSetHandle set,
	PREFTransaction* outTransaction)
{
	if (outTransaction == nullptr || set == nullptr)
		return B_BAD_VALUE;
	int fd = -1;
	for (;;) {
		if (acquire_sem(sTransactionSem) != B_OK)
			return PREF_NO_LOCK;
		// Another thread of ours may hold the file, in a transaction we join: one
		// that disposes of the set takes the file before "prefs sem", and would
		// otherwise wait forever for a saving thread that waits for the file.
		if (set->transaction != nullptr) {
			set->transaction->count++;
			*outTransaction = set->transaction;
			release_sem(sTransactionSem);
			return B_OK;
		}
		// Never wait for the file while holding the semaphore.
		release_sem(sTransactionSem);
		const status_t status = TryLockedFile(set->path.get(), &fd);
		if (status == B_OK)
			break;
		if (status != B_BUSY)
			return status;
		BackOff();
	}

	if (acquire_sem(sTransactionSem) != B_OK) {
		close(fd);
		return PREF_NO_LOCK;
	}
	pref_transaction* transaction = new (std::nothrow) pref_transaction{fd, 1, set};
	if (transaction == nullptr) {
		close(fd);
		release_sem(sTransactionSem);
		return B_NO_MEMORY;
	}
	set->transaction = transaction;
	*outTransaction = transaction;
	release_sem(sTransactionSem);
	return B_OK;
}

status_t BuiltInPreferenceStore::EndTransaction(PREFTransaction transaction)
{
	if (transaction == nullptr)
		return B_BAD_VALUE;
	if (acquire_sem(sTransactionSem) != B_OK)
		return PREF_NO_LOCK;
	if (--transaction->count == 0) {
		close(transaction->fd);
		transaction->set->transaction = nullptr;
		delete transaction;
	}
	release_sem(sTransactionSem);
	return B_OK;
}
