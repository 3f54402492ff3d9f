// The sync state on disk: what is written reads back the same, whatever
// bytes names and fields hold, and a damaged or foreign file reads as none.
#include <SyncState.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TEST(SyncStateTest, RoundTripAndDamage)
{
	char folder[] = "/tmp/cvab-sync-state.XXXXXX";
	ASSERT_NE(mkdtemp(folder), nullptr);
	setenv("XDG_STATE_HOME", folder, 1);

	std::vector<sync_entry> entries(2);
	entries[0] = {NewRecordId(), "uid\twith\nodd\\bytes\r", "a b\t.vcf", Sha256Of("card"),
		{123, 1700000000123456789, 42}, "ann\tAnn\\\r" + std::string(19, '\t')};
	entries[1] = {NewRecordId(), "", "b.vcf", Sha256Of("other"), {0, 0, 0}, std::string(20, '\t')};
	const SyncState state("/home/ann/friends", "/home/ann/cards");
	const SyncState other("/home/ann/friends", "/home/ann/cards2");
	EXPECT_NE(state.Path(), other.Path());
	EXPECT_EQ(state.Path().rfind(std::string(folder) + "/cvab/sync/", 0), 0u) << state.Path();

	std::vector<sync_entry> read;
	std::string problem;
	EXPECT_EQ(state.Read(&read, &problem), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(state.Write(entries), B_OK);
	ASSERT_EQ(state.Read(&read, &problem), B_OK) << problem;
	EXPECT_EQ(read, entries);
	ASSERT_EQ(state.Write({}), B_OK);
	ASSERT_EQ(state.Read(&read, &problem), B_OK);
	EXPECT_TRUE(read.empty());

	const std::string text = state.Text(entries);
	std::string altered = text;
	altered[text.find("b.vcf")] = 'c';
	std::vector<sync_entry> twice = {entries[0], entries[0]};
	twice[1].file = "c.vcf";
	const std::pair<std::string, const char*> damaged[] = {
		{text.substr(0, text.size() / 2), "cut short"},
		{text.substr(0, text.size() - 1), "cut short"},
		{altered, "digest"},
		{other.Text(entries), "another book or folder"},
		{state.Text(twice), "twice"},
		{"", "cut short"},
	};
	for (const auto& [bytes, why] : damaged) {
		EXPECT_FALSE(state.Parse(bytes, &read, &problem)) << why;
		EXPECT_NE(problem.find(why), std::string::npos) << problem;
		EXPECT_TRUE(read.empty());
	}
	std::ofstream(state.Path(), std::ios::trunc) << text.substr(0, 100);
	EXPECT_EQ(state.Read(&read, &problem), B_BAD_DATA);
	std::filesystem::remove_all(folder);
}
