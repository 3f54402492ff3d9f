// The book on disk: what a save writes (body, both attributes, the
// freedesktop type), what it keeps
// (other attributes, permissions, a link to the book), that a failing save
// leaves the old file exactly as it was and says why, how files are read back:
// typed, typeless, through a link, and read-only, with what they cannot keep,
// and storing the frame alone.
#include "BookTestSupport.h"

#include <BookFile.h>

#include <Entry.h>
#include <Node.h>
#include <TypeConstants.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// A fresh directory, its real path, removed with its contents.
class ScratchDir {
public:
	ScratchDir()
	{
		char pattern[] = "/tmp/cvab-book-XXXXXX";
		char resolved[4096];
		const char* made = mkdtemp(pattern);
		fPath = made != nullptr && realpath(made, resolved) != nullptr ? resolved : "";
	}
	~ScratchDir()
	{
		chmod(fPath.c_str(), 0700);
		nftw(fPath.c_str(), [](const char* path, const struct stat*, int, struct FTW*) {
			return remove(path);
		}, 16, FTW_DEPTH | FTW_PHYS);
	}
	std::string operator/(const std::string& leaf) const { return fPath + "/" + leaf; }
	const std::string& Path() const { return fPath; }

	std::vector<std::string> Names() const
	{
		std::vector<std::string> names;
		DIR* dir = opendir(fPath.c_str());
		while (dirent* entry = readdir(dir))
			names.push_back(entry->d_name);
		closedir(dir);
		std::sort(names.begin(), names.end());
		return {names.begin() + 2, names.end()};  // after "." and ".."
	}

private:
	std::string fPath;
};

entry_ref RefFor(const std::string& path)
{
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
	return ref;
}

std::string Contents(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream bytes;
	bytes << in.rdbuf();
	return bytes.str();
}

void WriteContents(const std::string& path, const std::string& bytes)
{
	std::ofstream(path, std::ios::binary) << bytes;
}

std::string Attribute(const std::string& path, const char* name, type_code* type = nullptr)
{
	BNode node(path.c_str());
	attr_info info;
	if (node.GetAttrInfo(name, &info) != B_OK)
		return "<none>";
	std::string value(static_cast<size_t>(info.size), '\0');
	node.ReadAttr(name, info.type, 0, value.data(), value.size());
	if (type != nullptr)
		*type = info.type;
	return value;
}

void SetAttribute(const std::string& path, const char* name, type_code type,
	const std::string& value)
{
	BNode node(path.c_str());
	ASSERT_EQ(node.WriteAttr(name, type, 0, value.data(), value.size()),
		static_cast<ssize_t>(value.size()));
}

// A book of count records, each with a nickname and a long comment.
void FillBook(CVABook& book, int count, const char* prefix = "nick")
{
	for (int i = 0; i < count; i++) {
		ABookRecord* record = AddRecord(book, (prefix + std::to_string(i)).c_str());
		record->SetField(kCommentsField, std::string(40, 'c').c_str());
	}
}

// Runs body in a child process, as an unprivileged user when we are root, and
// returns its exit code.
int InChild(const std::function<int()>& body, bool unprivileged)
{
	const pid_t pid = fork();
	if (pid == 0) {
		if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
			_exit(99);
		_exit(body());
	}
	int status = 0;
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

const book_frame kFrame{10.0f, 20.0f, 410.5f, 320.0f};

}  // namespace

// --- what a save writes

TEST(BookFileTest, SaveWritesTheBodyAndBothAttributes)
{
	ScratchDir dir;
	CVABook book(nullptr);
	AddRecord(book, "joe")->SetField(kEmail1Field, "joe@example.com");
	AddRecord(book, "");
	const entry_ref ref = RefFor(dir / "book");
	std::string saved;
	ASSERT_EQ(SaveBookFile(&ref, &book, kFrame, &saved), B_OK);
	EXPECT_EQ(saved, dir / "book");

	EXPECT_EQ(Contents(dir / "book"), BookBodyBytes(&book));
	type_code type = 0;
	EXPECT_EQ(Attribute(dir / "book", kTypeAttrName, &type),
		std::string(kBookFileType, kBookFileTypeSize));
	EXPECT_EQ(type, static_cast<type_code>(B_MIME_STRING_TYPE));
	uint8 frame[kFrameAttrSize];
	EncodeFrame(kFrame, frame);
	EXPECT_EQ(Attribute(dir / "book", kFrameAttrName, &type),
		std::string(reinterpret_cast<char*>(frame), sizeof(frame)));
	EXPECT_EQ(type, static_cast<type_code>(B_RECT_TYPE));
	EXPECT_EQ(dir.Names(), std::vector<std::string>{"book"});

	book_frame read;
	ASSERT_EQ(ReadBookFrame(&ref, &read), B_OK);
	EXPECT_EQ(read.right, 410.5f);
	EXPECT_EQ(read.bottom, 320.0f);

	RecordingOwner owner;
	CVABook again(&owner);
	ASSERT_EQ(LoadBookFile(&ref, &again, nullptr), B_OK);
	EXPECT_EQ(BookBodyBytes(&again), BookBodyBytes(&book));
	EXPECT_EQ(owner.lockDepth, 0);
}

