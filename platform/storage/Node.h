// BNode: a file, directory or link in the file system, and its attributes.
// Attributes are Linux "user." extended attributes named after the attribute
// ("user.BEOS:TYPE"); each value is the 4-byte type code, little-endian, followed by
// the attribute's bytes, so getfattr -d shows them. A node set to a symbolic link
// names the link itself (Linux refuses user attributes on links: those calls fail).
// Threading: one thread at a time per object; distinct objects are independent.
#ifndef _NODE_H
#define _NODE_H

#include <EntryRef.h>
#include <Statable.h>
#include <StorageDefs.h>
#include <fs_attr.h>

#include <string>
#include <vector>

class BDirectory;
class BEntry;

class BNode : public BStatable {
public:
	BNode();
	BNode(const char* path);
	BNode(const entry_ref* ref);
	BNode(const BEntry* entry);
	BNode(const BDirectory* directory, const char* path);
	BNode(const BNode& other);
	~BNode() override;

	BNode& operator=(const BNode& other);
	bool operator==(const BNode& other) const;
	bool operator!=(const BNode& other) const { return !(*this == other); }

	// The node must exist.
	status_t SetTo(const char* path);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const BDirectory* directory, const char* path);
	void Unset();
	status_t InitCheck() const;

	status_t GetStat(struct stat* st) const override;
	status_t Sync();
	// A new descriptor of the node, owned by the caller; negative on failure.
	int Dup();

	// Exclusive lock between processes (flock); B_BUSY while someone else holds it.
	status_t Lock();
	status_t Unlock();

	// ReadAttr reads up to size bytes from offset (the type is not checked); it
	// returns the number of bytes read. WriteAttr at offset 0 replaces the value,
	// at a larger offset it writes into the existing value, growing it.
	ssize_t ReadAttr(const char* name, type_code type, off_t offset, void* buffer,
		size_t size);
	ssize_t WriteAttr(const char* name, type_code type, off_t offset, const void* buffer,
		size_t size);
	status_t RemoveAttr(const char* name);
	status_t GetAttrInfo(const char* name, attr_info* info) const;
	// Names are copied into a buffer of B_ATTR_NAME_LENGTH bytes; B_ENTRY_NOT_FOUND
	// after the last.
	status_t GetNextAttrName(char* buffer);
	status_t RewindAttrs();

protected:
	// For BFile: take over an open descriptor of the node at path.
	void _SetOpened(const std::string& path, int fd);
	int _Descriptor() const { return fFd; }
	status_t _Fail(status_t status);

private:
	friend class BDirectory;
	friend class BEntry;

	status_t _SetToPath(const char* path);
	status_t _ReadValue(const char* name, std::vector<char>* value) const;
	status_t _WriteValue(const char* name, const std::vector<char>& value);

	std::string fPath;
	int fFd;
	int fLockFd;
	status_t fStatus;
	std::vector<std::string> fAttrNames;
	size_t fAttrCookie;
	bool fAttrsListed;
};

#endif
