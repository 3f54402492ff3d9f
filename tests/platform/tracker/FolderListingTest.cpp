// What a file panel lists of a folder: folders first, then names ignoring case,
// no dot-files, the node flavors asked for, and the ref filter.
#include "FolderListing.h"

#include <Errors.h>
#include <StorageDefs.h>

#include "StorageTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using BPrivate::FolderListing;

namespace {

std::vector<std::string> Names(const FolderListing& listing)
{
	std::vector<std::string> names;
	for (const auto& entry : listing.Entries())
		names.push_back(entry.name + (entry.isDirectory ? "/" : ""));
	return names;
}

class FolderListingTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_FALSE(dir.Path().empty());
		for (const char* name : {"beta.txt", "Alpha.txt", "alpha.txt", ".hidden", "zeta"})
			std::ofstream(dir / name) << "x";
		for (const char* name : {"Zoo", "archive", ".config"})
			mkdir((dir / name).c_str(), 0755);
		symlink((dir / "Zoo").c_str(), (dir / "link-to-zoo").c_str());
		symlink((dir / "zeta").c_str(), (dir / "link-to-zeta").c_str());
	}
	TempDir dir;
};

TEST_F(FolderListingTest, FoldersFirstThenByNameWithoutDotFiles)
{
	FolderListing listing;
	ASSERT_EQ(listing.Read(dir.Path().c_str(), B_FILE_NODE | B_SYMLINK_NODE), B_OK);
	EXPECT_EQ(Names(listing),
		(std::vector<std::string>{"archive/", "link-to-zoo/", "Zoo/", "Alpha.txt", "alpha.txt",
			"beta.txt", "link-to-zeta", "zeta"}));
	EXPECT_EQ(listing.Path(), dir.Path());
	EXPECT_EQ(listing.IndexOf("beta.txt"), 5);
	EXPECT_EQ(listing.IndexOf(".hidden"), -1);
	EXPECT_STREQ(listing.Entries()[2].ref.name, "Zoo");
}

TEST_F(FolderListingTest, FlavorsAndTheFilterChooseWhatIsListedAndMissingFoldersFail)
{
	FolderListing listing;
	ASSERT_EQ(listing.Read(dir.Path().c_str(), B_DIRECTORY_NODE), B_OK);
	EXPECT_EQ(Names(listing), (std::vector<std::string>{"archive/", "link-to-zoo/", "Zoo/"}));
	// No flavors at all means files, as for an ordinary open panel.
	ASSERT_EQ(listing.Read(dir.Path().c_str(), 0), B_OK);
	EXPECT_EQ(listing.Entries().size(), 8u);

	ASSERT_EQ(listing.Read(dir.Path().c_str(), B_FILE_NODE, [](const entry_ref& ref, bool folder) {
		return folder || std::string(ref.name).find(".txt") != std::string::npos;
	}), B_OK);
	EXPECT_EQ(Names(listing), (std::vector<std::string>{"archive/", "link-to-zoo/", "Zoo/",
		"Alpha.txt", "alpha.txt", "beta.txt"}));
	EXPECT_NE(listing.Read((dir / "nowhere").c_str(), B_FILE_NODE), B_OK);
	EXPECT_NE(listing.Read((dir / "zeta").c_str(), B_FILE_NODE), B_OK);
}

}  // namespace
