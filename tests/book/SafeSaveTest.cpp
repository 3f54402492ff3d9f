// Saves that never follow a planted link, never let another user read a
// private book or more than the book allows, keep access control lists, keep
// the owner and the other names of a book a rename would change, and clear
// away what killed saves left; the backup of a save in place cut off.
#include "BookTestSupport.h"
#include "FileTestSupport.h"

#include <BookBackup.h>
#include <BookFile.h>
#include <BookLock.h>
#include <BookPaths.h>
#include <RecordIdFile.h>
#include <ReplacingFile.h>

#include <Entry.h>

#include <acl/libacl.h>
#include <atomic>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <sys/acl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>

namespace {

const book_frame kFrame{10, 20, 410, 320};

// A book of count records whose every line holds marker.
void FillBook(CVABook& book, int count, const char* marker = "secret")
{
	for (int i = 0; i < count; i++) {
		AddRecord(book, ("nick" + std::to_string(i)).c_str())
			->SetField(kCommentsField, marker);
	}
}

status_t Save(const std::string& path, const CVABook& book)
{
	const entry_ref ref = RefFor(path);
	return SaveBookFile(&ref, &book, kFrame, nullptr);
}

mode_t ModeOf(const std::string& path)
{
	struct stat info;
	return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The access control list in its short text form; "" without one.
std::string AclOf(const std::string& path)
{
	acl_t acl = acl_get_file(path.c_str(), ACL_TYPE_ACCESS);
	if (acl == nullptr)
		return "";
	char* text = acl_to_any_text(acl, nullptr, ',', TEXT_ABBREVIATE | TEXT_NUMERIC_IDS);
	const std::string result = text != nullptr ? text : "";
	acl_free(text);
	acl_free(acl);
	return result;
}


}  // namespace

// A link where a file beside the book goes, as another user could plant in a
// shared folder: never written through, whatever it points to.
TEST(SafeSaveTest, PlantedLinksBesideTheBookAreNeverFollowed)
{
	ScratchDir dir;
	CVABook book(nullptr);
	FillBook(book, 3);
	WriteContents(dir / "victim", "keys\n");
	ASSERT_EQ(symlink((dir / "victim").c_str(), (dir / ".book.cvabids").c_str()), 0);
	ASSERT_EQ(Save(dir / "book", book), B_OK);
	EXPECT_EQ(Contents(dir / "victim"), "keys\n");
	EXPECT_TRUE(S_ISREG(ModeOf(dir / ".book.cvabids") | S_IFREG)
		&& !std::filesystem::is_symlink(dir / ".book.cvabids"));
	EXPECT_EQ(Contents(dir / "book"), BookBodyBytes(&book));

	// The lock is never replaced (every locker must lock one file): a link
	// or anything but a plain file stops the save, and says why.
	unlink((dir / ".book.lock").c_str());
	const struct {
		const char* what;
		std::function<void()> plant;
		status_t status;
	} locks[] = {
		{"a link to another's file", [&] { symlink((dir / "victim").c_str(),
			(dir / ".book.lock").c_str()); }, kBookLockLinkError},
		{"a dangling link", [&] { symlink((dir / "made").c_str(),
			(dir / ".book.lock").c_str()); }, kBookLockLinkError},
		{"a FIFO", [&] { mkfifo((dir / ".book.lock").c_str(), 0666); }, kBookLockOddError},
		{"a folder", [&] { mkdir((dir / ".book.lock").c_str(), 0755); }, kBookLockOddError},
	};
	for (const auto& lock : locks) {
		lock.plant();
		const std::string before = Contents(dir / "book");
		EXPECT_EQ(Save(dir / "book", book), lock.status) << lock.what;
		EXPECT_EQ(Contents(dir / "book"), before) << lock.what;
		std::filesystem::remove(dir / ".book.lock");
	}
	EXPECT_EQ(Contents(dir / "victim"), "keys\n");
	EXPECT_FALSE(std::filesystem::exists(dir / "made")) << "a dangling link made its target";
	EXPECT_NE(std::string(DescribeFileError(kBookLockLinkError)).find("symbolic link"),
		std::string::npos);

	// Any file beside the book is replaced the same way, and says so.
	ASSERT_EQ(symlink((dir / "victim").c_str(), (dir / "beside").c_str()), 0);
	ReplacingFile beside(dir / "beside", file_access::Private());
	ASSERT_EQ(beside.Open(), B_OK);
	ASSERT_EQ(beside.Write("new"), B_OK);
	ASSERT_EQ(beside.Commit(), B_OK);
	EXPECT_NE(beside.Note().find("symbolic link"), std::string::npos);
	EXPECT_EQ(Contents(dir / "victim"), "keys\n");
	EXPECT_EQ(Contents(dir / "beside"), "new");
	EXPECT_EQ(ModeOf(dir / "beside"), 0600u);
}

// The files beside a book are never more open than the book, whatever the
// umask; the book keeps its own mode exactly.
TEST(SafeSaveTest, FilesBesideTheBookAreNoMoreOpenThanIt)
{
	const struct {
		mode_t book;
		mode_t ids;
	} cases[] = {{0600, 0600}, {0640, 0640}, {0664, 0644}, {0644, 0644}};
	const mode_t umaskWas = umask(0);
	for (const auto& c : cases) {
		ScratchDir dir;
		CVABook book(nullptr);
		FillBook(book, 2);
		WriteContents(dir / "book", "old\n");
		chmod((dir / "book").c_str(), c.book);
		ASSERT_EQ(Save(dir / "book", book), B_OK);
		EXPECT_EQ(ModeOf(dir / "book"), c.book);
		EXPECT_EQ(ModeOf(dir / ".book.cvabids"), c.ids) << std::oct << c.book;
	}
	umask(umaskWas);
}

// Another user watching the folder through 200 saves of a private book (as
// it would with inotify, here as fast as it can) never reads a byte of it,
// nor the ids beside it.
TEST(SafeSaveTest, AWatcherOfAnotherUserNeverReadsAPrivateBook)
{
	const uid_t watcher = SecondUser();
	if (watcher == static_cast<uid_t>(-1))
		GTEST_SKIP() << "needs root, to run a watcher as a second user";
	ScratchDir dir;
	chmod(dir.Path().c_str(), 0755);  // the folder may be listed by anyone
	CVABook book(nullptr);
	FillBook(book, 2000);
	WriteContents(dir / "book", "");
	chmod((dir / "book").c_str(), 0600);
	ASSERT_EQ(Save(dir / "book", book), B_OK);
	int pipeFds[2];
	ASSERT_EQ(pipe(pipeFds), 0);
	const pid_t child = fork();
	if (child == 0) {
		close(pipeFds[0]);
		_exit(AsUser(watcher, [&] {
			// As an attacker would: told of each new file at once, it opens
			// it then (permissions count only at the open) and reads later.
			const int watch = inotify_init1(IN_CLOEXEC);
			if (watch < 0 || inotify_add_watch(watch, dir.Path().c_str(), IN_CREATE | IN_MOVED_TO) < 0)
				return 98;
			(void)!write(pipeFds[1], "r", 1);
			int read = 0;
			char events[65536];
			char buffer[65536];
			std::vector<int> opened;
			while (access((dir / "done").c_str(), F_OK) != 0) {
				const ssize_t got = ::read(watch, events, sizeof(events));
				for (ssize_t at = 0; at < got;) {
					const auto* event = reinterpret_cast<const inotify_event*>(events + at);
					const int fd = event->len > 0
						? open((dir / event->name).c_str(), O_RDONLY | O_NONBLOCK) : -1;
					if (fd >= 0)
						opened.push_back(fd);
					at += sizeof(inotify_event) + event->len;
				}
			}
			for (const int fd : opened) {
				if (pread(fd, buffer, sizeof(buffer), 0) > 0)
					read++;
				close(fd);
			}
			return std::min(read, 100);
		}));
	}
	close(pipeFds[1]);
	char ready;
	ASSERT_EQ(read(pipeFds[0], &ready, 1), 1);
	close(pipeFds[0]);
	for (int save = 0; save < 200; save++) {
		book.FirstRecord()->SetField(kPhoneField, std::to_string(save).c_str());
		ASSERT_EQ(Save(dir / "book", book), B_OK);
	}
	WriteContents(dir / "done", "");
	int status = 0;
	waitpid(child, &status, 0);
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(WEXITSTATUS(status), 0) << "files of the book the watcher read";
}

// user:someone:rw and group::--- stay as they were: the owning group gains
// nothing, and the ids beside the book are for someone to read only.
TEST(SafeSaveTest, AnAccessControlListSurvivesASave)
{
	ScratchDir dir;
	CVABook book(nullptr);
	FillBook(book, 2);
	WriteContents(dir / "book", "old\n");
	acl_t acl = acl_from_text("u::rw-,u:4242:rw-,g::---,m::rw-,o::---");
	ASSERT_NE(acl, nullptr);
	const int set = acl_set_file((dir / "book").c_str(), ACL_TYPE_ACCESS, acl);
	acl_free(acl);
	if (set != 0)
		GTEST_SKIP() << "the file system keeps no access control lists";
	ASSERT_EQ(Save(dir / "book", book), B_OK);
	EXPECT_EQ(Contents(dir / "book"), BookBodyBytes(&book));
	EXPECT_EQ(AclOf(dir / "book"), "u::rw-,u:4242:rw-,g::---,m::rw-,o::---");
	EXPECT_EQ(AclOf(dir / ".book.cvabids"), "u::rw-,u:4242:rw-,g::---,m::r--,o::---");
}

// A hard link's other name and another user's book (0666, in our folder)
// both show the new records; owner, mode and links stay; no backup is left.
TEST(SafeSaveTest, ABookARenameWouldChangeIsWrittenInPlace)
{
	ScratchDir dir;
	CVABook book(nullptr);
	FillBook(book, 3, "new");
	WriteContents(dir / "book", "old\n");
	ASSERT_EQ(link((dir / "book").c_str(), (dir / "other name").c_str()), 0);
	struct stat before;
	ASSERT_EQ(stat((dir / "book").c_str(), &before), 0);
	ASSERT_EQ(Save(dir / "book", book), B_OK);
	struct stat after;
	ASSERT_EQ(stat((dir / "book").c_str(), &after), 0);
	EXPECT_EQ(Contents(dir / "other name"), BookBodyBytes(&book));
	EXPECT_EQ(after.st_ino, before.st_ino);
	EXPECT_EQ(after.st_nlink, 2u);
	EXPECT_EQ(dir.Names(), (Texts{".book.cvabids", ".book.lock", "book", "other name"}));
	// Read back with the ids beside it, as any save.
	CVABook again(nullptr);
	const entry_ref ref = RefFor(dir / "book");
	BookAncestor ancestor;
	ASSERT_EQ(LoadBookFile(&ref, &again, nullptr, nullptr, &ancestor), B_OK);
	EXPECT_EQ(ancestor.Ids().front(), book.FirstRecord()->Id());

	const uid_t other = SecondUser();
	if (other == static_cast<uid_t>(-1))
		GTEST_SKIP() << "another user's book needs root, to make one";
	ScratchDir shared;
	chmod(shared.Path().c_str(), 0777);
	WriteContents(shared / "book", "old\n");
	chmod((shared / "book").c_str(), 0666);  // root's, anyone may write it
	EXPECT_EQ(AsUser(other, [&] { return Save(shared / "book", book) == B_OK ? 0 : 1; }), 0);
	ASSERT_EQ(stat((shared / "book").c_str(), &after), 0);
	EXPECT_EQ(after.st_uid, 0u) << "the book changed owner";
	EXPECT_EQ(after.st_mode & 07777, 0666u);
	EXPECT_EQ(Contents(shared / "book"), BookBodyBytes(&book));
}

// What saves killed half-way left goes at the next save: the user's, of a
// process that ended; not another program's temporary file still in use.
TEST(SafeSaveTest, LeftoversOfKilledSavesGo)
{
	ScratchDir dir;
	const std::string gone = std::to_string(GonePid());
	const std::string live = std::to_string(getpid());
	const Texts left = {".book.saving-" + gone + "-0-0", "..book.cvabids.saving-" + gone + "-1-0",
		"..book.cvabjournal.saving-" + gone + "-2-0"};
	const Texts kept = {".book.saving-" + live + "-9-0", ".other.saving-" + gone + "-0-0",
		".book.cvabbackup-" + gone + "-0-0"};
	for (const std::string& name : left)
		WriteContents(dir / name, "half");
	for (const std::string& name : kept)
		WriteContents(dir / name, "half");
	CVABook book(nullptr);
	FillBook(book, 1);
	ASSERT_EQ(Save(dir / "book", book), B_OK);
	Texts expected = kept;
	expected.insert(expected.end(), {".book.cvabids", ".book.lock", "book"});
	std::sort(expected.begin(), expected.end());
	EXPECT_EQ(dir.Names(), expected);
}

// A backup a save in place left when it was cut off is found, with its
// records and their ids, unless the book holds the body it was writing (the
// save ended) or the one it kept (it never began); those go.
TEST(SafeSaveTest, ABackupACrashLeftIsFoundUnlessTheSaveEnded)
{
	ScratchDir dir;
	CVABook old(nullptr);
	FillBook(old, 3, "old");
	ASSERT_EQ(Save(dir / "book", old), B_OK);
	const std::string oldBody = Contents(dir / "book");
	CVABook written(nullptr);
	FillBook(written, 4, "new");
	const std::string newBody = BookBodyBytes(&written);
	const int folder = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
	const struct {
		const char* what;
		std::string book;  // what the book holds after the cut
		bool found;
	} cases[] = {
		{"cut half-way", newBody.substr(0, newBody.size() / 2), true},
		{"ended", newBody, false},
		{"never began", oldBody, false},
	};
	for (const auto& c : cases) {
		const pid_t pid = fork();
		if (pid == 0) {
			NewFile backup;
			WriteBookBackup(folder, dir / "book", oldBody, file_access::Private(),
				Sha256Of(newBody), &backup);
			backup.Keep();
			_exit(0);
		}
		waitpid(pid, nullptr, 0);
		book_backup backup;
		EXPECT_EQ(FindLeftBackup(dir / "book", Sha256Of(c.book), &backup), c.found) << c.what;
		if (c.found) {
			CVABook recovered(nullptr);
			ReadBookBackup(dir / "book", backup, &recovered);
			EXPECT_EQ(BookBodyBytes(&recovered), oldBody);
			EXPECT_EQ(recovered.FirstRecord()->Id(), old.FirstRecord()->Id()) << "its ids";
			unlink(backup.path.c_str());
		}
		EXPECT_EQ(dir.Names(), (Texts{".book.cvabids", ".book.lock", "book"})) << c.what;
	}
	close(folder);
}
