#include "StorageTestSupport.h"

#include <Directory.h>
#include <Entry.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <cstring>
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

// Entries and refs: naming files that exist or not yet, equal refs for equal places,
// links, parents, renaming, moving and removing.
TEST(Entry, RefsNameExistingAndNotYetExistingFiles)
{
	TempDir dir;
	write_file(dir / "there", "x");
	struct stat dirStat;
	ASSERT_EQ(stat(dir.Path().c_str(), &dirStat), 0);

	entry_ref existing, missing;
	ASSERT_EQ(get_ref_for_path((dir / "there").c_str(), &existing), B_OK);
	ASSERT_EQ(get_ref_for_path((dir / "not-yet").c_str(), &missing), B_OK);
	EXPECT_EQ(existing.device, dirStat.st_dev);
	EXPECT_EQ(existing.directory, dirStat.st_ino);
	EXPECT_STREQ(existing.name, "there");
	EXPECT_STREQ(missing.name, "not-yet");
	EXPECT_EQ(missing.DirectoryPath(), dir.Path());

	BEntry missingEntry(&missing);
	ASSERT_EQ(missingEntry.InitCheck(), B_OK);
	EXPECT_FALSE(missingEntry.Exists());
	write_file(dir / "not-yet", "now");
	EXPECT_TRUE(missingEntry.Exists());
	EXPECT_EQ(PathOf(missingEntry), dir / "not-yet");

	// The directory itself must exist.
	entry_ref nowhere;
	EXPECT_EQ(get_ref_for_path((dir / "no-dir/leaf").c_str(), &nowhere), B_ENTRY_NOT_FOUND);
	write_file(dir / "plain", "");
	EXPECT_EQ(get_ref_for_path((dir / "plain/leaf").c_str(), &nowhere), B_NOT_A_DIRECTORY);
	EXPECT_EQ(get_ref_for_path("", &nowhere), B_BAD_VALUE);
}

TEST(Entry, SpellingsOfOnePlaceGiveEqualRefsAndParentsLeadToTheRoot)
{
	TempDir dir;
	ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
	entry_ref plain, other;
	ASSERT_EQ(get_ref_for_path((dir / "a").c_str(), &plain), B_OK);
	for (const std::string& spelling : {dir / "./a", dir.Path() + "//a", dir / "sub/../a"}) {
		ASSERT_EQ(get_ref_for_path(spelling.c_str(), &other), B_OK);
		EXPECT_EQ(other, plain) << spelling;
	}
	EXPECT_EQ(BEntry(&plain), BEntry((dir / "sub/../a").c_str()));

	// Entry and node agree on which node a directory is.
	node_ref fromEntry, fromNode;
	ASSERT_EQ(BEntry((dir / "sub").c_str()).GetNodeRef(&fromEntry), B_OK);
	ASSERT_EQ(BDirectory((dir / "sub/.").c_str()).GetNodeRef(&fromNode), B_OK);
	EXPECT_EQ(fromEntry, fromNode);
	EXPECT_EQ(BEntry((dir / "a").c_str()).GetNodeRef(&fromEntry), B_ENTRY_NOT_FOUND);

	// A relative path counts from the current directory.
	ASSERT_EQ(chdir((dir / "sub").c_str()), 0);
	ASSERT_EQ(get_ref_for_path("../a", &other), B_OK);
	EXPECT_EQ(other, plain);

	// Parents up to the root.
	BEntry parent;
	ASSERT_EQ(BEntry((dir / "sub").c_str()).GetParent(&parent), B_OK);
	EXPECT_EQ(PathOf(parent), dir.Path());
	BDirectory parentDirectory;
	ASSERT_EQ(BEntry((dir / "sub").c_str()).GetParent(&parentDirectory), B_OK);
	EXPECT_TRUE(parentDirectory.Contains("sub"));
	BEntry root("/");
	EXPECT_EQ(PathOf(root), "/");
	EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(parent.InitCheck(), B_NO_INIT);
}

TEST(Entry, LinksAreFollowedOnlyWhenTraversing)
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
}

TEST(Entry, RenameMoveAndRemove)
{
	TempDir dir;
	write_file(dir / "a", "first");
	write_file(dir / "b", "second");
	ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);

	BEntry entry((dir / "a").c_str());
	EXPECT_EQ(entry.Rename("b"), B_FILE_EXISTS);
	EXPECT_EQ(read_file(dir / "b"), "second");
	ASSERT_EQ(entry.Rename("c"), B_OK);
	EXPECT_EQ(read_file(dir / "c"), "first");
	EXPECT_EQ(NameOf(entry), "c");

	ASSERT_EQ(entry.Rename("b", true), B_OK);
	EXPECT_EQ(read_file(dir / "b"), "first");

	BDirectory sub((dir / "sub").c_str());
	ASSERT_EQ(entry.MoveTo(&sub), B_OK);
	EXPECT_EQ(read_file(dir / "sub/b"), "first");
	ASSERT_EQ(entry.MoveTo(&sub, "renamed"), B_OK);
	EXPECT_EQ(read_file(dir / "sub/renamed"), "first");

	BEntry subEntry((dir / "sub").c_str());
	EXPECT_EQ(subEntry.Remove(), B_DIRECTORY_NOT_EMPTY);
	ASSERT_EQ(entry.Remove(), B_OK);
	EXPECT_FALSE(entry.Exists());
	ASSERT_EQ(subEntry.Remove(), B_OK);
	EXPECT_FALSE(subEntry.Exists());
	EXPECT_EQ(BEntry().Remove(), B_NO_INIT);
}
