// The one way a file that holds a book's bytes (or what stands for them) is
// made beside others: created anew under a name nobody else holds
// (O_CREAT|O_EXCL|O_NOFOLLOW, so a planted link or file is never written
// through), given its final permissions, owner and access control list before
// a byte is written (so nobody it is not meant for can read it for a moment),
// written, flushed, and then renamed into place or kept. Removed unless it was
// renamed or kept. The book's temporary file, the files beside the book (ids,
// journal), the backup of a book saved in place and a sync's cards are made so.
// Threading: one thread at a time.
#ifndef _NEW_FILE_H
#define _NEW_FILE_H

#include <SupportDefs.h>

#include <string>
#include <string_view>
#include <sys/types.h>

// The permissions a new file is made with.
struct file_access {
	mode_t mode = 0600;
	// False for a file made where none was: the umask (or the folder's
	// default access control list) narrows mode, as for any new file.
	bool exact = true;
	// The owner and group to give it, where we may; -1 keeps ours. A group
	// that cannot be given takes the group's permissions away.
	uid_t owner = static_cast<uid_t>(-1);
	gid_t group = static_cast<gid_t>(-1);
	// The access control list as the system stores it ("system.posix_acl_access");
	// empty for none.
	std::string acl;

	// For the user alone: 0600.
	static file_access Private();
	// A new document's: 0666 less the umask.
	static file_access NewDocument();
	// That of the existing file at path (links followed): its mode, owner,
	// group and access control list.
	static status_t Of(const std::string& path, file_access* access);

	// The same, without the permission bits mask does not hold: a file that
	// stands beside another is never more open than it.
	file_access Within(mode_t mask) const;
};

class NewFile {
public:
	NewFile() = default;
	// Removes the file unless it was renamed or kept.
	~NewFile();

	NewFile(const NewFile&) = delete;
	NewFile& operator=(const NewFile&) = delete;

	// Creates a file named prefix + "PID-N-A" in folder (an open descriptor
	// of it, which need not stay open), a name no other file has. The prefix
	// should make it hidden. Once only.
	status_t CreateUnique(int folder, const std::string& prefix, const file_access& access);

	int Fd() const { return fFd; }
	const std::string& Name() const { return fName; }

	status_t Write(std::string_view bytes);
	// Flushes its bytes (and attributes) to the disk.
	status_t Flush();
	// Closes it and renames it over name in the same folder.
	status_t RenameTo(const std::string& name);
	// Closes it and leaves it where it is.
	status_t Keep();

	// The process that made the file called name with prefix, or 0 when name
	// is not one of those.
	static pid_t WriterOf(std::string_view name, std::string_view prefix);

private:
	status_t _Create(const std::string& name, const file_access& access);
	status_t _Apply(const file_access& access);
	status_t _Close();

	int fFolder = -1;
	int fFd = -1;
	std::string fName;
	bool fDone = false;
};

#endif
