// Entries and refs: naming files that exist or not yet, equal refs for equal places,
// links and moving.
#include "StorageTestSupport.h"

#include <Directory.h>
#include <Entry.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

std::string PathOf(const BEntry& entry)
{
	BPath path;
	return entry.GetPath(&path) == B_OK ? path.Path() : "<error>";
}

std::string NameOf(const BEntry& entry)
{
	char name[B_FILE_NAME_LENGTH];
	return entry.GetName(name) == B_OK ? name : "<error>";
}

}  // namespace

TEST(Entry, RefsNameFilesThatExistOrNotYetAndEqualSpellingsGiveEqualRefs)
{
	TempDir dir;
	ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
	struct stat dirStat;
	ASSERT_EQ(stat(dir.Path().c_str(), &dirStat), 0);
	entry_ref missing, other;
	ASSERT_EQ(get_ref_for_path((dir / "a").c_str(), &missing), B_OK);
	EXPECT_EQ(missing.device, dirStat.st_dev);
	EXPECT_EQ(missing.directory, dirStat.st_ino);
	EXPECT_STREQ(missing.name, "a");
	BEntry entry(&missing);
	ASSERT_EQ(entry.InitCheck(), B_OK);
	EXPECT_FALSE(entry.Exists());
	write_file(dir / "a", "now");
	EXPECT_TRUE(entry.Exists());
	EXPECT_EQ(PathOf(entry), dir / "a");
	// The directory itself must exist.
	EXPECT_EQ(get_ref_for_path((dir / "no-dir/leaf").c_str(), &other), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(get_ref_for_path((dir / "a/leaf").c_str(), &other), B_NOT_A_DIRECTORY);
	EXPECT_EQ(get_ref_for_path("", &other), B_BAD_VALUE);

	for (const std::string& spelling : {dir / "./a", dir.Path() + "//a", dir / "sub/../a"}) {
		ASSERT_EQ(get_ref_for_path(spelling.c_str(), &other), B_OK);
		EXPECT_EQ(other, missing) << spelling;
	}
	// A relative path counts from the current directory.
	ASSERT_EQ(chdir((dir / "sub").c_str()), 0);
	ASSERT_EQ(get_ref_for_path("../a", &other), B_OK);
	EXPECT_EQ(other, missing);
}

TEST(Entry, LinksAreFollowedOnlyWhenTraversingAndEntriesMove)
{
	TempDir dir;
	ASSERT_EQ(mkdir((dir / "real").c_str(), 0755), 0);
	write_file(dir / "real/target", "data");
	ASSERT_EQ(symlink("real/target", (dir / "link").c_str()), 0);
	ASSERT_EQ(symlink((dir / "link").c_str(), (dir / "link2").c_str()), 0);
	ASSERT_EQ(symlink("real", (dir / "dirlink").c_str()), 0);
	BEntry asLink((dir / "link2").c_str(), false);
	EXPECT_TRUE(asLink.IsSymLink());
	EXPECT_EQ(NameOf(asLink), "link2");
	// Two links deep, the second relative to its own directory.
	BEntry traversed((dir / "link2").c_str(), true);
	EXPECT_TRUE(traversed.IsFile());
	EXPECT_EQ(PathOf(traversed), dir / "real/target");
	// Links among the directories are always resolved; the leaf only on request.
	EXPECT_EQ(PathOf(BEntry((dir / "dirlink/target").c_str())), dir / "real/target");
	ASSERT_EQ(symlink("gone", (dir / "dangling").c_str()), 0);
	BEntry dangling((dir / "dangling").c_str(), true);
	ASSERT_EQ(dangling.InitCheck(), B_OK);
	EXPECT_FALSE(dangling.Exists());
	EXPECT_EQ(NameOf(dangling), "gone");
	ASSERT_EQ(symlink("loop-b", (dir / "loop-a").c_str()), 0);
	ASSERT_EQ(symlink("loop-a", (dir / "loop-b").c_str()), 0);
	EXPECT_EQ(BEntry((dir / "loop-a").c_str(), true).InitCheck(), B_LINK_LIMIT);
	EXPECT_EQ(BEntry((dir / "loop-a").c_str(), false).InitCheck(), B_OK);

	// Moving onto an existing name is refused unless asked for.
	write_file(dir / "a", "first");
	write_file(dir / "real/taken", "second");
	BEntry entry((dir / "a").c_str());
	BDirectory real((dir / "real").c_str());
	EXPECT_EQ(entry.MoveTo(&real, "taken"), B_FILE_EXISTS);
	ASSERT_EQ(entry.MoveTo(&real, "moved"), B_OK);
	EXPECT_EQ(NameOf(entry), "moved");
	EXPECT_EQ(read_file(dir / "real/moved"), "first");
	ASSERT_EQ(entry.MoveTo(&real, "taken", true), B_OK);
	EXPECT_EQ(read_file(dir / "real/taken"), "first");
}
