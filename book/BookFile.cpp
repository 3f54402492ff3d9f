// Sections: helpers, reading (the body, the ids beside it), saving (through a
// replacing file, with the attributes and the ids), the frame attribute, error
// descriptions.
#include "BookFile.h"

#include "BookBackup.h"
#include "BookFilePrivate.h"
#include "BookPaths.h"
#include "ReadOnlyBookFile.h"
#include "RecordIdFile.h"
#include "ReplacingFile.h"

#include <Entry.h>
#include <Node.h>
#include <Path.h>
#include <TypeConstants.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <system_error>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
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

// A plain (untyped) attribute, as other programs write and read them; "" when
// the file has none.
std::string ReadPlainAttribute(const std::string& path, const char* name)
{
	const std::string key = std::string("user.") + name;
	char value[1024];
	const ssize_t size = getxattr(path.c_str(), key.c_str(), value, sizeof(value));
	return size > 0 ? std::string(value, static_cast<size_t>(size)) : std::string();
}

status_t WritePlainAttribute(const std::string& path, const char* name, const std::string& value)
{
	const std::string key = std::string("user.") + name;
	return setxattr(path.c_str(), key.c_str(), value.data(), value.size(), 0) == 0
		? B_OK : status_from_errno(errno);
}

void FillState(const struct stat& info, book_file_state* state)
{
	state->exists = true;
	state->device = info.st_dev;
	state->inode = info.st_ino;
	state->size = info.st_size;
	state->modified = int64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

// A descriptor of the file behind info, opened anew by path, for an ancestor
// to read the body back through; -1 when the path names another file now.
int ReopenSameFile(const std::string& path, const struct stat& info)
{
	// Never waits: the path may name a FIFO by now.
	const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	struct stat again;
	if (fd >= 0 && (fstat(fd, &again) != 0 || again.st_dev != info.st_dev
		|| again.st_ino != info.st_ino)) {
		close(fd);
		return -1;
	}
	return fd;
}

std::string AbsolutePath(const BEntry& entry)
{
	BPath path;
	if (entry.GetPath(&path) != B_OK || path.Path() == nullptr)
		return std::string();
	return path.Path();
}

}  // namespace

void RunSideBySide(const std::function<void()>& beside, const std::function<void()>& here)
{
	std::thread thread;
	try {
		thread = std::thread(beside);
	} catch (const std::system_error&) {
		beside();
	}
	here();
	if (thread.joinable())
		thread.join();
}

// --- reading

