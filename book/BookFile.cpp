// Sections: helpers, reading, saving (new file beside the old, attributes,
// permissions, flush, rename), the frame attribute, error descriptions.
#include "BookFile.h"

#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Path.h>
#include <TypeConstants.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

// --- helpers

namespace {

// Attribute calls that fail only because the file system keeps no attributes
// must not make a book unreadable or unsavable: the typeless rules cover a
// file that lost them.
bool AttributesUnsupported(status_t status)
{
	return status == B_NOT_SUPPORTED;
}

status_t WriteAll(BFile& file, const char* bytes, size_t size)
{
	while (size > 0) {
		const ssize_t written = file.Write(bytes, size);
		if (written < 0)
			return static_cast<status_t>(written);
		if (written == 0)
			return B_IO_ERROR;
		bytes += written;
		size -= static_cast<size_t>(written);
	}
	return B_OK;
}

status_t WriteAttribute(BNode& node, const char* name, type_code type, const void* value,
	size_t size)
{
	const ssize_t written = node.WriteAttr(name, type, 0, value, size);
	if (written < 0)
		return static_cast<status_t>(written);
	return static_cast<size_t>(written) == size ? B_OK : B_IO_ERROR;
}

// The whole value of an attribute, or an error.
status_t ReadAttribute(BNode& node, const char* name, attr_info* info,
	std::vector<char>* value)
{
	status_t status = node.GetAttrInfo(name, info);
	if (status != B_OK)
		return status;
	value->resize(static_cast<size_t>(info->size));
	const ssize_t read = node.ReadAttr(name, info->type, 0, value->data(), value->size());
	if (read < 0)
		return static_cast<status_t>(read);
	value->resize(static_cast<size_t>(read));
	return B_OK;
}

std::string AbsolutePath(const BEntry& entry)
{
	BPath path;
	if (entry.GetPath(&path) != B_OK || path.Path() == nullptr)
		return std::string();
	return path.Path();
}

}  // namespace

// --- reading

namespace {

status_t ReadWholeFile(BFile& file, std::vector<char>* bytes)
{
	off_t size = 0;
	if (file.GetSize(&size) != B_OK || size < 0)
		size = 0;
	bytes->resize(static_cast<size_t>(size) + 1);
	size_t filled = 0;
	while (true) {
		if (filled == bytes->size())
			bytes->resize(bytes->size() * 2);  // the file grew while we read it
		const ssize_t read = file.Read(bytes->data() + filled, bytes->size() - filled);
		if (read < 0)
			return static_cast<status_t>(read);
		if (read == 0)
			break;
		filled += static_cast<size_t>(read);
	}
	bytes->resize(filled);
	return B_OK;
}

}  // namespace

status_t LoadBookFile(const entry_ref* ref, CVABook* book, std::string* absolutePath,
	book_read_losses* losses)
{
	if (absolutePath != nullptr)
		*absolutePath = AbsolutePath(BEntry(ref, true));

	// Read-only permission or storage must not make the book look empty.
	BFile file(ref, B_READ_WRITE);
	if (file.InitCheck() != B_OK)
		file.SetTo(ref, B_READ_ONLY);
	if (const status_t status = file.InitCheck(); status != B_OK)
		return status;

	std::vector<char> body;
	if (const status_t status = ReadWholeFile(file, &body); status != B_OK)
		return status;

	// The type is taken from the file opened, so a link to a book reads as one.
	attr_info info;
	std::vector<char> type;
	const book_layout layout = ReadAttribute(file, kTypeAttrName, &info, &type) == B_OK
		? LayoutForType(type.data(), type.size())
		: LayoutForTypelessBody(body.data(), body.size());

	BookOwnerLocker lock(book->Owner());
	ReadBookBody(book, body.data(), body.size(), layout, losses);
	return B_OK;
}

// --- saving

namespace {

// A name for the new file beside the old one; hidden, and unique within the
// process and between processes.
std::string TemporaryName(const char* leaf, int attempt)
{
	static std::atomic<uint32> counter{0};
	std::string base(leaf);
	if (base.size() > 200)
		base.resize(200);
	return "." + base + ".saving-" + std::to_string(getpid()) + "-"
		+ std::to_string(counter++) + "-" + std::to_string(attempt);
}

// The freedesktop type attribute, a plain string that file managers and
// desktop tools read; it lives beside the platform's typed attributes.
const char kFreedesktopTypeName[] = "mime_type";

status_t WriteFreedesktopType(BFile& file)
{
	const int fd = file.Dup();
	if (fd < 0)
		return fd;
	const std::string name = std::string("user.") + kFreedesktopTypeName;
	const status_t status = fsetxattr(fd, name.c_str(), kBookFileType, strlen(kBookFileType), 0)
		== 0 ? B_OK : status_from_errno(errno);
	close(fd);
	return status;
}

status_t CopyOtherAttributes(BNode& from, BNode& to)
{
	char name[B_ATTR_NAME_LENGTH];
	from.RewindAttrs();
	while (from.GetNextAttrName(name) == B_OK) {
		if (strcmp(name, kTypeAttrName) == 0 || strcmp(name, kFrameAttrName) == 0
			|| strcmp(name, kFreedesktopTypeName) == 0)
			continue;
		attr_info info;
		std::vector<char> value;
		status_t status = ReadAttribute(from, name, &info, &value);
		if (status == B_OK)
			status = WriteAttribute(to, name, info.type, value.data(), value.size());
		if (status != B_OK)
			return status;
	}
	return B_OK;
}

// The old file's permission bits (and owner, where we may) on the new file.
status_t CopyPermissions(const struct stat& old, BFile& file)
{
	const int fd = file.Dup();
	if (fd < 0)
		return B_FILE_ERROR;
	status_t status = B_OK;
	struct stat now;
	if (fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid)) {
		// Only the superuser may give a file away; anyone else saves it as theirs.
		(void)!fchown(fd, old.st_uid, old.st_gid);
	}
	if (fchmod(fd, old.st_mode & 07777) != 0)
		status = status_from_errno(errno);
	close(fd);
	return status;
}

