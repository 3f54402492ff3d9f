// FolderListing: what a file panel shows of one folder: its entries, folders first,
// then by name (ignoring case, ties in byte order), without dot-files, and only the
// node flavors the panel asks for (folders always, to move through them).
// Threading: a value; built and read by the panel's window thread.
#ifndef _CVAB_FOLDER_LISTING_H
#define _CVAB_FOLDER_LISTING_H

#include <EntryRef.h>
#include <SupportDefs.h>

#include <functional>
#include <string>
#include <vector>

namespace BPrivate {

struct FolderEntry {
	std::string name;
	entry_ref ref;
	bool isDirectory = false;
};

class FolderListing {
public:
	// Answers whether an entry that passed the flavor test is shown.
	using Filter = std::function<bool(const entry_ref& ref, bool isDirectory)>;

	// nodeFlavors as the panel's (B_FILE_NODE ... ); 0 means files.
	status_t Read(const char* folderPath, uint32 nodeFlavors, const Filter& filter = {});

	const std::string& Path() const { return fPath; }
	const std::vector<FolderEntry>& Entries() const { return fEntries; }
	int32 IndexOf(const char* name) const;

	static bool ComesBefore(const FolderEntry& a, const FolderEntry& b);

private:
	std::string fPath;
	std::vector<FolderEntry> fEntries;
};

}  // namespace BPrivate

#endif
