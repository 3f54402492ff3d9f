// entry_ref: names an entry by device, directory and leaf name. The entry need not
// exist, so a ref can name a file about to be created.
// Threading: a plain value; not shared between threads without the owner's care.
#ifndef _ENTRY_REF_H
#define _ENTRY_REF_H

#include <SupportDefs.h>

#include <string>
#include <sys/types.h>

struct entry_ref {
	entry_ref();
	entry_ref(dev_t device, ino_t directory, const char* name);
	entry_ref(const entry_ref& other);
	~entry_ref();

	status_t set_name(const char* name);

	bool operator==(const entry_ref& other) const;
	bool operator!=(const entry_ref& other) const { return !(*this == other); }
	entry_ref& operator=(const entry_ref& other);

	dev_t device;
	ino_t directory;
	char* name;

	// Linux has no lookup of a directory by its inode, so a ref also carries the
	// absolute path of its directory. It travels with the ref when flattened; the
	// storage kit resolves refs through it. Empty for a ref made by hand.
	const std::string& DirectoryPath() const { return fDirectoryPath; }
	void SetDirectoryPath(const std::string& path) { fDirectoryPath = path; }

private:
	std::string fDirectoryPath;
};

#endif
