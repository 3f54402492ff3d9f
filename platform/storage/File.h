// BFile: an open regular file, read and written through its descriptor; as a BNode
// its attribute calls go through the same descriptor. Links are followed.
// Threading: one thread at a time per object; distinct objects are independent.
#ifndef _FILE_H
#define _FILE_H

#include <Node.h>

#include <cstdio>

class BDirectory;
class BEntry;

class BFile : public BNode {
public:
	BFile();
	BFile(const char* path, uint32 openMode);
	BFile(const entry_ref* ref, uint32 openMode);
	BFile(const BEntry* entry, uint32 openMode);
	BFile(const BDirectory* directory, const char* path, uint32 openMode);
	BFile(const BFile& other);
	~BFile() override;

	BFile& operator=(const BFile& other);

	// openMode: B_READ_ONLY, B_WRITE_ONLY or B_READ_WRITE, with B_CREATE_FILE,
	// B_ERASE_FILE, B_FAIL_IF_EXISTS (with B_CREATE_FILE) and B_OPEN_AT_END (every
	// write goes to the end).
	status_t SetTo(const char* path, uint32 openMode);
	status_t SetTo(const entry_ref* ref, uint32 openMode);
	status_t SetTo(const BEntry* entry, uint32 openMode);
	status_t SetTo(const BDirectory* directory, const char* path, uint32 openMode);
	void Unset();

	// Reading or writing what the open mode does not allow gives B_FILE_ERROR, as
	// the kernel answers for a descriptor not open that way.
	bool IsReadable() const;
	bool IsWritable() const;

	ssize_t Read(void* buffer, size_t size);
	ssize_t Write(const void* buffer, size_t size);
	ssize_t ReadAt(off_t position, void* buffer, size_t size);
	ssize_t WriteAt(off_t position, const void* buffer, size_t size);
	// seekMode is SEEK_SET, SEEK_CUR or SEEK_END; returns the new position.
	off_t Seek(off_t position, uint32 seekMode);
	off_t Position() const;

	status_t GetSize(off_t* size) const;
	status_t SetSize(off_t size);

private:
	uint32 fMode;
};

#endif
