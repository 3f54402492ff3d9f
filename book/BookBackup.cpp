#include "BookBackup.h"

#include "BookBody.h"
#include "BookPaths.h"
#include "RecordIdFile.h"
#include "ReplacingFile.h"
#include "WriterProcess.h"

#include <Errors.h>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// The digest of the body the save was writing.
const char kSavingBodyKey[] = "user.CVABSavingBody";
const char kDigestLabel[] = "sha256:";

std::string IdsKey()
{
	return std::string("user.") + kRecordIdsAttrName;
}

std::string Attribute(int fd, const std::string& key)
{
	char value[1024];
	const ssize_t size = fgetxattr(fd, key.c_str(), value, sizeof(value));
	return size > 0 ? std::string(value, static_cast<size_t>(size)) : std::string();
}

// The backup named name in folder, when it is a plain file of ours.
bool ReadBackup(int folder, const char* name, book_backup* backup, std::string* saving)
{
	const int fd = openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0)
		return false;
	struct stat info;
	backup->body.clear();
	const bool read = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid()
		&& ReadWholeFd(fd, &backup->body) == B_OK;
	backup->idsAttr = Attribute(fd, IdsKey());
	*saving = Attribute(fd, kSavingBodyKey);
	close(fd);
	return read;
}

}  // namespace

status_t WriteBookBackup(int folder, const std::string& bookPath, std::string_view oldBody,
	const file_access& access, const sha256_digest& writing, NewFile* backup)
{
	status_t status = backup->CreateUnique(folder,
		HiddenNameBeside(LeafOf(bookPath), kBackupSuffix), access);
	if (status == B_OK)
		status = backup->Write(oldBody);
	char ids[1024];
	const ssize_t idsSize = getxattr(bookPath.c_str(), IdsKey().c_str(), ids, sizeof(ids));
	const std::string saving = kDigestLabel + Sha256Text(writing);
	// Without attributes the backup is still offered, only less wisely.
	if (status == B_OK && idsSize > 0)
		(void)fsetxattr(backup->Fd(), IdsKey().c_str(), ids, static_cast<size_t>(idsSize), 0);
	if (status == B_OK)
		(void)fsetxattr(backup->Fd(), kSavingBodyKey, saving.data(), saving.size(), 0);
	return status == B_OK ? backup->Flush() : status;
}

bool FindLeftBackup(const std::string& bookPath, const sha256_digest& bookBody,
	book_backup* backup)
{
	const std::string folderPath = bookPath.substr(0, bookPath.size() - LeafOf(bookPath).size());
	const std::string prefix = HiddenNameBeside(LeafOf(bookPath), kBackupSuffix);
	const int folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	DIR* listing = folder >= 0 ? fdopendir(dup(folder)) : nullptr;
	bool found = false;
	while (listing != nullptr && !found) {
		const dirent* entry = readdir(listing);
		if (entry == nullptr)
			break;
		std::string saving;
		if (!ProcessGone(NewFile::WriterOf(entry->d_name, prefix))
			|| !ReadBackup(folder, entry->d_name, backup, &saving))
			continue;
		// Finished, or never begun: the book holds all there is.
		if (saving == kDigestLabel + Sha256Text(bookBody) || Sha256Of(backup->body) == bookBody) {
			unlinkat(folder, entry->d_name, 0);
			continue;
		}
		backup->path = folderPath + entry->d_name;
		found = true;
	}
	if (listing != nullptr)
		closedir(listing);
	if (folder >= 0)
		close(folder);
	return found;
}

void ReadBookBackup(const std::string& bookPath, const book_backup& backup, CVABook* book)
{
	const std::string& body = backup.body;
	ReadBookBody(book, body.data(), body.size(), LayoutForTypelessBody(body.data(), body.size()));
	const std::vector<record_id> ids = RecordIdsForBody(bookPath, backup.idsAttr, body,
		Sha256Of(body));
	book->AssignIds(ids.data(), std::min(ids.size(), static_cast<size_t>(book->CountRecords())));
}
