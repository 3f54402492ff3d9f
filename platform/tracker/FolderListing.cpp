#include "FolderListing.h"

#include <Directory.h>
#include <Entry.h>
#include <StorageDefs.h>

#include <algorithm>
#include <strings.h>

namespace BPrivate {

status_t FolderListing::Read(const char* folderPath, uint32 nodeFlavors, const Filter& filter)
{
	BDirectory folder(folderPath);
	const status_t status = folder.InitCheck();
	if (status != B_OK)
		return status;
	if (nodeFlavors == 0)
		nodeFlavors = B_FILE_NODE;

	fPath = folderPath;
	fEntries.clear();
	BEntry entry;
	while (folder.GetNextEntry(&entry, false) == B_OK) {
		char name[B_FILE_NAME_LENGTH];
		if (entry.GetName(name) != B_OK || name[0] == '.')
			continue;
		FolderEntry item;
		item.name = name;
		// A link to a folder is moved through like a folder.
		BEntry target(&folder, name, true);
		item.isDirectory = target.IsDirectory();
		const bool wanted = item.isDirectory
			|| (entry.IsSymLink() ? (nodeFlavors & (B_SYMLINK_NODE | B_FILE_NODE)) != 0
				: (nodeFlavors & B_FILE_NODE) != 0);
		if (!wanted || entry.GetRef(&item.ref) != B_OK)
			continue;
		if (filter && !filter(item.ref, item.isDirectory))
			continue;
		fEntries.push_back(std::move(item));
	}
	std::sort(fEntries.begin(), fEntries.end(), ComesBefore);
	return B_OK;
}

int32 FolderListing::IndexOf(const char* name) const
{
	for (size_t i = 0; i < fEntries.size(); i++) {
		if (fEntries[i].name == name)
			return (int32)i;
	}
	return -1;
}

bool FolderListing::ComesBefore(const FolderEntry& a, const FolderEntry& b)
{
	if (a.isDirectory != b.isDirectory)
		return a.isDirectory;
	const int order = strcasecmp(a.name.c_str(), b.name.c_str());
	if (order != 0)
		return order < 0;
	return a.name < b.name;
}

}  // namespace BPrivate
