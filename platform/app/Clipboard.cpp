#include <Clipboard.h>

#include "AppKitHooks.h"

#include <atomic>
#include <map>
#include <mutex>

BClipboard* be_clipboard = nullptr;

namespace {

// The process's own clipboards, used when no desktop backend is installed.
struct LocalStore {
	std::mutex mutex;
	struct Entry {
		BMessage data;
		uint32 count = 0;
	};
	std::map<std::string, Entry> entries;
};

LocalStore& Store()
{
	static LocalStore* store = new LocalStore;
	return *store;
}

std::atomic<BPrivate::ClipboardBackend*> sBackend{nullptr};

// A counter of commits per clipboard, kept for the desktop backend too: its change
// count is folded in so that outside changes raise SystemCount as well.
uint32 SystemCountOf(const std::string& name)
{
	LocalStore& store = Store();
	std::lock_guard<std::mutex> lock(store.mutex);
	uint32 count = store.entries[name].count;
	if (BPrivate::ClipboardBackend* backend = sBackend.load())
		count += backend->ChangeCount(name.c_str());
	return count;
}

}  // namespace

namespace BPrivate {

void set_clipboard_backend(ClipboardBackend* backend)
{
	sBackend.store(backend);
}

}  // namespace BPrivate

BClipboard::BClipboard(const char* name, bool)
	: fName(name != nullptr ? name : "system"),
	  fData(std::make_unique<BMessage>())
{
}

BClipboard::~BClipboard() = default;

const char* BClipboard::Name() const
{
	return fName.c_str();
}

uint32 BClipboard::LocalCount() const
{
	return fLocalCount;
}

uint32 BClipboard::SystemCount() const
{
	return SystemCountOf(fName);
}

bool BClipboard::Lock()
{
	if (!fLock.Lock())
		return false;
	// Only the outermost lock refreshes, so a nested Lock keeps uncommitted changes.
	if (fLock.CountLocks() == 1)
		_Download();
	return true;
}

void BClipboard::Unlock()
{
	fLock.Unlock();
}

bool BClipboard::IsLocked() const
{
	return fLock.IsLocked();
}

status_t BClipboard::Clear()
{
	if (!IsLocked())
		return B_NOT_ALLOWED;
	fData->MakeEmpty();
	fData->what = 0;
	return B_OK;
}

status_t BClipboard::Commit()
{
	return Commit(false);
}

status_t BClipboard::Commit(bool failIfChanged)
{
	if (!IsLocked())
		return B_NOT_ALLOWED;
	if (failIfChanged && SystemCount() != fLocalCount)
		return B_ERROR;
	status_t status = B_OK;
	{
		LocalStore& store = Store();
		std::lock_guard<std::mutex> lock(store.mutex);
		LocalStore::Entry& entry = store.entries[fName];
		entry.data = *fData;
		entry.count++;
	}
	if (BPrivate::ClipboardBackend* backend = sBackend.load())
		status = backend->Store(fName.c_str(), *fData);
	fLocalCount = SystemCount();
	return status;
}

status_t BClipboard::Revert()
{
	if (!IsLocked())
		return B_NOT_ALLOWED;
	_Download();
	return B_OK;
}

BMessage* BClipboard::Data() const
{
	return IsLocked() ? fData.get() : nullptr;
}

void BClipboard::_Download()
{
	if (BPrivate::ClipboardBackend* backend = sBackend.load()) {
		BMessage data;
		if (backend->Load(fName.c_str(), &data) == B_OK)
			*fData = data;
	} else {
		LocalStore& store = Store();
		std::lock_guard<std::mutex> lock(store.mutex);
		*fData = store.entries[fName].data;
	}
	fLocalCount = SystemCount();
}
