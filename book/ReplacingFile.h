// A file replaced safely: the new content goes to a hidden file beside the old
// one, is flushed, and only then renamed over it, so a reader never meets half
// a file and any failure leaves the old file exactly as it was. A symbolic link
// is followed (its target is replaced, the link stays); the new file keeps the
// old one's permission bits (and owner, where we may give it); an old file we
// may not write is not replaced, since the rename would get round that.
// Every save of the address book goes through it: the book, the files beside
// it, the converter's output.
// Threading: one thread at a time.
#ifndef _REPLACING_FILE_H
#define _REPLACING_FILE_H

#include <SupportDefs.h>

#include <string>
#include <string_view>

class ReplacingFile {
public:
	explicit ReplacingFile(std::string path);
	// Removes the new file unless Commit succeeded.
	~ReplacingFile();

	ReplacingFile(const ReplacingFile&) = delete;
	ReplacingFile& operator=(const ReplacingFile&) = delete;

	// Creates the new file. An error when the folder is missing or not ours to
	// write, or the old file may not be written.
	status_t Open();
	// The target's absolute path with links resolved (after Open), and the new
	// file's path, for callers that also set attributes on it.
	const std::string& TargetPath() const { return fTarget; }
	const std::string& NewPath() const { return fTemporary; }
	// Whether there was an old file to replace.
	bool Replaces() const { return fReplaces; }

	status_t Write(std::string_view bytes);
	// Flushes the new file, renames it over the old one and flushes the folder.
	// Without flush it is only renamed: for a file whose loss in a crash costs
	// nothing but itself, and whose readers can tell a half-written one.
	status_t Commit(bool flush = true);

	// The whole file in one go: Open, Write, Commit.
	static status_t WriteWhole(const std::string& path, std::string_view bytes);

private:
	status_t _ResolveTarget();
	status_t _CreateTemporary();
	status_t _CopyPermissions();
	void _Discard();

	const std::string fPath;
	std::string fTarget;
	std::string fFolder;
	std::string fTemporary;
	int fFd = -1;
	bool fReplaces = false;
	bool fCommitted = false;
	mode_t fMode = 0;
	uid_t fOwner = 0;
	gid_t fGroup = 0;
};

// A whole file descriptor read, or written, retrying interrupted calls.
status_t ReadWholeFd(int fd, std::string* bytes);
status_t WriteWholeFd(int fd, std::string_view bytes);

#endif
