#include "StorageTestSupport.h"

#include <IndexQuery.h>
#include <IndexStore.h>
#include <Node.h>
#include <Path.h>
#include <TypeConstants.h>
#include <fs_index.h>
#include <fs_info.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <set>
#include <sys/wait.h>

using BPrivate::IndexStore;
using BPrivate::query_index;
using BPrivate::query_simple;

namespace {

// Every test gets its own index store and a scratch directory on one device.
class IndexTest : public testing::Test {
protected:
	IndexTest()
		: fData("XDG_DATA_HOME", (fDir / "data").c_str())
	{
	}

	void SetUp() override
	{
		fDevice = dev_for_path(fDir.Path().c_str());
		ASSERT_GE(static_cast<status_t>(fDevice), 0);
	}

	std::string MakeFile(const char* name)
	{
		write_file(fDir / name, "");
		return fDir / name;
	}

	static void WriteInt(const std::string& path, const char* attribute, int32 value)
	{
		BNode node(path.c_str());
		ASSERT_EQ(node.WriteAttr(attribute, B_INT32_TYPE, 0, &value, sizeof(value)), 4);
	}

	std::vector<std::string> Query(const char* expression)
	{
		std::vector<entry_ref> refs;
		fLastStatus = query_simple(fDevice, expression, &refs);
		std::vector<std::string> paths;
		for (const entry_ref& ref : refs)
			paths.push_back(BPath(&ref).Path());
		std::sort(paths.begin(), paths.end());
		return paths;
	}

	std::string IndexFile(const char* name)
	{
		return fDir / ("data/cvab-platform/indexes/" + std::to_string(fDevice) + "/"
			+ IndexStore::EncodeName(name) + ".index");
	}

	TempDir fDir;
	ScopedEnv fData;
	dev_t fDevice = 0;
	status_t fLastStatus = B_OK;
};

}  // namespace

TEST_F(IndexTest, CreateStatAndRemoveFollowTheCConventions)
{
	index_info info;
	errno = 0;
	EXPECT_EQ(fs_stat_index(fDevice, "WordServicesServer", &info), -1);
	EXPECT_EQ(errno, B_ENTRY_NOT_FOUND);

	ASSERT_EQ(fs_create_index(fDevice, "WordServicesServer", B_INT32_TYPE, 0), 0);
	ASSERT_EQ(fs_stat_index(fDevice, "WordServicesServer", &info), 0);
	EXPECT_EQ(info.type, uint32(B_INT32_TYPE));
	EXPECT_EQ(info.uid, getuid());

	EXPECT_EQ(fs_create_index(fDevice, "WordServicesServer", B_STRING_TYPE, 0), -1);
	EXPECT_EQ(errno, B_FILE_EXISTS);
	EXPECT_EQ(fs_create_index(fDevice, "name", B_STRING_TYPE, 0), -1);
	EXPECT_EQ(errno, B_NOT_ALLOWED);
	EXPECT_EQ(fs_create_index(fDevice, "", B_STRING_TYPE, 0), -1);
	EXPECT_EQ(errno, B_BAD_VALUE);

	// Indexes belong to their device.
	EXPECT_EQ(fs_stat_index(fDevice + 1, "WordServicesServer", &info), -1);

	ASSERT_EQ(fs_remove_index(fDevice, "WordServicesServer"), 0);
	EXPECT_EQ(fs_stat_index(fDevice, "WordServicesServer", &info), -1);
	EXPECT_EQ(fs_remove_index(fDevice, "WordServicesServer"), -1);
	EXPECT_EQ(errno, B_ENTRY_NOT_FOUND);
}