// --- what a save keeps

TEST(BookFileTest, SaveKeepsOtherAttributesAndPermissions)
{
	ScratchDir dir;
	WriteContents(dir / "book", "old\n");
	SetAttribute(dir / "book", "Meta:Rating", B_INT32_TYPE, std::string("\x05\0\0\0", 4));
	SetAttribute(dir / "book", kTypeAttrName, B_MIME_STRING_TYPE, "text/plain");
	ASSERT_EQ(setxattr((dir / "book").c_str(), "user.mime_type", "text/plain", 10, 0), 0);
	chmod((dir / "book").c_str(), 0640);

	CVABook book(nullptr);
	FillBook(book, 3);
	const entry_ref ref = RefFor(dir / "book");
	ASSERT_EQ(SaveBookFile(&ref, &book, kFrame, nullptr), B_OK);

	type_code type = 0;
	EXPECT_EQ(Attribute(dir / "book", "Meta:Rating", &type), std::string("\x05\0\0\0", 4));
	EXPECT_EQ(type, static_cast<type_code>(B_INT32_TYPE));
	EXPECT_EQ(Attribute(dir / "book", kTypeAttrName),
		std::string(kBookFileType, kBookFileTypeSize));
	// The freedesktop type is the plain string other programs read, replaced
	// rather than copied from the old file.
	char mime[64] = {};
	EXPECT_EQ(getxattr((dir / "book").c_str(), "user.mime_type", mime, sizeof(mime)),
		static_cast<ssize_t>(strlen(kBookFileType)));
	EXPECT_STREQ(mime, kBookFileType);
	struct stat info;
	ASSERT_EQ(stat((dir / "book").c_str(), &info), 0);
	EXPECT_EQ(info.st_mode & 07777, 0640u);
	EXPECT_EQ(Contents(dir / "book"), BookBodyBytes(&book));
}

TEST(BookFileTest, SaveThroughALinkReplacesItsTarget)
{
	ScratchDir dir;
	mkdir((dir / "real").c_str(), 0755);
	WriteContents(dir / "real/book", "old\n");
	ASSERT_EQ(symlink("real/book", (dir / "link").c_str()), 0);

	CVABook book(nullptr);
	FillBook(book, 2);
	const entry_ref ref = RefFor(dir / "link");
	std::string saved;
	ASSERT_EQ(SaveBookFile(&ref, &book, kFrame, &saved), B_OK);
	EXPECT_EQ(saved, dir / "real/book");

	char target[256] = {};
	ASSERT_GT(readlink((dir / "link").c_str(), target, sizeof(target) - 1), 0);
	EXPECT_STREQ(target, "real/book");
	EXPECT_EQ(Contents(dir / "real/book"), BookBodyBytes(&book));
	EXPECT_EQ(dir.Names(), (std::vector<std::string>{"link", "real"}));

	// Read back through the link, the type attribute still gives 21 columns.
	CVABook again(nullptr);
	std::string read;
	ASSERT_EQ(LoadBookFile(&ref, &again, &read), B_OK);
	EXPECT_EQ(read, dir / "real/book");
	EXPECT_STREQ(again.RecordAt(1)->Field(kNicknameField), "nick1");
}

// --- a failing save

namespace {

void ExpectUntouched(const ScratchDir& dir, const std::string& body)
{
	EXPECT_EQ(Contents(dir / "book"), body);
	EXPECT_EQ(Attribute(dir / "book", kTypeAttrName), "text/plain");
	EXPECT_EQ(Attribute(dir / "book", kFrameAttrName), "<none>");
	EXPECT_EQ(dir.Names(), std::vector<std::string>{"book"}) << "a new file was left behind";
}

}  // namespace

