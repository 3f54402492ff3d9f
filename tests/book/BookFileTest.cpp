// The book on disk: what a save writes (body, both attributes, the freedesktop
// type) and keeps (other attributes, permissions, a link to the book), that a
// failing save leaves the old file exactly as it was and says why, how files are
// read back (typed, typeless, through a link, read-only, with what they cannot
// keep), and storing the frame alone.
#include "BookTestSupport.h"
#include "FileTestSupport.h"

#include <BookFile.h>

#include <Entry.h>
#include <Node.h>
#include <TypeConstants.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace {

// The attribute's bytes and, after a "/", its type code as a number; "<none>".
std::string Attribute(const std::string& path, const char* name)
{
	BNode node(path.c_str());
	attr_info info;
	if (node.GetAttrInfo(name, &info) != B_OK)
		return "<none>";
	std::string value(static_cast<size_t>(info.size), '\0');
	node.ReadAttr(name, info.type, 0, value.data(), value.size());
	return value + "/" + std::to_string(info.type);
}

std::string Typed(const std::string& value, type_code type)
{
	return value + "/" + std::to_string(type);
}

void SetAttribute(const std::string& path, const char* name, type_code type,
	const std::string& value)
{
	BNode node(path.c_str());
	ASSERT_EQ(node.WriteAttr(name, type, 0, value.data(), value.size()),
		static_cast<ssize_t>(value.size()));
}

// A book of count records, each with a nickname and a long comment.
void FillBook(CVABook& book, int count)
{
	for (int i = 0; i < count; i++)
		AddRecord(book, std::string(40, 'c').c_str(), kCommentsField)
			->SetField(kNicknameField, ("nick" + std::to_string(i)).c_str());
}

const book_frame kFrame{10.0f, 20.0f, 410.5f, 320.0f};

std::string FrameBytes()
{
	uint8 frame[kFrameAttrSize];
	EncodeFrame(kFrame, frame);
	return std::string(reinterpret_cast<char*>(frame), sizeof(frame));
}

}  // namespace

TEST(BookFileTest, SaveWritesBodyAndAttributesAndKeepsTheOldFilesOthers)
{
	ScratchDir dir;
	WriteContents(dir / "book", "old\n");
	SetAttribute(dir / "book", "Meta:Rating", B_INT32_TYPE, std::string("\x05\0\0\0", 4));
	SetAttribute(dir / "book", kTypeAttrName, B_MIME_STRING_TYPE, "text/plain");
	ASSERT_EQ(setxattr((dir / "book").c_str(), "user.mime_type", "text/plain", 10, 0), 0);
	chmod((dir / "book").c_str(), 0640);

	CVABook book(nullptr);
	AddRecord(book, "joe")->SetField(kEmail1Field, "joe@example.com");
	AddRecord(book, "");
	const entry_ref ref = RefFor(dir / "book");
	std::string saved;
	ASSERT_EQ(SaveBookFile(&ref, &book, kFrame, &saved), B_OK);
	EXPECT_EQ(saved, dir / "book");
	EXPECT_EQ(Contents(dir / "book"), BookBodyBytes(&book));
	EXPECT_EQ(Attribute(dir / "book", kTypeAttrName),
		Typed(std::string(kBookFileType, kBookFileTypeSize), B_MIME_STRING_TYPE));
	EXPECT_EQ(Attribute(dir / "book", kFrameAttrName), Typed(FrameBytes(), B_RECT_TYPE));
	EXPECT_EQ(Attribute(dir / "book", "Meta:Rating"),
		Typed(std::string("\x05\0\0\0", 4), B_INT32_TYPE));
	// The freedesktop type is the plain string other programs read, replaced
	// rather than copied from the old file.
	char mime[64] = {};
	EXPECT_EQ(getxattr((dir / "book").c_str(), "user.mime_type", mime, sizeof(mime)),
		static_cast<ssize_t>(strlen(kBookFileType)));
	EXPECT_STREQ(mime, kBookFileType);
	struct stat info;
	ASSERT_EQ(stat((dir / "book").c_str(), &info), 0);
	EXPECT_EQ(info.st_mode & 07777, 0640u);
	// Beside it: the records' ids and the lock every saver takes.
	EXPECT_EQ(dir.Names(), (Texts{".book.cvabids", ".book.lock", "book"}));

	book_frame read;
	ASSERT_EQ(ReadBookFrame(&ref, &read), B_OK);
	EXPECT_EQ(read.right, 410.5f);
	EXPECT_EQ(read.bottom, 320.0f);
	RecordingOwner owner;
	CVABook again(&owner);
	ASSERT_EQ(LoadBookFile(&ref, &again, nullptr), B_OK);
	EXPECT_EQ(BookBodyBytes(&again), BookBodyBytes(&book));
	EXPECT_EQ(owner.lockDepth, 0);

	// A book saved where no file was before.
	const entry_ref fresh = RefFor(dir / "fresh");
	ASSERT_EQ(SaveBookFile(&fresh, &book, kFrame, nullptr), B_OK);
	EXPECT_EQ(Contents(dir / "fresh"), BookBodyBytes(&book));
}

