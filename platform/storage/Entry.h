// BEntry: a location in the file system (a directory and a leaf name), whether or
// not anything exists there yet; get_ref_for_path.
// Threading: one thread at a time per object; distinct objects are independent.
#ifndef _ENTRY_H
#define _ENTRY_H

#include <EntryRef.h>
#include <Statable.h>
#include <StorageDefs.h>

#include <string>

class BDirectory;
class BPath;

// A ref for a path; the leaf need not exist, its directory must. Links at the leaf
// are not followed.
status_t get_ref_for_path(const char* path, entry_ref* ref);

class BEntry : public BStatable {
public:
	BEntry();
	BEntry(const char* path, bool traverse = false);
	BEntry(const entry_ref* ref, bool traverse = false);
	BEntry(const BDirectory* directory, const char* path, bool traverse = false);
	BEntry(const BEntry& other);
	~BEntry() override;

	BEntry& operator=(const BEntry& other);
	bool operator==(const BEntry& other) const;
	bool operator!=(const BEntry& other) const { return !(*this == other); }

	// With traverse, a symbolic link at the leaf is resolved and the entry names
	// its target.
	status_t SetTo(const char* path, bool traverse = false);
	status_t SetTo(const entry_ref* ref, bool traverse = false);
	status_t SetTo(const BDirectory* directory, const char* path, bool traverse = false);
	void Unset();
	status_t InitCheck() const;

	bool Exists() const;
	status_t GetStat(struct stat* st) const override;

	status_t GetRef(entry_ref* ref) const;
	status_t GetPath(BPath* path) const;
	status_t GetName(char* buffer) const;
	status_t GetParent(BEntry* parent) const;
	status_t GetParent(BDirectory* parent) const;

	// path is a new leaf in the same directory, or a path of its own (relative
	// paths count from the entry's directory). Without clobber an existing
	// destination gives B_FILE_EXISTS.
	status_t Rename(const char* path, bool clobber = false);
	status_t MoveTo(BDirectory* directory, const char* path = nullptr, bool clobber = false);
	status_t Remove();

private:
	friend class BNode;

	status_t _MoveTo(const std::string& destination, bool clobber);

	std::string fDirectory;
	std::string fLeaf;
	status_t fStatus;
};

#endif
