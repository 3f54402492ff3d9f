#include "StorageTestSupport.h"

#include <Directory.h>
#include <Entry.h>
#include <File.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

// Files: opening modes and what they allow, positions and sizes, and the ways to name
// a file. (The application writes its books through its own replacing file.)
TEST(File, CreateOverwriteAndModesRefuseWhatTheyDoNotAllow)
{
	TempDir dir;
	const std::string path = dir / "f";
	EXPECT_EQ(BFile(path.c_str(), B_READ_WRITE).InitCheck(), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(BFile(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE).Write("hello world", 11), 11);
	// Without erasing, writing starts over the old bytes and keeps the rest.
	ASSERT_EQ(BFile(path.c_str(), B_WRITE_ONLY).Write("HELLO", 5), 5);
	EXPECT_EQ(read_file(path), "HELLO world");
	// A read-only opening never erases.
	EXPECT_EQ(BFile(path.c_str(), B_READ_ONLY | B_ERASE_FILE).InitCheck(), B_OK);
	EXPECT_EQ(read_file(path), "HELLO world");

	// Each mode refuses what it does not allow, as the kernel does.
	write_file(path, "data");
	BFile reader(path.c_str(), B_READ_ONLY);
	ASSERT_EQ(reader.InitCheck(), B_OK);
	EXPECT_FALSE(reader.IsWritable());
	EXPECT_EQ(reader.Write("x", 1), B_FILE_ERROR);
	EXPECT_EQ(reader.WriteAt(0, "x", 1), B_FILE_ERROR);
	EXPECT_EQ(reader.SetSize(0), B_FILE_ERROR);
	EXPECT_EQ(read_file(path), "data");
	BFile writer(path.c_str(), B_WRITE_ONLY);
	EXPECT_FALSE(writer.IsReadable());
	char buffer[4];
	EXPECT_EQ(writer.Read(buffer, sizeof(buffer)), B_FILE_ERROR);
	EXPECT_EQ(writer.ReadAt(0, buffer, sizeof(buffer)), B_FILE_ERROR);
	EXPECT_EQ(BFile(dir.Path().c_str(), B_READ_ONLY).InitCheck(), B_IS_A_DIRECTORY);
}

TEST(File, PositionsSizesAndOpeningByRefEntryDirectoryAndThroughLinks)
{
	TempDir dir;
	BFile file((dir / "f").c_str(), B_READ_WRITE | B_CREATE_FILE);
	ASSERT_EQ(file.Write("0123456789", 10), 10);
	// ReadAt and WriteAt leave the position alone.
	ASSERT_EQ(file.WriteAt(0, "AB", 2), 2);
	char buffer[8] = {};
	ASSERT_EQ(file.ReadAt(0, buffer, 4), 4);
	EXPECT_STREQ(buffer, "AB23");
	EXPECT_EQ(file.Position(), 10);

	ASSERT_EQ(file.SetSize(100), B_OK);
	off_t size;
	ASSERT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 100);
	EXPECT_EQ(file.SetSize(-1), B_BAD_VALUE);

	// Opened by ref, through a link's entry, and relative to a directory.
	write_file(dir / "target", "through");
	ASSERT_EQ(symlink("target", (dir / "link").c_str()), 0);

	entry_ref ref;
	ASSERT_EQ(get_ref_for_path((dir / "new").c_str(), &ref), B_OK);
	BFile byRef(&ref, B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
	ASSERT_EQ(byRef.InitCheck(), B_OK);
	ASSERT_EQ(byRef.Write("r", 1), 1);
	EXPECT_EQ(read_file(dir / "new"), "r");

	BEntry linkEntry((dir / "link").c_str());
	BFile throughLink(&linkEntry, B_READ_ONLY);
	std::memset(buffer, 0, sizeof(buffer));
	ASSERT_EQ(throughLink.Read(buffer, sizeof(buffer) - 1), 7);
	EXPECT_STREQ(buffer, "through");

	BDirectory directory(dir.Path().c_str());
	BFile relative(&directory, "target", B_READ_ONLY);
	EXPECT_EQ(relative.InitCheck(), B_OK);

	// A copy has its own descriptor: closing one leaves the other usable.
	BFile copy(relative);
	relative.Unset();
	std::memset(buffer, 0, sizeof(buffer));
	EXPECT_EQ(copy.ReadAt(0, buffer, 3), 3);
	EXPECT_STREQ(buffer, "thr");
}
