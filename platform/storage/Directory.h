// BDirectory: a directory node, its entries (without "." and "..") and the creation
// of files and directories in it; create_directory.
// Threading: one thread at a time per object; distinct objects are independent.
#ifndef _DIRECTORY_H
#define _DIRECTORY_H

#include <Node.h>

#include <dirent.h>

class BEntry;
class BFile;

// Creates the directory and any missing directories above it; B_OK if it exists.
status_t create_directory(const char* path, mode_t mode);

class BDirectory : public BNode {
public:
	BDirectory();
	BDirectory(const char* path);
	BDirectory(const entry_ref* ref);
	BDirectory(const BEntry* entry);
	BDirectory(const BDirectory* directory, const char* path);
	BDirectory(const BDirectory& other);
	~BDirectory() override;

	BDirectory& operator=(const BDirectory& other);

	// The node must exist and be a directory (B_NOT_A_DIRECTORY otherwise).
	status_t SetTo(const char* path);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const BDirectory* directory, const char* path);
	void Unset();

	status_t GetEntry(BEntry* entry) const;
	bool IsRootDirectory() const;

	// Relative paths count from this directory.
	status_t FindEntry(const char* path, BEntry* entry, bool traverse = false) const;
	// Whether the path (relative, or absolute inside this directory's tree) names an
	// existing node of one of the flavors.
	bool Contains(const char* path, int32 nodeFlags = B_ANY_NODE) const;
	bool Contains(const BEntry* entry, int32 nodeFlags = B_ANY_NODE) const;

	status_t GetNextEntry(BEntry* entry, bool traverse = false);
	status_t GetNextRef(entry_ref* ref);
	status_t Rewind();
	int32 CountEntries() const;

	status_t CreateFile(const char* path, BFile* file, bool failIfExists = false);
	status_t CreateDirectory(const char* path, BDirectory* directory);

private:
	status_t _CheckDirectory();
	status_t _NextName(std::string* name);
	std::string _Child(const char* path) const;

	DIR* fIterator;
};

#endif