TEST(BookFileTest, SaveFailingHalfWayLeavesTheOldFile)
{
	ScratchDir dir;
	const std::string oldBody = "old\tbook\n";
	WriteContents(dir / "book", oldBody);
	SetAttribute(dir / "book", kTypeAttrName, B_MIME_STRING_TYPE, "text/plain");

	// The body is far larger than the files this child may write.
	const int result = InChild([&] {
		signal(SIGXFSZ, SIG_IGN);
		const struct rlimit limit = {4096, 4096};
		setrlimit(RLIMIT_FSIZE, &limit);
		CVABook book(nullptr);
		FillBook(book, 200);
		const entry_ref ref = RefFor(dir / "book");
		return SaveBookFile(&ref, &book, kFrame, nullptr) == B_FILE_TOO_LARGE ? 0 : 1;
	}, false);
	EXPECT_EQ(result, 0) << "the save should have reported the size limit";
	ExpectUntouched(dir, oldBody);
}

TEST(BookFileTest, SaveIntoAReadOnlyFolderFailsAndLeavesTheOldFile)
{
	ScratchDir dir;
	const std::string oldBody = "old\tbook\n";
	WriteContents(dir / "book", oldBody);
	SetAttribute(dir / "book", kTypeAttrName, B_MIME_STRING_TYPE, "text/plain");
	chmod((dir / "book").c_str(), 0666);
	chmod(dir.Path().c_str(), 0555);

	const int result = InChild([&] {
		CVABook book(nullptr);
		FillBook(book, 5);
		const entry_ref ref = RefFor(dir / "book");
		return SaveBookFile(&ref, &book, kFrame, nullptr) != B_OK ? 0 : 1;
	}, true);
	chmod(dir.Path().c_str(), 0700);
	EXPECT_EQ(result, 0) << "the save should have reported its failure";
	ExpectUntouched(dir, oldBody);
}

TEST(BookFileTest, SaveDoesNotReplaceAFileWeMayNotWrite)
{
	ScratchDir dir;
	const std::string oldBody = "old\tbook\n";
	WriteContents(dir / "book", oldBody);
	SetAttribute(dir / "book", kTypeAttrName, B_MIME_STRING_TYPE, "text/plain");
	chmod((dir / "book").c_str(), 0444);
	chmod(dir.Path().c_str(), 0777);

	const int result = InChild([&] {
		CVABook book(nullptr);
		FillBook(book, 5);
		const entry_ref ref = RefFor(dir / "book");
		return SaveBookFile(&ref, &book, kFrame, nullptr) == B_PERMISSION_DENIED ? 0 : 1;
	}, true);
	EXPECT_EQ(result, 0) << "the save should have been refused";
	ExpectUntouched(dir, oldBody);
}

// --- reading

TEST(BookFileTest, ReadOnlyFileIsStillRead)
{
	ScratchDir dir;
	chmod(dir.Path().c_str(), 0755);
	WriteContents(dir / "book", "ann" + std::string(20, '\t') + "\nbob" + std::string(20, '\t') + "\n");
	SetAttribute(dir / "book", kTypeAttrName, B_MIME_STRING_TYPE,
		std::string(kBookFileType, kBookFileTypeSize));
	chmod((dir / "book").c_str(), 0444);

	const int records = InChild([&] {
		CVABook book(nullptr);
		const entry_ref ref = RefFor(dir / "book");
		if (LoadBookFile(&ref, &book, nullptr) != B_OK)
			return 100;
		return strcmp(book.RecordAt(1)->Field(kNicknameField), "bob") == 0
			? book.CountRecords() : 101;
	}, true);
	EXPECT_EQ(records, 2);
}

TEST(BookFileTest, LayoutFollowsTheTypeAndWithoutOneTheBody)
{
	ScratchDir dir;
	const std::string full = "joe" + std::string(20, '\t') + "\n";
	auto firstRecord = [&](const std::string& leaf, const std::string& body,
		const char* type) {
		WriteContents(dir / leaf, body);
		if (type != nullptr)
			SetAttribute(dir / leaf, kTypeAttrName, B_MIME_STRING_TYPE, std::string(type) + '\0');
		CVABook book(nullptr);
		const entry_ref ref = RefFor(dir / leaf);
		EXPECT_EQ(LoadBookFile(&ref, &book, nullptr), B_OK);
		std::vector<std::string> fields;
		for (int32 field = 0; field < 4; field++)
			fields.push_back(book.FirstRecord() ? book.FirstRecord()->Field(field) : "?");
		return fields;
	};
	using F = std::vector<std::string>;
	EXPECT_EQ(firstRecord("typed", full, kBookFileType), (F{"joe", "", "", ""}));
	EXPECT_EQ(firstRecord("orig", full, kOriginalBookFileType), (F{"", "joe", "", ""}));
	EXPECT_EQ(firstRecord("lost", full + full, nullptr), (F{"joe", "", "", ""}));
	EXPECT_EQ(firstRecord("text", "a\tb\tc\n", nullptr), (F{"", "a", "b", "c"}));
	EXPECT_EQ(firstRecord("plain", full, "text/plain"), (F{"", "joe", "", ""}));

	// A missing file reads as an empty book but still gives its path.
	CVABook book(nullptr);
	const entry_ref ref = RefFor(dir / "nothing");
	std::string path;
	EXPECT_NE(LoadBookFile(&ref, &book, &path), B_OK);
	EXPECT_EQ(book.CountRecords(), 0);
	EXPECT_EQ(path, dir / "nothing");
}

