// Paths: normalising, leaves, appending, and paths of refs, entries and directories.
#include "StorageTestSupport.h"

#include <Directory.h>
#include <Entry.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(Path, NormalisingResolvesDotsSlashesAndDirectoryLinks)
{
	TempDir dir;
	ASSERT_EQ(mkdir((dir / "a").c_str(), 0755), 0);
	ASSERT_EQ(mkdir((dir / "a/b").c_str(), 0755), 0);
	ASSERT_EQ(symlink("a/b", (dir / "to-b").c_str()), 0);

	BPath messy((dir.Path() + "//a/./b/../b/leaf").c_str());
	ASSERT_EQ(messy.InitCheck(), B_OK);
	EXPECT_STREQ(messy.Path(), (dir / "a/b/leaf").c_str());
	EXPECT_STREQ(messy.Leaf(), "leaf");

	// A clean path is taken as it is, even through a link...
	BPath clean((dir / "to-b/leaf").c_str());
	EXPECT_STREQ(clean.Path(), (dir / "to-b/leaf").c_str());
	// ...unless normalising is asked for; the leaf link itself stays.
	BPath normalized((dir / "to-b/leaf").c_str(), nullptr, true);
	EXPECT_STREQ(normalized.Path(), (dir / "a/b/leaf").c_str());
	BPath linkLeaf((dir / "to-b").c_str(), nullptr, true);
	EXPECT_STREQ(linkLeaf.Path(), (dir / "to-b").c_str());

	// Normalising needs the directory; taking as it is does not.
	EXPECT_EQ(BPath((dir / "missing/leaf").c_str()).InitCheck(), B_OK);
	EXPECT_EQ(BPath((dir / "missing/./leaf").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BPath((dir / "missing/leaf").c_str(), nullptr, true).InitCheck(),
		B_ENTRY_NOT_FOUND);
	EXPECT_STREQ(BPath("/..").Path(), "/");
}

TEST(Path, AppendingAndPathsFromRefsEntriesAndDirectories)
{
	TempDir dir;
	BPath path(dir.Path().c_str(), "one");
	ASSERT_EQ(path.InitCheck(), B_OK);
	EXPECT_STREQ(path.Path(), (dir / "one").c_str());
	EXPECT_EQ(path.SetTo(dir.Path().c_str(), "/absolute"), B_BAD_VALUE);
	EXPECT_EQ(path.Path(), nullptr);

	// The arguments may come from the path itself.
	ASSERT_EQ(path.SetTo(dir.Path().c_str()), B_OK);
	ASSERT_EQ(path.SetTo(path.Path(), "two"), B_OK);
	ASSERT_EQ(path.Append("three/four"), B_OK);
	EXPECT_STREQ(path.Path(), (dir / "two/three/four").c_str());
	EXPECT_EQ(path.Append("/x"), B_BAD_VALUE);
	EXPECT_EQ(BPath("").InitCheck(), B_BAD_VALUE);

	// From refs, entries and directories.
	ASSERT_EQ(mkdir((dir / "d").c_str(), 0755), 0);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path((dir / "d/file").c_str(), &ref), B_OK);
	EXPECT_STREQ(BPath(&ref).Path(), (dir / "d/file").c_str());

	BEntry entry((dir / "d").c_str());
	EXPECT_STREQ(BPath(&entry).Path(), (dir / "d").c_str());

	BDirectory directory((dir / "d").c_str());
	BPath inDirectory(&directory, "x");
	EXPECT_STREQ(inDirectory.Path(), (dir / "d/x").c_str());

	// A ref made by hand from a directory's node finds it if this process has seen
	// the directory; an unknown node gives an error.
	entry_ref handMade(ref.device, ref.directory, "by-hand");
	EXPECT_STREQ(BPath(&handMade).Path(), (dir / "d/by-hand").c_str());
	ASSERT_EQ(rename((dir / "d").c_str(), (dir / "moved").c_str()), 0);
	EXPECT_EQ(BPath(&handMade).InitCheck(), B_BAD_VALUE);
	entry_ref unknown(ref.device, 1, "x");
	EXPECT_EQ(BPath(&unknown).InitCheck(), B_BAD_VALUE);
}