namespace {

// The layout the file's type attribute names; false when it has none. path
// has its links resolved, so a link to a book reads as one; the attribute is
// read by path, which never opens the file.
bool ReadTypedLayout(const std::string& path, book_layout* layout)
{
	BNode node(path.c_str());
	attr_info info;
	std::vector<char> type;
	if (ReadAttribute(node, kTypeAttrName, &info, &type) != B_OK)
		return false;
	*layout = LayoutForType(type.data(), type.size());
	return true;
}

// A book read anew (before is what it was read as last) takes a body without
// a type as a merge does, so that one line that lost a column never shifts
// every field of the book shown.
book_layout ReadLayout(const std::string& path, const char* body, size_t size,
	const BookAncestor* before)
{
	book_layout layout;
	if (ReadTypedLayout(path, &layout))
		return layout;
	return before != nullptr ? LayoutForTypelessMerge(CountColumns(body, size), before->Layout())
		: LayoutForTypelessBody(body, size);
}

// The line hashes of a book read from a body not in the writer's form.
std::vector<uint64> LineHashesOf(const CVABook* book)
{
	const std::string body = BookBodyBytes(book);
	std::vector<uint64> hashes;
	for (const std::string_view line : BodyLines(body.data(), body.size()))
		hashes.push_back(BookLineHash(line));
	return hashes;
}

// Corrects the records' ids that ReadBookBody took on trust from the id file
// when the body turns out not to be the one it was written for.
record_ids_found SettleIds(const std::string& path, const std::string& idsAttr,
	record_id_file* trusted, const sha256_digest& digest, std::string_view body, CVABook* book)
{
	if (trusted == nullptr)
		return record_ids_found::kNone;  // every record got a new id
	if (digest == trusted->body && trusted->ids.size() == static_cast<size_t>(book->CountRecords()))
		return record_ids_found::kAll;
	record_ids_found found;
	const std::vector<record_id> ids = SettleRecordIds(path, idsAttr, trusted,
		BodyLines(body.data(), body.size()), digest, &found);
	book->AssignIds(ids.data(), std::min(ids.size(), static_cast<size_t>(book->CountRecords())));
	return found;
}

// What the other thread works out while the records are read: the body's
// digest and, for an ancestor, the hash of each line of a body in the
// writer's form. It writes only into memory made here, since what a thread
// allocates stays with its memory pool after it ends.
struct body_digests {
	sha256_digest body;
	std::unique_ptr<uint64[]> lineHashes;
	size_t room = 0;   // for lineHashes
	size_t lines = 0;  // hashed; more than room when they did not fit
};

void DigestBody(std::string_view body, body_digests* digests)
{
	Sha256 calculator;
	calculator.Update(body.data(), body.size());
	digests->body = calculator.Finish();
	for (size_t start = 0; digests->room > 0 && start < body.size(); digests->lines++) {
		const size_t feed = body.find('\n', start);
		const size_t end = feed == std::string_view::npos ? body.size() : feed;
		if (digests->lines < digests->room)
			digests->lineHashes[digests->lines] = BookLineHash(body.substr(start, end - start));
		start = end + 1;
	}
}

// The ancestor of a book just read from body, for the next save. ids are the
// ones beside the body when they all matched it, else empty.
BookAncestor AncestorAsRead(const std::string& path, const struct stat& info,
	const body_digests& digests, book_layout layout, std::vector<record_id> ids,
	std::string_view body, const CVABook* book)
{
	book_file_state state;
	FillState(info, &state);
	state.body = digests.body;
	// A body whose ids all match was written by the writer, ids and all.
	const bool writerForm = layout == book_layout::kAllColumns
		&& (!ids.empty() || IsWriterForm(body.data(), body.size()));
	std::vector<uint64> hashes = writerForm && digests.lines <= digests.room
		? std::vector<uint64>(digests.lineHashes.get(), digests.lineHashes.get() + digests.lines)
		: LineHashesOf(book);
	if (ids.empty()) {
		for (const ABookRecord* record = book->FirstRecord(); record != nullptr;
			 record = record->Next())
			ids.push_back(record->Id());
	}
	return BookAncestor(state, layout, writerForm, std::move(ids), std::move(hashes),
		ReopenSameFile(path, info));
}

}  // namespace

status_t LoadBookFile(const entry_ref* ref, CVABook* book, std::string* absolutePath,
	book_read_losses* losses, BookAncestor* ancestor, const BookAncestor* before)
{
	const std::string path = AbsolutePath(BEntry(ref, true));
	if (absolutePath != nullptr)
		*absolutePath = path;
	if (path.empty())
		return B_ENTRY_NOT_FOUND;

	ReadOnlyBookFile file(path);
	std::string body;
	if (const status_t status = file.ReadAll(&body); status != B_OK)
		return status;
	const struct stat& info = file.Info();
	const book_layout layout = ReadLayout(path, body.data(), body.size(), before);
	const std::string_view bodyText(body.data(), body.size());
	const std::string idsAttr = ReadPlainAttribute(path, kRecordIdsAttrName);

	// The digests are worked out while the ids beside the body and the records
	// are read, the ids taken on trust until the digest is known. A line in
	// the writer's form takes at least 21 bytes.
	body_digests digests;
	if (ancestor != nullptr && layout == book_layout::kAllColumns) {
		digests.room = body.size() / kBookFieldCount + 1;
		digests.lineHashes.reset(new uint64[digests.room]);
	}
	record_id_file ids;
	bool trusted = false;
	BookOwnerLocker lock(book->Owner());
	RunSideBySide([&] { DigestBody(bodyText, &digests); },
		[&] {
			trusted = ReadRecordIdFile(path, idsAttr, false, &ids);
			ReadBookBody(book, body.data(), body.size(), layout, losses,
				trusted ? &ids.ids : nullptr);
		});
	const record_ids_found found = SettleIds(path, idsAttr, trusted ? &ids : nullptr,
		digests.body, bodyText, book);
	if (ancestor != nullptr) {
		*ancestor = AncestorAsRead(path, info, digests, layout,
			found == record_ids_found::kAll ? std::move(ids.ids) : std::vector<record_id>(),
			bodyText, book);
	}
	return B_OK;
}