TEST_F(IndexTest, QueriesTestTheLiveAttribute)
{
	ASSERT_EQ(fs_create_index(fDevice, "WordServicesServer", B_INT32_TYPE, 0), 0);
	const std::string a = MakeFile("a"), b = MakeFile("b"), c = MakeFile("c");
	WriteInt(a, "WordServicesServer", 1);
	WriteInt(b, "WordServicesServer", 2);
	WriteInt(c, "Unindexed", 1);

	EXPECT_EQ(Query("WordServicesServer == 1"), std::vector<std::string>{a});
	EXPECT_EQ(fLastStatus, B_OK);
	EXPECT_EQ(Query("(WordServicesServer>=1)"), (std::vector<std::string>{a, b}));
	EXPECT_EQ(Query("WordServicesServer != 1"), std::vector<std::string>{b});

	// Changed, removed or deleted: the query reads what is there now.
	WriteInt(a, "WordServicesServer", 3);
	EXPECT_EQ(Query("WordServicesServer = 1"), std::vector<std::string>{});
	EXPECT_EQ(Query("WordServicesServer > 2"), std::vector<std::string>{a});
	ASSERT_EQ(BNode(b.c_str()).RemoveAttr("WordServicesServer"), B_OK);
	ASSERT_EQ(unlink(a.c_str()), 0);
	EXPECT_EQ(Query("WordServicesServer >= 0"), std::vector<std::string>{});

	EXPECT_EQ(Query("Unindexed == 1"), std::vector<std::string>{});
	EXPECT_EQ(fLastStatus, B_ENTRY_NOT_FOUND);
}

TEST_F(IndexTest, AttributesWrittenBeforeTheIndexNeedRewriting)
{
	const std::string file = MakeFile("early");
	WriteInt(file, "Late", 1);
	ASSERT_EQ(fs_create_index(fDevice, "Late", B_INT32_TYPE, 0), 0);
	EXPECT_EQ(Query("Late == 1"), std::vector<std::string>{});
	WriteInt(file, "Late", 1);
	EXPECT_EQ(Query("Late == 1"), std::vector<std::string>{file});
	// Writing again does not list the node twice.
	WriteInt(file, "Late", 1);
	std::vector<std::string> paths;
	ASSERT_EQ(IndexStore::ReadNodes(fDevice, "Late", nullptr, &paths), B_OK);
	EXPECT_EQ(paths.size(), 1u);

	// Nor does a second name of the same node, though both are recorded.
	ASSERT_EQ(link(file.c_str(), (fDir / "second-name").c_str()), 0);
	WriteInt(fDir / "second-name", "Late", 1);
	ASSERT_EQ(IndexStore::ReadNodes(fDevice, "Late", nullptr, &paths), B_OK);
	EXPECT_EQ(paths.size(), 2u);
	EXPECT_EQ(Query("Late == 1").size(), 1u);
}

TEST_F(IndexTest, StringQueriesAndPredicates)
{
	ASSERT_EQ(fs_create_index(fDevice, "BEOS:TYPE", B_MIME_STRING_TYPE, 0), 0);
	const std::string book = MakeFile("book"), other = MakeFile("other");
	const char bookType[] = "application/x.vnd-tarvish-cvabfile";
	ASSERT_GT(BNode(book.c_str()).WriteAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0, bookType,
		sizeof(bookType)), 0);
	ASSERT_GT(BNode(other.c_str()).WriteAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0,
		"text/plain", 11), 0);

	EXPECT_EQ(Query("BEOS:TYPE == \"application/x.vnd-tarvish-cvabfile\""),
		std::vector<std::string>{book});
	EXPECT_EQ(Query("BEOS:TYPE == text/plain"), std::vector<std::string>{other});
	// An integer never equals a string attribute.
	EXPECT_EQ(Query("BEOS:TYPE == 1"), std::vector<std::string>{});

	std::vector<entry_ref> refs;
	ASSERT_EQ(query_index(fDevice, "BEOS:TYPE", [](type_code type, const void* data,
			size_t size) {
		return type == B_MIME_STRING_TYPE && size > 5
			&& std::memcmp(data, "text/", 5) == 0;
	}, &refs), B_OK);
	ASSERT_EQ(refs.size(), 1u);
	EXPECT_STREQ(refs[0].name, "other");

	for (const char* bad : {"", "BEOS:TYPE", "== 1", "BEOS:TYPE ==", "BEOS:TYPE =! 1"}) {
		Query(bad);
		EXPECT_EQ(fLastStatus, B_BAD_VALUE) << bad;
	}
}

