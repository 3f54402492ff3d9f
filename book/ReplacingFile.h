// A file replaced safely: the new content goes to a hidden file beside the old
// one (made as NewFile.h says), is flushed, and only then renamed over it, so
// a reader never meets half a file and any failure leaves the old file exactly
// as it was.
//  - A document (the book, the converter's output): a symbolic link is
//    followed (its target is replaced, the link stays); the new file has the
//    old one's permissions, owner (where we may give it) and access control
//    list from the start; an old file we may not write is not replaced, since
//    the rename would get round that.
//  - A file kept beside a document (its ids, its journal): the name itself is
//    replaced, never followed, whoever made what is there; a link or anything
//    else that is not a regular file there is replaced as well, and Note()
//    says so. The new file has the access it is given.
// Every save of the address book goes through it.
// Threading: one thread at a time.
#ifndef _REPLACING_FILE_H
#define _REPLACING_FILE_H

#include "NewFile.h"

#include <SupportDefs.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ReplacingFile {
public:
	// A document.
	explicit ReplacingFile(std::string path);
	// A file beside one.
	ReplacingFile(std::string path, const file_access& access);
	// Removes the new file unless Commit succeeded.
	~ReplacingFile();

	ReplacingFile(const ReplacingFile&) = delete;
	ReplacingFile& operator=(const ReplacingFile&) = delete;

	// Creates the new file. An error when the folder is missing or not ours to
	// write, or the old document may not be written, or a folder has its name.
	status_t Open();
	// The target's absolute path (a document's with links resolved) after
	// Open, and the new file's path, for callers that also set attributes on
	// it.
	const std::string& TargetPath() const { return fTarget; }
	std::string NewPath() const { return fFolder + fNew->Name(); }
	// The permissions the new file was made with (after Open).
	const file_access& Access() const { return fAccess; }
	// Whether there was an old file to replace.
	bool Replaces() const { return fReplaces; }
	// Why what stood at a file beside a document's name was replaced rather
	// than written through ("" when it was a plain file, or nothing).
	const std::string& Note() const { return fNote; }

	status_t Write(std::string_view bytes);
	// Flushes the new file, renames it over the old one and flushes the folder.
	// Without flush it is only renamed: for a file whose loss in a crash costs
	// nothing but itself, and whose readers can tell a half-written one.
	status_t Commit(bool flush = true);

	// The whole file in one go: Open, Write, Commit.
	static status_t WriteWhole(const std::string& path, std::string_view bytes);

	// Removes the new files that saves of the files called leaves in folder
	// (an absolute path ending in '/') left behind when they were killed:
	// ours, and made by a process of this host that has ended.
	static void RemoveLeftovers(const std::string& folder, const std::vector<std::string>& leaves);

private:
	status_t _ResolveDocument();
	status_t _ResolveBeside();

	const std::string fPath;
	const bool fDocument;
	file_access fAccess;
	std::string fTarget;
	std::string fFolder;
	std::string fNote;
	int fFolderFd = -1;
	// Goes before the folder's descriptor, which it is removed through.
	std::unique_ptr<NewFile> fNew;
	bool fReplaces = false;
	bool fCommitted = false;
};

// A whole file descriptor read, or written, retrying interrupted calls. A
// read that would take bytes past limit stops with B_FILE_TOO_LARGE.
status_t ReadWholeFd(int fd, std::string* bytes, size_t limit = SIZE_MAX);
status_t WriteWholeFd(int fd, std::string_view bytes);

#endif
