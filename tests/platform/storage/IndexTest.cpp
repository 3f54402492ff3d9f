// The emulated volume indexes: the fs_index calls, the nodes an attribute write
// records, damaged index files, other processes writing at once, and the device
// information of fs_info. What queries make of the indexes is the query tests'.
#include "StorageTestSupport.h"

#include <IndexStore.h>
#include <Node.h>
#include <TypeConstants.h>
#include <fs_index.h>
#include <fs_info.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <sys/wait.h>

using BPrivate::IndexStore;
using Paths = std::vector<std::string>;

namespace {

// Every test gets its own index store and a scratch directory on one device.
class IndexTest : public testing::Test {
protected:
	void SetUp() override
	{
		fDevice = dev_for_path(fDir.Path().c_str());
		ASSERT_GE(static_cast<status_t>(fDevice), 0);
	}

	// A new empty file with an int32 attribute.
	std::string MakeFile(const char* name, const char* attribute, int32 value)
	{
		write_file(fDir / name, "");
		WriteInt(fDir / name, attribute, value);
		return fDir / name;
	}
	static void WriteInt(const std::string& path, const char* attribute, int32 value)
	{
		ASSERT_EQ(BNode(path.c_str()).WriteAttr(attribute, B_INT32_TYPE, 0, &value, 4), 4);
	}
	// The paths the index records, sorted, or the error.
	Paths Nodes(const char* index, status_t* status = nullptr)
	{
		Paths paths;
		const status_t result = IndexStore::ReadNodes(fDevice, index, nullptr, &paths);
		if (status != nullptr)
			*status = result;
		std::sort(paths.begin(), paths.end());
		return paths;
	}

	TempDir fDir;
	ScopedEnv fData{"XDG_DATA_HOME", (fDir / "data").c_str()};
	dev_t fDevice = 0;
};

}  // namespace