TEST_F(IndexTest, DamagedIndexFilesGiveErrorsNotCrashes)
{
	ASSERT_EQ(fs_create_index(fDevice, "Damaged", B_INT32_TYPE, 0), 0);
	const std::string file = MakeFile("node");
	WriteInt(file, "Damaged", 7);
	const std::string indexFile = IndexFile("Damaged");
	const std::string good = read_file(indexFile);
	ASSERT_NE(good.find(file), std::string::npos);

	index_info info;
	for (const std::string& damage : {std::string(), std::string("garbage\n"),
			std::string("cvab-index 1\ntype x\nflags 0\n"),
			std::string("cvab-index 1\ntype 99999999999\nflags 0\n"),
			good.substr(0, 20), std::string("\0\0\0\xff", 4)}) {
		write_file(indexFile, damage);
		EXPECT_EQ(fs_stat_index(fDevice, "Damaged", &info), -1);
		EXPECT_EQ(Query("Damaged == 7"), std::vector<std::string>{});
		EXPECT_EQ(fLastStatus, B_BAD_DATA);
		WriteInt(file, "Damaged", 7);  // must not crash or resurrect it
	}

	// Bad lines are skipped, good ones still count.
	write_file(indexFile, good + "%zz\nnot-absolute\n%00\n" + std::string("/tmp/nul\0x\n", 11));
	EXPECT_EQ(Query("Damaged == 7"), std::vector<std::string>{file});

	// Creating over a damaged index repairs it.
	write_file(indexFile, "garbage");
	ASSERT_EQ(fs_create_index(fDevice, "Damaged", B_INT32_TYPE, 0), 0);
	WriteInt(file, "Damaged", 7);
	EXPECT_EQ(Query("Damaged == 7"), std::vector<std::string>{file});
}

TEST_F(IndexTest, OddNamesAndPathsSurviveTheStore)
{
	const char* name = "../we%ird/name\n";
	ASSERT_EQ(fs_create_index(fDevice, name, B_INT32_TYPE, 0), 0);
	const std::string file = MakeFile("line\nbreak 100%");
	WriteInt(file, name, 5);
	std::vector<entry_ref> refs;
	ASSERT_EQ(query_index(fDevice, name, [](type_code, const void*, size_t) { return true; },
		&refs), B_OK);
	ASSERT_EQ(refs.size(), 1u);
	EXPECT_STREQ(refs[0].name, "line\nbreak 100%");

	// The name comes back from the listing as it went in.
	ASSERT_EQ(fs_create_index(fDevice, "plain", B_INT32_TYPE, 0), 0);
	std::vector<std::string> names;
	ASSERT_EQ(IndexStore::List(fDevice, &names), B_OK);
	std::sort(names.begin(), names.end());
	EXPECT_EQ(names, (std::vector<std::string>{name, "plain"}));
	ASSERT_EQ(IndexStore::List(fDevice + 1, &names), B_OK);
	EXPECT_TRUE(names.empty());

	std::string decoded;
	EXPECT_TRUE(IndexStore::DecodeLine(IndexStore::EncodeLine("a%b\nc\x7f"), &decoded));
	EXPECT_EQ(decoded, "a%b\nc\x7f");
	EXPECT_FALSE(IndexStore::DecodeLine("%4", &decoded));
}