TEST(BookFileTest, AFailingSaveLeavesTheOldFileAndSaysWhy)
{
	const struct {
		const char* why;
		mode_t fileMode;
		mode_t dirMode;
		bool limitSize;  // the body is far larger than the files the child may write
		status_t status;
	} cases[] = {
		{"half-way", 0644, 0700, true, B_FILE_TOO_LARGE},
		{"in a read-only folder", 0666, 0555, false, B_PERMISSION_DENIED},
		{"over a file we may not write", 0444, 0777, false, B_PERMISSION_DENIED},
	};
	for (const auto& c : cases) {
		ScratchDir dir;
		const std::string oldBody = "old\tbook\n";
		WriteContents(dir / "book", oldBody);
		SetAttribute(dir / "book", kTypeAttrName, B_MIME_STRING_TYPE, "text/plain");
		chmod((dir / "book").c_str(), c.fileMode);
		chmod(dir.Path().c_str(), c.dirMode);
		const int result = InChild([&] {
			if (c.limitSize) {
				signal(SIGXFSZ, SIG_IGN);
				const struct rlimit limit = {4096, 4096};
				setrlimit(RLIMIT_FSIZE, &limit);
			}
			CVABook book(nullptr);
			FillBook(book, 200);
			const entry_ref ref = RefFor(dir / "book");
			return SaveBookFile(&ref, &book, kFrame, nullptr) == c.status ? 0 : 1;
		}, !c.limitSize);
		chmod(dir.Path().c_str(), 0700);
		EXPECT_EQ(result, 0) << c.why << ": the save should have reported why it failed";
		EXPECT_EQ(Contents(dir / "book"), oldBody) << c.why;
		EXPECT_EQ(Attribute(dir / "book", kTypeAttrName),
			Typed("text/plain", B_MIME_STRING_TYPE)) << c.why;
		EXPECT_EQ(Attribute(dir / "book", kFrameAttrName), "<none>") << c.why;
		// Only the lock file may stay: it is never removed.
		Texts names = dir.Names();
		std::erase(names, ".book.lock");
		EXPECT_EQ(names, Texts{"book"}) << c.why << ": a new file was left behind";
	}

	// Through the errno mapping, as a failed save reports them.
	const std::pair<int, const char*> causes[] = {
		{ENOSPC, "the disk is full"}, {EFBIG, "the file is too large"},
		{EACCES, "permission was denied"}, {EPERM, "permission was denied"},
		{EROFS, "the disk is read-only"}, {ENOENT, "the folder does not exist"},
		{ENAMETOOLONG, "the name is too long"}, {EIO, "an input/output error occurred"},
	};
	for (const auto& [error, cause] : causes)
		EXPECT_STREQ(DescribeFileError(status_from_errno(error)), cause) << error;
	EXPECT_STREQ(DescribeFileError(B_NOT_ALLOWED), "permission was denied");
	EXPECT_STREQ(DescribeFileError(B_ERROR), "an input/output error occurred");
}