TEST_F(IndexTest, CreateStatAndRemoveFollowTheCConventionsAndOddNamesSurviveTheStore)
{
	// -1 with the error in errno, or 0: the error, or B_OK.
	auto error = [](int result) { return result == 0 ? B_OK : result == -1 ? errno : 1; };
	const char* name = "WordServicesServer";
	index_info info;
	EXPECT_EQ(error(fs_stat_index(fDevice, name, &info)), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(fs_create_index(fDevice, name, B_INT32_TYPE, 0), 0);
	ASSERT_EQ(fs_stat_index(fDevice, name, &info), 0);
	EXPECT_EQ(info.type, uint32(B_INT32_TYPE));
	EXPECT_EQ(info.uid, getuid());
	EXPECT_EQ(error(fs_create_index(fDevice, name, B_STRING_TYPE, 0)), B_FILE_EXISTS);
	EXPECT_EQ(error(fs_create_index(fDevice, "name", B_STRING_TYPE, 0)), B_NOT_ALLOWED);
	// Indexes belong to their device.
	EXPECT_EQ(error(fs_stat_index(fDevice + 1, name, &info)), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(fs_remove_index(fDevice, name), 0);
	EXPECT_EQ(error(fs_stat_index(fDevice, name, &info)), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(error(fs_remove_index(fDevice, name)), B_ENTRY_NOT_FOUND);

	// An odd index name and an odd path come back as they went in.
	const char* odd = "../we%ird/name\n";
	ASSERT_EQ(fs_create_index(fDevice, odd, B_INT32_TYPE, 0), 0);
	EXPECT_EQ(Nodes(odd), Paths{MakeFile("line\nbreak 100%", odd, 5)});
	ASSERT_EQ(fs_create_index(fDevice, "plain", B_INT32_TYPE, 0), 0);
	std::vector<std::string> names;
	ASSERT_EQ(IndexStore::List(fDevice, &names), B_OK);
	std::sort(names.begin(), names.end());
	EXPECT_EQ(names, (Paths{odd, "plain"}));
	ASSERT_EQ(IndexStore::List(fDevice + 1, &names), B_OK);
	EXPECT_TRUE(names.empty());
}

TEST_F(IndexTest, WritingAnIndexedAttributeRecordsEveryNameOfTheNodeOnce)
{
	ASSERT_EQ(fs_create_index(fDevice, "Count", B_INT32_TYPE, 0), 0);
	const std::string a = MakeFile("a", "Count", 1);
	const std::string b = MakeFile("b", "Count", 2);
	WriteInt(a, "Count", 3);
	MakeFile("other", "Unindexed", 1);
	EXPECT_EQ(Nodes("Count"), (Paths{a, b}));
	status_t status = B_OK;
	Nodes("Unindexed", &status);
	EXPECT_EQ(status, B_ENTRY_NOT_FOUND);

	// An attribute written before its index exists is recorded once rewritten.
	ASSERT_EQ(fs_create_index(fDevice, "Unindexed", B_INT32_TYPE, 0), 0);
	EXPECT_EQ(Nodes("Unindexed"), Paths{});
	WriteInt(fDir / "other", "Unindexed", 1);
	EXPECT_EQ(Nodes("Unindexed"), Paths{fDir / "other"});
	// Both names of a node are recorded, each once.
	ASSERT_EQ(link(a.c_str(), (fDir / "second-name").c_str()), 0);
	WriteInt(fDir / "second-name", "Count", 1);
	WriteInt(a, "Count", 1);
	EXPECT_EQ(Nodes("Count"), (Paths{a, b, fDir / "second-name"}));
}

TEST_F(IndexTest, DamagedIndexFilesGiveErrorsNotCrashesAndCreatingAgainRepairs)
{
	ASSERT_EQ(fs_create_index(fDevice, "Damaged", B_INT32_TYPE, 0), 0);
	const std::string file = MakeFile("node", "Damaged", 7);
	const std::string indexFile = fDir / ("data/cvab-platform/indexes/"
		+ std::to_string(fDevice) + "/" + IndexStore::EncodeName("Damaged") + ".index");
	const std::string good = read_file(indexFile);
	ASSERT_NE(good.find(file), std::string::npos);

	index_info info;
	for (const std::string& damage : {std::string(), std::string("garbage\n"),
			std::string("cvab-index 1\ntype x\nflags 0\n"),
			std::string("cvab-index 1\ntype 99999999999\nflags 0\n"),
			good.substr(0, 20), std::string("\0\0\0\xff", 4)}) {
		write_file(indexFile, damage);
		EXPECT_EQ(fs_stat_index(fDevice, "Damaged", &info), -1);
		status_t status = B_OK;
		Nodes("Damaged", &status);
		EXPECT_EQ(status, B_BAD_DATA);
		WriteInt(file, "Damaged", 7);  // must not crash or resurrect it
		EXPECT_EQ(read_file(indexFile), damage);
	}

	// Bad lines, a raw NUL among them, are skipped; good ones still count.
	write_file(indexFile, good + "%zz\nnot-absolute\n%00\n" + std::string("/tmp/nul\0x\n", 11));
	EXPECT_EQ(Nodes("Damaged"), Paths{file});
	// Creating over a damaged index repairs it.
	write_file(indexFile, "garbage");
	ASSERT_EQ(fs_create_index(fDevice, "Damaged", B_INT32_TYPE, 0), 0);
	WriteInt(file, "Damaged", 7);
	EXPECT_EQ(Nodes("Damaged"), Paths{file});
}

// Other processes share the store: their writes, all at once, lose no node.
TEST_F(IndexTest, ProcessesWritingAtOnceLoseNoNode)
{
	ASSERT_EQ(fs_create_index(fDevice, "Busy", B_INT32_TYPE, 0), 0);
	const int kChildren = 6, kFilesEach = 15;
	std::vector<pid_t> children;
	for (int c = 0; c < kChildren; c++) {
		const pid_t child = fork();
		ASSERT_GE(child, 0);
		if (child != 0) {
			children.push_back(child);
			continue;
		}
		for (int f = 0; f < kFilesEach; f++) {
			const std::string path = fDir / ("n" + std::to_string(c) + "_" + std::to_string(f));
			write_file(path, "");
			const int32 value = 2;
			if (BNode(path.c_str()).WriteAttr("Busy", B_INT32_TYPE, 0, &value, 4) != 4)
				_exit(2);
		}
		_exit(0);
	}
	for (const pid_t child : children) {
		int status = -1;
		ASSERT_EQ(waitpid(child, &status, 0), child);
		EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
	}
	EXPECT_EQ(Nodes("Busy").size(), size_t(kChildren * kFilesEach));
}

TEST(FsInfo, DevicesAndVolumesAreListedOnceAndDescribed)
{
	struct stat st;
	ASSERT_EQ(stat("/", &st), 0);
	const dev_t rootDevice = dev_for_path("/");
	EXPECT_EQ(rootDevice, st.st_dev);
	EXPECT_EQ(static_cast<status_t>(dev_for_path("/no/such/path")), B_ENTRY_NOT_FOUND);

	std::set<dev_t> devices;
	int32 cookie = 0;
	for (dev_t device; static_cast<status_t>(device = next_dev(&cookie)) >= 0;)
		EXPECT_TRUE(devices.insert(device).second) << "listed twice: " << device;
	EXPECT_TRUE(devices.count(rootDevice));

	// /proc keeps no user attributes, and so has no queries either.
	fs_info info;
	const dev_t proc = dev_for_path("/proc/version");
	if (static_cast<status_t>(proc) >= 0 && fs_stat_dev(proc, &info) == 0) {
		EXPECT_EQ(info.flags & (B_FS_HAS_ATTR | B_FS_HAS_QUERY), 0u);
		EXPECT_STREQ(info.fsh_name, "proc");
	}
	TempDir dir;
	ASSERT_EQ(fs_stat_dev(dev_for_path(dir.Path().c_str()), &info), 0);
	EXPECT_NE(info.flags & B_FS_HAS_ATTR, 0u);
}
