// BPath: an absolute path name. Normalising resolves ".", "..", doubled slashes and
// the links of the directories, and needs the directory to exist; a path that needs
// none of that is taken as it is unless normalising is asked for.
// Threading: one thread at a time per object; distinct objects are independent.
#ifndef _PATH_H
#define _PATH_H

#include <EntryRef.h>
#include <StorageDefs.h>

#include <string>

class BDirectory;
class BEntry;

class BPath {
public:
	BPath();
	BPath(const char* path, const char* leaf = nullptr, bool normalize = false);
	BPath(const BDirectory* directory, const char* leaf, bool normalize = false);
	BPath(const entry_ref* ref);
	BPath(const BEntry* entry);
	BPath(const BPath& other);
	~BPath();

	BPath& operator=(const BPath& other);
	BPath& operator=(const char* path);
	bool operator==(const BPath& other) const;
	bool operator==(const char* path) const;
	bool operator!=(const BPath& other) const { return !(*this == other); }
	bool operator!=(const char* path) const { return !(*this == path); }

	status_t SetTo(const char* path, const char* leaf = nullptr, bool normalize = false);
	status_t SetTo(const BDirectory* directory, const char* leaf = nullptr,
		bool normalize = false);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	void Unset();
	status_t InitCheck() const;

	// A leaf or relative path appended after a slash; an absolute one is refused.
	status_t Append(const char* path, bool normalize = false);

	// nullptr while the path is not initialised.
	const char* Path() const;
	const char* Leaf() const;
	status_t GetParent(BPath* parent) const;

private:
	std::string fPath;
	status_t fStatus;
};

#endif