// Writes everything into the new, still hidden file.
status_t FillNewFile(BFile& file, const CVABook* book, const book_frame& frame,
	BNode* old, const struct stat* oldStat)
{
	status_t status = WriteBookBody(book, [&file](const char* bytes, size_t size) {
		return WriteAll(file, bytes, size);
	});
	if (status != B_OK)
		return status;

	uint8 frameBytes[kFrameAttrSize];
	EncodeFrame(frame, frameBytes);
	status = WriteAttribute(file, kTypeAttrName, B_MIME_STRING_TYPE, kBookFileType,
		kBookFileTypeSize);
	if (status == B_OK)
		status = WriteAttribute(file, kFrameAttrName, B_RECT_TYPE, frameBytes, kFrameAttrSize);
	if (status == B_OK)
		status = WriteFreedesktopType(file);
	if (status == B_OK && old != nullptr)
		status = CopyOtherAttributes(*old, file);
	if (AttributesUnsupported(status))
		status = B_OK;
	if (status != B_OK)
		return status;

	if (oldStat != nullptr && (status = CopyPermissions(*oldStat, file)) != B_OK)
		return status;
	return file.Sync();
}

}  // namespace

status_t SaveBookFile(const entry_ref* ref, const CVABook* book, const book_frame& frame,
	std::string* absolutePath)
{
	// Follow links: the file replaced is the link's target, the link stays.
	BEntry target(ref, true);
	if (status_t status = target.InitCheck(); status != B_OK)
		return status;
	const std::string targetPath = AbsolutePath(target);
	if (absolutePath != nullptr)
		*absolutePath = targetPath;
	BPath path(targetPath.c_str());
	BPath directoryPath;
	if (targetPath.empty() || path.GetParent(&directoryPath) != B_OK)
		return B_ENTRY_NOT_FOUND;
	BDirectory directory(directoryPath.Path());
	status_t status = directory.InitCheck();
	if (status != B_OK)
		return status;

	// The old file, when there is one, gives its attributes and permissions; one
	// whose attributes cannot be read is not replaced.
	BNode old;
	struct stat oldStat;
	const bool hasOld = target.GetStat(&oldStat) == B_OK;
	if (hasOld && (status = old.SetTo(&target)) != B_OK)
		return status;
	// Renaming over a file we may not write would get round its permissions.
	if (hasOld && access(targetPath.c_str(), W_OK) != 0)
		return status_from_errno(errno);

	BFile file;
	std::string temporary;
	status = B_FILE_EXISTS;
	for (int attempt = 0; attempt < 16 && status == B_FILE_EXISTS; attempt++) {
		temporary = TemporaryName(path.Leaf(), attempt);
		status = file.SetTo(&directory, temporary.c_str(),
			B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS);
	}
	if (status != B_OK)
		return status;

	BEntry written(&directory, temporary.c_str());
	status = FillNewFile(file, book, frame, hasOld ? &old : nullptr,
		hasOld ? &oldStat : nullptr);
	file.Unset();
	if (status == B_OK)
		status = written.Rename(path.Leaf(), true);
	if (status != B_OK) {
		written.Remove();
		return status;
	}
	// The rename is durable once the directory is flushed too; a file system
	// that cannot flush a directory still has the complete new file in place.
	directory.Sync();
	return B_OK;
}

// --- the frame attribute

status_t ReadBookFrame(const entry_ref* ref, book_frame* frame)
{
	BFile file(ref, B_READ_ONLY);  // follows a link to the book
	if (status_t status = file.InitCheck(); status != B_OK)
		return status;
	attr_info info;
	std::vector<char> value;
	if (status_t status = ReadAttribute(file, kFrameAttrName, &info, &value); status != B_OK)
		return status;
	return DecodeFrame(value.data(), value.size(), frame) ? B_OK : B_BAD_VALUE;
}

status_t SaveBookFrame(const entry_ref* ref, const book_frame& frame)
{
	// Read-only is enough: attributes follow the file's permissions, not the
	// open mode, and the body must not be opened for writing at all.
	BFile file(ref, B_READ_ONLY);
	if (status_t status = file.InitCheck(); status != B_OK)
		return status;
	uint8 bytes[kFrameAttrSize];
	EncodeFrame(frame, bytes);
	return WriteAttribute(file, kFrameAttrName, B_RECT_TYPE, bytes, kFrameAttrSize);
}

// --- error descriptions

const char* DescribeFileError(status_t status)
{
	switch (status) {
		case B_DEVICE_FULL:
			return "the disk is full";
		case B_PERMISSION_DENIED:
		case B_NOT_ALLOWED:
			return "permission was denied";
		case B_READ_ONLY_DEVICE:
			return "the disk is read-only";
		case B_ENTRY_NOT_FOUND:
		case B_FILE_NOT_FOUND:
		case B_NOT_A_DIRECTORY:
			return "the folder does not exist";
		case B_FILE_TOO_LARGE:
			return "the file is too large";
		case B_NAME_TOO_LONG:
			return "the name is too long";
		case B_IS_A_DIRECTORY:
			return "a folder has that name";
		case B_NO_MEMORY:
			return "there is not enough memory";
		default:
			return "an input/output error occurred";
	}
}