TEST(BookFileTest, LoadReportsWhatTheBookCannotKeep)
{
	ScratchDir dir;
	WriteContents(dir / "book", std::string(41, 'x') + "\n" + std::string("a\0b", 3));
	CVABook book(nullptr);
	const entry_ref ref = RefFor(dir / "book");
	book_read_losses losses;
	ASSERT_EQ(LoadBookFile(&ref, &book, nullptr, &losses), B_OK);
	EXPECT_EQ(losses.cutFields, 1);
	EXPECT_TRUE(losses.stoppedAtNul);
}

// --- the frame alone

TEST(BookFileTest, SaveBookFrameChangesOnlyTheFrame)
{
	ScratchDir dir;
	mkdir((dir / "real").c_str(), 0755);
	const std::string body = "ann" + std::string(20, '\t') + "\n";
	WriteContents(dir / "real/book", body);
	SetAttribute(dir / "real/book", kTypeAttrName, B_MIME_STRING_TYPE, "text/plain");
	SetAttribute(dir / "real/book", "Meta:Rating", B_INT32_TYPE, "\x05\x01\x02\x03");
	ASSERT_EQ(symlink("real/book", (dir / "link").c_str()), 0);
	struct stat before;
	ASSERT_EQ(stat((dir / "real/book").c_str(), &before), 0);

	const entry_ref ref = RefFor(dir / "link");
	ASSERT_EQ(SaveBookFrame(&ref, kFrame), B_OK);
	book_frame read;
	ASSERT_EQ(ReadBookFrame(&ref, &read), B_OK);
	EXPECT_EQ(read.left, kFrame.left);
	EXPECT_EQ(read.right, kFrame.right);
	type_code type = 0;
	Attribute(dir / "real/book", kFrameAttrName, &type);
	EXPECT_EQ(type, static_cast<type_code>(B_RECT_TYPE));

	struct stat after;
	ASSERT_EQ(stat((dir / "real/book").c_str(), &after), 0);
	EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
	EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
	EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
	EXPECT_EQ(Contents(dir / "real/book"), body);
	EXPECT_EQ(Attribute(dir / "real/book", kTypeAttrName), "text/plain");
	EXPECT_EQ(Attribute(dir / "real/book", "Meta:Rating"), "\x05\x01\x02\x03");

	unlink((dir / "real/book").c_str());
	EXPECT_EQ(SaveBookFrame(&ref, kFrame), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(dir.Names(), (std::vector<std::string>{"link", "real"}));
	EXPECT_NE(access((dir / "real/book").c_str(), F_OK), 0) << "a gone file is not made again";
}

TEST(BookFileTest, FileErrorsReadAsTheirCause)
{
	// Through the errno mapping, as a failed save reports them.
	EXPECT_STREQ(DescribeFileError(status_from_errno(ENOSPC)), "the disk is full");
	EXPECT_STREQ(DescribeFileError(status_from_errno(EFBIG)), "the file is too large");
	EXPECT_STREQ(DescribeFileError(status_from_errno(EACCES)), "permission was denied");
	EXPECT_STREQ(DescribeFileError(status_from_errno(EPERM)), "permission was denied");
	EXPECT_STREQ(DescribeFileError(status_from_errno(EROFS)), "the disk is read-only");
	EXPECT_STREQ(DescribeFileError(status_from_errno(ENOENT)), "the folder does not exist");
	EXPECT_STREQ(DescribeFileError(status_from_errno(ENAMETOOLONG)), "the name is too long");
	EXPECT_STREQ(DescribeFileError(status_from_errno(EIO)), "an input/output error occurred");
	EXPECT_STREQ(DescribeFileError(B_NOT_ALLOWED), "permission was denied");
	EXPECT_STREQ(DescribeFileError(B_ERROR), "an input/output error occurred");
}