status_t ReadBookFileBytes(const std::string& path, book_file_bytes* bytes)
{
	ReadOnlyBookFile file(path);
	if (const status_t status = file.ReadAll(&bytes->body); status != B_OK)
		return status;
	bytes->typed = ReadTypedLayout(path, &bytes->layout);
	bytes->idsAttr = ReadPlainAttribute(path, kRecordIdsAttrName);
	FillState(file.Info(), &bytes->state);
	return B_OK;
}

// --- saving

namespace {

// The freedesktop type attribute, a plain string that file managers and
// desktop tools read; it lives beside the platform's typed attributes.
const char kFreedesktopTypeName[] = "mime_type";

status_t CopyOtherAttributes(BNode& from, BNode& to)
{
	char name[B_ATTR_NAME_LENGTH];
	from.RewindAttrs();
	while (from.GetNextAttrName(name) == B_OK) {
		// The ids attribute describes the old body only: never carried over.
		if (strcmp(name, kTypeAttrName) == 0 || strcmp(name, kFrameAttrName) == 0
			|| strcmp(name, kFreedesktopTypeName) == 0 || strcmp(name, kRecordIdsAttrName) == 0)
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

// The type, the frame and the ids' attribute (none when idsAttr is empty) on
// the file at path, and the other attributes of the file at copyFrom (may be
// null).
status_t WriteAttributes(const std::string& path, const book_frame& frame,
	const std::string& idsAttr, const std::string* copyFrom)
{
	BNode node(path.c_str());
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
		status = WritePlainAttribute(path, kFreedesktopTypeName, kBookFileType);
	if (status == B_OK && !idsAttr.empty())
		status = WritePlainAttribute(path, kRecordIdsAttrName, idsAttr);
	else if (status == B_OK)
		(void)removexattr(path.c_str(), (std::string("user.") + kRecordIdsAttrName).c_str());
	if (status == B_OK && copyFrom != nullptr) {
		// One whose attributes cannot be read is not replaced.
		BNode old(copyFrom->c_str());
		status = old.InitCheck();
		if (status == B_OK)
			status = CopyOtherAttributes(old, node);
	}
	return AttributesUnsupported(status) ? B_OK : status;
}

// Digests of a body as it is written: of the whole, and of each line (SHA-256
// for the file beside the book, the short hash for an ancestor).
class BodyDigests {
public:
	explicit BodyDigests(size_t lines)
	{
		fLines.reserve(lines);
		fHashes.reserve(lines);
	}

	void Add(const char* bytes, size_t size)
	{
		fWhole.Update(bytes, size);
		const char* end = bytes + size;
		while (bytes < end) {
			const char* feed = static_cast<const char*>(memchr(bytes, '\n', end - bytes));
			const std::string_view piece(bytes, (feed != nullptr ? feed : end) - bytes);
			if (feed == nullptr) {
				fPending.append(piece);
				break;
			}
			// Lines come whole from the writer; one cut between pieces is joined.
			std::string_view line = piece;
			if (!fPending.empty())
				line = fPending.append(piece);
			fLines.push_back(Sha256Of(line));
			fHashes.push_back(BookLineHash(line));
			fPending.clear();
			bytes = feed + 1;
		}
	}

	sha256_digest Whole() { return fWhole.Finish(); }
	std::vector<sha256_digest> TakeLines() { return std::move(fLines); }
	std::vector<uint64> TakeHashes() { return std::move(fHashes); }

private:
	Sha256 fWhole;
	std::string fPending;  // the start of a line the next piece ends
	std::vector<sha256_digest> fLines;
	std::vector<uint64> fHashes;
};

// A body as it was written, with its records' ids and digests.
struct written_body {
	std::vector<record_id> ids;
	sha256_digest whole;
	std::vector<sha256_digest> lines;
	std::vector<uint64> hashes;
};

status_t WriteBody(const book_body_source& source, const BookBodySink& sink, written_body* body)
{
	BodyDigests digests(source.lines);
	body->ids.reserve(source.lines);
	const status_t status = source.write([&](const char* bytes, size_t size) {
		digests.Add(bytes, size);
		return sink(bytes, size);
	}, &body->ids);
	body->whole = digests.Whole();
	body->lines = digests.TakeLines();
	body->hashes = digests.TakeHashes();
	return status;
}

std::string FolderOf(const std::string& path)
{
	return path.substr(0, path.size() - LeafOf(path).size());
}

// A file beside the book that was not a plain one, replaced: the user hears
// of it on standard error, as the program's other notes.
void TellReplaced(const ReplacingFile& file)
{
	if (!file.Note().empty())
		fprintf(stderr, "%s: %s\n", program_invocation_short_name, file.Note().c_str());
}

// The ids beside the book at target, written for body but not yet renamed
// into place, no more open than the book; false when they cannot be (the
// book is saved without them, and its records get new ids next time).
bool PrepareIds(const std::string& target, const file_access& bookAccess,
	const written_body& body, std::unique_ptr<ReplacingFile>* file)
{
	if (body.ids.size() != body.lines.size())
		return false;
	*file = std::make_unique<ReplacingFile>(
		FolderOf(target) + RecordIdFileName(LeafOf(target)), bookAccess.Within(0644));
	const bool ready = (*file)->Open() == B_OK
		&& (*file)->Write(RecordIdFileText(body.ids, body.lines, body.whole)) == B_OK;
	TellReplaced(**file);
	return ready;
}

std::string IdsAttrFor(bool ready, const std::unique_ptr<ReplacingFile>& ids,
	const written_body& body)
{
	return ready ? RecordIdsAttrValue(LeafOf(ids->TargetPath()), body.whole) : std::string();
}

void MakeAncestor(const struct stat& info, written_body* body, int fd, BookAncestor* saved)
{
	book_file_state state;
	FillState(info, &state);
	state.body = body->whole;
	*saved = BookAncestor(state, book_layout::kAllColumns, true, std::move(body->ids),
		std::move(body->hashes), fd);
}

// Whether group is one of ours.
bool MemberOf(gid_t group)
{
	if (group == getegid())
		return true;
	gid_t groups[256];
	const int count = getgroups(256, groups);
	return std::find(groups, groups + std::max(count, 0), group) != groups + std::max(count, 0);
}

// Whether a new file renamed over the book would cost it something: its other
// names (a hard link would keep the old body), or its owner or group, which
// only the superuser may give a new file.
bool SavesInPlace(const struct stat& old)
{
	if (old.st_nlink > 1)
		return true;
	return geteuid() != 0 && (old.st_uid != geteuid() || !MemberOf(old.st_gid));
}

// The usual save: a new file beside the book, renamed over it.
status_t WriteReplacing(const std::string& target, const book_body_source& source,
	const book_frame& frame, BookAncestor* saved)
{
	ReplacingFile file(target);
	written_body body;
	status_t status = file.Open();
	if (status == B_OK) {
		status = WriteBody(source, [&](const char* bytes, size_t size) {
			return file.Write(std::string_view(bytes, size));
		}, &body);
	}
	// The ids go last: a save that cannot write them still saves the book.
	std::unique_ptr<ReplacingFile> ids;
	const bool idsReady = status == B_OK && PrepareIds(file.TargetPath(), file.Access(), body, &ids);
	if (status == B_OK) {
		status = WriteAttributes(file.NewPath(), frame, IdsAttrFor(idsReady, ids, body),
			file.Replaces() ? &file.TargetPath() : nullptr);
	}
	// The new file, opened before the rename makes it the book, is the one the
	// next merge reads back as the ancestor.
	struct stat info;
	const int fd = status == B_OK && saved != nullptr
		? open(file.NewPath().c_str(), O_RDONLY | O_CLOEXEC) : -1;
	if (status == B_OK && stat(file.NewPath().c_str(), &info) != 0)
		status = status_from_errno(errno);
	if (status == B_OK)
		status = file.Commit();
	if (status != B_OK) {
		if (fd >= 0)
			close(fd);
		return status;
	}
	// Ids lost in a crash are only new ones next time: the book's attribute
	// names the digest, so a half-written id file is never trusted.
	if (idsReady)
		ids->Commit(false);
	if (saved != nullptr)
		MakeAncestor(info, &body, fd, saved);
	return B_OK;
}

// Writes bytes over the whole file fd names, attributes and all, flushed.
status_t Overwrite(int fd, const std::string& target, const std::string& bytes,
	const book_frame& frame, const std::string& idsAttr)
{
	if (lseek(fd, 0, SEEK_SET) != 0)
		return status_from_errno(errno);
	status_t status = WriteWholeFd(fd, bytes);
	if (status == B_OK && ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
		status = status_from_errno(errno);
	if (status == B_OK)
		status = WriteAttributes(target, frame, idsAttr, nullptr);
	if (status == B_OK && fsync(fd) != 0)
		status = status_from_errno(errno);
	return status;
}

// The save of a book whose owner, group or other names a rename would change,
// as careful editors do it: the book itself is written, after a backup of its
// old body; a crash half-way leaves that backup (BookBackup.h).
status_t WriteInPlace(const std::string& target, const book_body_source& source,
	const book_frame& frame, BookAncestor* saved)
{
	std::string bytes;
	written_body body;
	status_t status = WriteBody(source, [&](const char* piece, size_t size) {
		bytes.append(piece, size);
		return B_OK;
	}, &body);
	const int fd = open(target.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
	if (status == B_OK && fd < 0)
		status = status_from_errno(errno);
	const int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (status == B_OK && folder < 0)
		status = status_from_errno(errno);
	file_access access;
	if (status == B_OK)
		status = file_access::Of(target, &access);
	std::string old;
	if (status == B_OK)
		status = ReadWholeFd(fd, &old);
	NewFile backup;
	if (status == B_OK)
		status = WriteBookBackup(folder, target, old, access, body.whole, &backup);
	std::unique_ptr<ReplacingFile> ids;
	const bool idsReady = status == B_OK && PrepareIds(target, access, body, &ids);
	if (status == B_OK) {
		status = Overwrite(fd, target, bytes, frame, IdsAttrFor(idsReady, ids, body));
		// Once the book may be half-written, its old body must stay.
		if (status != B_OK)
			backup.Keep();
	}
	struct stat info;
	if (status == B_OK && fstat(fd, &info) != 0)
		status = status_from_errno(errno);
	if (status == B_OK && idsReady)
		ids->Commit(false);
	if (status == B_OK && saved != nullptr)
		MakeAncestor(info, &body, open(target.c_str(), O_RDONLY | O_CLOEXEC), saved);
	if (fd >= 0)
		close(fd);
	if (folder >= 0)
		close(folder);
	return status;
}

}  // namespace

book_body_source BodySourceOf(const CVABook* book)
{
	book_body_source source;
	source.write = [book](const BookBodySink& sink, std::vector<record_id>* ids) {
		return WriteBookBody(book, sink, ids);
	};
	source.lines = static_cast<size_t>(book->CountRecords());
	return source;
}

status_t ResolveSaveTarget(const entry_ref* ref, std::string* targetPath)
{
	// Follow links: the file replaced is the link's target, the link stays.
	BEntry target(ref, true);
	if (status_t status = target.InitCheck(); status != B_OK)
		return status;
	*targetPath = AbsolutePath(target);
	return targetPath->empty() ? B_ENTRY_NOT_FOUND : B_OK;
}

void RemoveSaveLeftovers(const std::string& targetPath)
{
	const std::string_view leaf = LeafOf(targetPath);
	ReplacingFile::RemoveLeftovers(FolderOf(targetPath), {std::string(leaf),
		RecordIdFileName(leaf), HiddenNameBeside(leaf, kJournalSuffix)});
}

status_t WriteBookLocked(const std::string& targetPath, const book_body_source& source,
	const book_frame& frame, BookAncestor* saved)
{
	RemoveSaveLeftovers(targetPath);
	struct stat old;
	if (stat(targetPath.c_str(), &old) == 0 && S_ISREG(old.st_mode) && SavesInPlace(old))
		return WriteInPlace(targetPath, source, frame, saved);
	return WriteReplacing(targetPath, source, frame, saved);
}

status_t SaveBookFile(const entry_ref* ref, const CVABook* book, const book_frame& frame,
	std::string* absolutePath, BookAncestor* saved)
{
	std::string targetPath;
	const status_t status = ResolveSaveTarget(ref, &targetPath);
	if (absolutePath != nullptr)
		*absolutePath = targetPath;
	if (status != B_OK)
		return status;
	BookLock lock(targetPath);
	if (const status_t locked = lock.Acquire(); locked != B_OK)
		return locked;
	return WriteBookLocked(targetPath, BodySourceOf(book), frame, saved);
}

status_t StatBookFile(const entry_ref* ref, book_file_state* state)
{
	std::string path;
	if (const status_t status = ResolveSaveTarget(ref, &path); status != B_OK)
		return status;
	return StatBookFile(path, state);
}

// --- the frame attribute

namespace {

// The book file ref names, links followed, as a node whose attributes are
// reached by its path: the file itself is never opened, so a FIFO or a device
// there cannot hold the caller up. kNotAFileError for anything but a
// regular file.
status_t BookNode(const entry_ref* ref, BNode* node)
{
	const std::string path = AbsolutePath(BEntry(ref, true));
	struct stat info;
	if (path.empty() || stat(path.c_str(), &info) != 0)
		return path.empty() ? B_ENTRY_NOT_FOUND : status_from_errno(errno);
	if (!S_ISREG(info.st_mode))
		return kNotAFileError;
	return node->SetTo(path.c_str());
}

}  // namespace

status_t ReadBookFrame(const entry_ref* ref, book_frame* frame)
{
	BNode node;
	if (status_t status = BookNode(ref, &node); status != B_OK)
		return status;
	attr_info info;
	std::vector<char> value;
	if (status_t status = ReadAttribute(node, kFrameAttrName, &info, &value); status != B_OK)
		return status;
	return DecodeFrame(value.data(), value.size(), frame) ? B_OK : B_BAD_VALUE;
}

// Attributes follow the file's permissions; the body is not opened at all.
status_t SaveBookFrame(const entry_ref* ref, const book_frame& frame)
{
	BNode node;
	if (status_t status = BookNode(ref, &node); status != B_OK)
		return status;
	uint8 bytes[kFrameAttrSize];
	EncodeFrame(frame, bytes);
	return WriteAttribute(node, kFrameAttrName, B_RECT_TYPE, bytes, kFrameAttrSize);
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
		case kBookBusyError:
			return "another program is saving it";
		case kNotAFileError:
			return "it is not a regular file";
		case kBookTooLargeError:
			return "it is larger than an address book may be";
		case kBookLockLinkError:
			return "its lock file beside it is a symbolic link, which is never followed";
		case kBookLockOddError:
			return "its lock file beside it is not a plain file";
		default:
			return "an input/output error occurred";
	}
}
