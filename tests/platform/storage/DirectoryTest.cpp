#include "StorageTestSupport.h"

#include <Directory.h>
#include <Entry.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

// Directories: iterating, setting up and creating at every level. (Creating files and
// folders through a directory object, and looking inside by flavor, are not the
// application's.)
TEST(Directory, IteratesEveryEntryOnceWithoutDotsAndCreatesAtEveryMissingLevel)
{
	TempDir dir;
	write_file(dir / "a", "");
	write_file(dir / "b", "");
	ASSERT_EQ(mkdir((dir / "c").c_str(), 0755), 0);
	ASSERT_EQ(symlink("a", (dir / "d").c_str()), 0);

	BDirectory directory(dir.Path().c_str());
	ASSERT_EQ(directory.InitCheck(), B_OK);
	std::multiset<std::string> names;
	BEntry entry;
	for (char name[B_FILE_NAME_LENGTH]; directory.GetNextEntry(&entry) == B_OK;)
		names.insert(entry.GetName(name) == B_OK ? name : "<error>");
	EXPECT_EQ(names, (std::multiset<std::string>{"a", "b", "c", "d"}));

	// After a rewind the same entries come again, here as refs.
	ASSERT_EQ(directory.Rewind(), B_OK);
	std::multiset<std::string> refNames;
	entry_ref ref;
	while (directory.GetNextRef(&ref) == B_OK) {
		refNames.insert(ref.name);
		EXPECT_EQ(ref.DirectoryPath(), dir.Path());
	}
	EXPECT_EQ(refNames, names);

	// Traversing makes the link's entry name its target.
	BDirectory again(dir.Path().c_str());
	int files = 0;
	while (again.GetNextEntry(&entry, true) == B_OK)
		files += entry.IsFile() ? 1 : 0;
	EXPECT_EQ(files, 3);

	struct stat st;
	ASSERT_EQ(create_directory((dir / "x/y/z").c_str(), 0755), B_OK);
	EXPECT_TRUE(stat((dir / "x/y/z").c_str(), &st) == 0 && S_ISDIR(st.st_mode));
	EXPECT_EQ(create_directory((dir / "x/y/z").c_str(), 0755), B_OK);
	EXPECT_EQ(create_directory((dir.Path() + "//x/./w/").c_str(), 0755), B_OK);
	EXPECT_EQ(stat((dir / "x/w").c_str(), &st), 0);
	EXPECT_EQ(create_directory((dir / "a/sub").c_str(), 0755), B_NOT_A_DIRECTORY);
}

TEST(Directory, SettingUpNeedsAnExistingDirectoryThroughLinksOrRelativeToAnother)
{
	TempDir dir;
	write_file(dir / "file", "");
	ASSERT_EQ(symlink(dir.Path().c_str(), (dir / "self").c_str()), 0);
	EXPECT_EQ(BDirectory((dir / "file").c_str()).InitCheck(), B_NOT_A_DIRECTORY);
	EXPECT_EQ(BDirectory((dir / "missing").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
	BDirectory throughLink((dir / "self").c_str());
	ASSERT_EQ(throughLink.InitCheck(), B_OK);
	EXPECT_EQ(throughLink.CountEntries(), 2);

	BDirectory base(dir.Path().c_str());
	ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
	BDirectory relative(&base, "sub");
	ASSERT_EQ(relative.InitCheck(), B_OK);
	BEntry entry;
	ASSERT_EQ(relative.GetEntry(&entry), B_OK);
	EXPECT_STREQ(BPath(&entry).Path(), (dir / "sub").c_str());
}