TEST(BookFileTest, LayoutFollowsTheTypeOrWithoutOneTheBodyLossesAreReportedReadOnlyIsRead)
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
		Texts fields;
		for (int32 field = 0; field < 4; field++)
			fields.push_back(book.FirstRecord() ? book.FirstRecord()->Field(field) : "?");
		return fields;
	};
	EXPECT_EQ(firstRecord("typed", full, kBookFileType), (Texts{"joe", "", "", ""}));
	EXPECT_EQ(firstRecord("orig", full, kOriginalBookFileType), (Texts{"", "joe", "", ""}));
	EXPECT_EQ(firstRecord("lost", full + full, nullptr), (Texts{"joe", "", "", ""}));
	EXPECT_EQ(firstRecord("text", "a\tb\tc\n", nullptr), (Texts{"", "a", "b", "c"}));

	// A missing file reads as an empty book but still gives its path.
	CVABook book(nullptr);
	entry_ref ref = RefFor(dir / "nothing");
	std::string path;
	EXPECT_NE(LoadBookFile(&ref, &book, &path), B_OK);
	EXPECT_EQ(book.CountRecords(), 0);
	EXPECT_EQ(path, dir / "nothing");

	WriteContents(dir / "lossy", std::string(41, 'x') + "\n" + std::string("a\0b", 3));
	ref = RefFor(dir / "lossy");
	book_read_losses losses;
	ASSERT_EQ(LoadBookFile(&ref, &book, nullptr, &losses), B_OK);
	EXPECT_EQ(losses.cutFields, 1);
	EXPECT_TRUE(losses.stoppedAtNul);

	// A file we may only read is still read.
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

TEST(BookFileTest, ALinkIsFollowedAndTheFrameAloneChangesNothingElse)
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
	EXPECT_EQ(Attribute(dir / "real/book", kFrameAttrName), Typed(FrameBytes(), B_RECT_TYPE));
	struct stat after;
	ASSERT_EQ(stat((dir / "real/book").c_str(), &after), 0);
	EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
	EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
	EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
	EXPECT_EQ(Contents(dir / "real/book"), body);
	EXPECT_EQ(Attribute(dir / "real/book", kTypeAttrName), Typed("text/plain", B_MIME_STRING_TYPE));
	EXPECT_EQ(Attribute(dir / "real/book", "Meta:Rating"), Typed("\x05\x01\x02\x03", B_INT32_TYPE));

	// A whole save through the link replaces its target and keeps the link.
	CVABook book(nullptr);
	FillBook(book, 2);
	std::string saved;
	ASSERT_EQ(SaveBookFile(&ref, &book, kFrame, &saved), B_OK);
	EXPECT_EQ(saved, dir / "real/book");
	char target[256] = {};
	ASSERT_GT(readlink((dir / "link").c_str(), target, sizeof(target) - 1), 0);
	EXPECT_STREQ(target, "real/book");
	EXPECT_EQ(Contents(dir / "real/book"), BookBodyBytes(&book));
	EXPECT_EQ(dir.Names(), (Texts{"link", "real"}));
	// Read back through the link, the type attribute still gives 21 columns.
	CVABook again(nullptr);
	std::string read;
	ASSERT_EQ(LoadBookFile(&ref, &again, &read), B_OK);
	EXPECT_EQ(read, dir / "real/book");
	EXPECT_STREQ(again.RecordAt(1)->Field(kNicknameField), "nick1");

	unlink((dir / "real/book").c_str());
	EXPECT_EQ(SaveBookFrame(&ref, kFrame), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(dir.Names(), (Texts{"link", "real"}));
	EXPECT_NE(access((dir / "real/book").c_str(), F_OK), 0) << "a gone file is not made again";
}