TEST_F(IndexTest, ChildProcessFindsWhatTheParentIndexed)
{
	ASSERT_EQ(fs_create_index(fDevice, "Shared", B_INT32_TYPE, 0), 0);
	const std::string parentFile = MakeFile("from-parent");
	WriteInt(parentFile, "Shared", 1);
	const std::string childFile = fDir / "from-child";

	const pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0) {
		std::vector<entry_ref> refs;
		if (query_simple(fDevice, "Shared == 1", &refs) != B_OK || refs.size() != 1
			|| std::strcmp(refs[0].name, "from-parent") != 0) {
			_exit(1);
		}
		write_file(childFile, "");
		const int32 two = 2;
		BNode node(childFile.c_str());
		_exit(node.WriteAttr("Shared", B_INT32_TYPE, 0, &two, 4) == 4 ? 0 : 2);
	}
	int status = -1;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(WEXITSTATUS(status), 0);
	// And the other way round.
	EXPECT_EQ(Query("Shared == 2"), std::vector<std::string>{childFile});
}

TEST_F(IndexTest, ConcurrentWritersLoseNoNode)
{
	ASSERT_EQ(fs_create_index(fDevice, "Busy", B_INT32_TYPE, 0), 0);
	const int kChildren = 6, kFilesEach = 15;
	std::vector<pid_t> children;
	for (int c = 0; c < kChildren; c++) {
		const pid_t child = fork();
		ASSERT_GE(child, 0);
		if (child == 0) {
			for (int f = 0; f < kFilesEach; f++) {
				const std::string path = fDir / ("n" + std::to_string(c) + "_"
					+ std::to_string(f));
				write_file(path, "");
				const int32 value = 1;
				if (BNode(path.c_str()).WriteAttr("Busy", B_INT32_TYPE, 0, &value, 4) != 4)
					_exit(1);
			}
			_exit(0);
		}
		children.push_back(child);
	}
	for (const pid_t child : children) {
		int status = -1;
		ASSERT_EQ(waitpid(child, &status, 0), child);
		EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	}
	EXPECT_EQ(Query("Busy == 1").size(), size_t(kChildren * kFilesEach));
}

TEST(FsInfo, DeviceForPath)
{
	struct stat st;
	ASSERT_EQ(stat("/", &st), 0);
	EXPECT_EQ(dev_for_path("/"), st.st_dev);
	EXPECT_EQ(static_cast<status_t>(dev_for_path("/no/such/path")), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(static_cast<status_t>(dev_for_path(nullptr)), B_BAD_VALUE);
}

TEST(FsInfo, VolumesAreListedOnceAndDescribed)
{
	const dev_t rootDevice = dev_for_path("/");
	std::set<dev_t> devices;
	int32 cookie = 0;
	bool sawRoot = false;
	for (dev_t device; static_cast<status_t>(device = next_dev(&cookie)) >= 0;) {
		EXPECT_TRUE(devices.insert(device).second) << "listed twice: " << device;
		sawRoot |= device == rootDevice;
	}
	EXPECT_TRUE(sawRoot);

	fs_info info;
	ASSERT_EQ(fs_stat_dev(rootDevice, &info), 0);
	EXPECT_EQ(info.dev, rootDevice);
	EXPECT_GT(info.block_size, 0);
	EXPECT_GT(info.total_blocks, 0);
	EXPECT_NE(info.fsh_name[0], '\0');
	struct stat st;
	ASSERT_EQ(stat(info.volume_name, &st), 0);
	EXPECT_EQ(st.st_dev, rootDevice);

	// /proc keeps no user attributes, and so has no queries either.
	const dev_t proc = dev_for_path("/proc/version");
	if (static_cast<status_t>(proc) >= 0 && fs_stat_dev(proc, &info) == 0) {
		EXPECT_EQ(info.flags & (B_FS_HAS_ATTR | B_FS_HAS_QUERY), 0u);
		EXPECT_STREQ(info.fsh_name, "proc");
	}
	TempDir dir;
	ASSERT_EQ(fs_stat_dev(dev_for_path(dir.Path().c_str()), &info), 0);
	EXPECT_NE(info.flags & B_FS_HAS_ATTR, 0u);
	EXPECT_EQ(fs_stat_dev(static_cast<dev_t>(-5), &info), -1);
	EXPECT_EQ(errno, B_BAD_VALUE);
}
