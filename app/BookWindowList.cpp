#include "BookWindowList.h"

#include "CVABWindow.h"

#include <algorithm>

BookWindowList::Entry* BookWindowList::_Find(CVABWindow* window)
{
	for (Entry& entry : fEntries) {
		if (entry.window == window)
			return &entry;
	}
	return nullptr;
}

void BookWindowList::Add(CVABWindow* window)
{
	const BMessenger messenger(window);
	std::lock_guard<std::mutex> lock(fLock);
	if (_Find(window) == nullptr)
		fEntries.push_back(Entry{window, messenger, std::string()});
}

bool BookWindowList::Remove(CVABWindow* window)
{
	std::lock_guard<std::mutex> lock(fLock);
	const auto found = std::find_if(fEntries.begin(), fEntries.end(),
		[window](const Entry& entry) { return entry.window == window; });
	if (found == fEntries.end())
		return false;
	fEntries.erase(found);
	return fEntries.empty();
}

void BookWindowList::SetActive(CVABWindow* window)
{
	std::lock_guard<std::mutex> lock(fLock);
	const auto found = std::find_if(fEntries.begin(), fEntries.end(),
		[window](const Entry& entry) { return entry.window == window; });
	if (found == fEntries.end())
		return;
	std::rotate(found, found + 1, fEntries.end());
}

void BookWindowList::SetPath(CVABWindow* window, const std::string& path)
{
	std::lock_guard<std::mutex> lock(fLock);
	if (Entry* entry = _Find(window))
		entry->path = path;
}

std::vector<BMessenger> BookWindowList::Messengers() const
{
	std::lock_guard<std::mutex> lock(fLock);
	std::vector<BMessenger> messengers;
	for (const Entry& entry : fEntries)
		messengers.push_back(entry.messenger);
	return messengers;
}

BMessenger BookWindowList::FindByPath(const std::string& path) const
{
	std::lock_guard<std::mutex> lock(fLock);
	for (const Entry& entry : fEntries) {
		if (!path.empty() && entry.path == path)
			return entry.messenger;
	}
	return BMessenger();
}

BMessenger BookWindowList::MostRecent() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fEntries.empty() ? BMessenger() : fEntries.back().messenger;
}
