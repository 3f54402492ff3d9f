// Sections: helpers, reading, saving (through a replacing file, with the
// attributes), the frame attribute, error descriptions.
#include "BookFile.h"

#include "ReplacingFile.h"

#include <Entry.h>
#include <File.h>
#include <Path.h>
#include <TypeConstants.h>

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

// The freedesktop type attribute, a plain string that file managers and
// desktop tools read; it lives beside the platform's typed attributes.
const char kFreedesktopTypeName[] = "mime_type";

status_t WriteFreedesktopType(const std::string& path)
{
	const std::string name = std::string("user.") + kFreedesktopTypeName;
	return setxattr(path.c_str(), name.c_str(), kBookFileType, strlen(kBookFileType), 0) == 0
		? B_OK : status_from_errno(errno);
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

// The type, the frame and the old file's other attributes on the new file.
status_t WriteAttributes(const ReplacingFile& file, const book_frame& frame)
{
	BNode node(file.NewPath().c_str());
	status_t status = node.InitCheck();
	if (status != B_OK)
		return status;
	uint8 frameBytes[kFrameAttrSize];
	EncodeFrame(frame, frameBytes);
	status = WriteAttribute(node, kTypeAttrName, B_MIME_STRING_TYPE, kBookFileType,
		kBookFileTypeSize);
	if (status == B_OK)
		status = WriteAttribute(node, kFrameAttrName, B_RECT_TYPE, frameBytes, kFrameAttrSize);
	if (status == B_OK)
		status = WriteFreedesktopType(file.NewPath());
	if (status == B_OK && file.Replaces()) {
		// One whose attributes cannot be read is not replaced.
		BNode old(file.TargetPath().c_str());
		status = old.InitCheck();
		if (status == B_OK)
			status = CopyOtherAttributes(old, node);
	}
	return AttributesUnsupported(status) ? B_OK : status;
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
	if (targetPath.empty())
		return B_ENTRY_NOT_FOUND;

	ReplacingFile file(targetPath);
	status_t status = file.Open();
	if (status == B_OK) {
		status = WriteBookBody(book, [&file](const char* bytes, size_t size) {
			return file.Write(std::string_view(bytes, size));
		});
	}
	if (status == B_OK)
		status = WriteAttributes(file, frame);
	if (status == B_OK)
		status = file.Commit();
	return status;
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
