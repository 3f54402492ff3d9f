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
#include <set>
#include <sys/wait.h>

using BPrivate::IndexStore;
using BPrivate::query_index;
using BPrivate::query_simple;
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

	// A new empty file, with an int32 attribute when one is named.
	std::string MakeFile(const char* name, const char* attribute = nullptr, int32 value = 0)
	{
		write_file(fDir / name, "");
		if (attribute != nullptr)
			WriteInt(fDir / name, attribute, value);
		return fDir / name;
	}
	static void WriteInt(const std::string& path, const char* attribute, int32 value)
	{
		ASSERT_EQ(BNode(path.c_str()).WriteAttr(attribute, B_INT32_TYPE, 0, &value, 4), 4);
	}
	static void WriteString(const std::string& path, const char* value)
	{
		ASSERT_GT(BNode(path.c_str()).WriteAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0, value,
			std::strlen(value) + 1), 0);
	}

	Paths Query(const char* expression)
	{
		std::vector<entry_ref> refs;
		fLastStatus = query_simple(fDevice, expression, &refs);
		Paths paths;
		for (const entry_ref& ref : refs)
			paths.push_back(BPath(&ref).Path());
		std::sort(paths.begin(), paths.end());
		return paths;
	}

	TempDir fDir;
	ScopedEnv fData{"XDG_DATA_HOME", (fDir / "data").c_str()};
	dev_t fDevice = 0;
	status_t fLastStatus = B_OK;
};

}  // namespace

TEST_F(IndexTest, CreateStatAndRemoveFollowTheCConventions)
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
	EXPECT_EQ(error(fs_create_index(fDevice, "", B_STRING_TYPE, 0)), B_BAD_VALUE);
	// Indexes belong to their device.
	EXPECT_EQ(error(fs_stat_index(fDevice + 1, name, &info)), B_ENTRY_NOT_FOUND);

	ASSERT_EQ(fs_remove_index(fDevice, name), 0);
	EXPECT_EQ(error(fs_stat_index(fDevice, name, &info)), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(error(fs_remove_index(fDevice, name)), B_ENTRY_NOT_FOUND);
}

TEST_F(IndexTest, QueriesTestTheLiveAttributeOfNodesWrittenSinceTheIndexWasMade)
{
	ASSERT_EQ(fs_create_index(fDevice, "WordServicesServer", B_INT32_TYPE, 0), 0);
	const std::string a = MakeFile("a", "WordServicesServer", 1);
	const std::string b = MakeFile("b", "WordServicesServer", 2);
	const std::string c = MakeFile("c", "Late", 1);
	EXPECT_EQ(Query("WordServicesServer == 1"), Paths{a});
	EXPECT_EQ(fLastStatus, B_OK);
	EXPECT_EQ(Query("(WordServicesServer>=1)"), (Paths{a, b}));
	EXPECT_EQ(Query("WordServicesServer != 1"), Paths{b});

	// Changed, removed or deleted: the query reads what is there now.
	WriteInt(a, "WordServicesServer", 3);
	EXPECT_EQ(Query("WordServicesServer = 1"), Paths{});
	EXPECT_EQ(Query("WordServicesServer > 2"), Paths{a});
	ASSERT_EQ(BNode(b.c_str()).RemoveAttr("WordServicesServer"), B_OK);
	ASSERT_EQ(unlink(a.c_str()), 0);
	EXPECT_EQ(Query("WordServicesServer >= 0"), Paths{});

	// An attribute written before its index exists counts once rewritten.
	EXPECT_EQ(Query("Late == 1"), Paths{});
	EXPECT_EQ(fLastStatus, B_ENTRY_NOT_FOUND);
	ASSERT_EQ(fs_create_index(fDevice, "Late", B_INT32_TYPE, 0), 0);
	EXPECT_EQ(Query("Late == 1"), Paths{});
	WriteInt(c, "Late", 1);
	WriteInt(c, "Late", 1);
	EXPECT_EQ(Query("Late == 1"), Paths{c});
	// Both names of a node are recorded, each once, and it is found once.
	ASSERT_EQ(link(c.c_str(), (fDir / "second-name").c_str()), 0);
	WriteInt(fDir / "second-name", "Late", 1);
	Paths recorded;
	ASSERT_EQ(IndexStore::ReadNodes(fDevice, "Late", nullptr, &recorded), B_OK);
	EXPECT_EQ(recorded.size(), 2u);
	EXPECT_EQ(Query("Late == 1").size(), 1u);
}

TEST_F(IndexTest, StringQueriesAndPredicates)
{
	ASSERT_EQ(fs_create_index(fDevice, "BEOS:TYPE", B_MIME_STRING_TYPE, 0), 0);
	const std::string book = MakeFile("book"), other = MakeFile("other");
	WriteString(book, "application/x.vnd-tarvish-cvabfile");
	WriteString(other, "text/plain");
	EXPECT_EQ(Query("BEOS:TYPE == \"application/x.vnd-tarvish-cvabfile\""), Paths{book});
	EXPECT_EQ(Query("BEOS:TYPE == text/plain"), Paths{other});
	EXPECT_EQ(Query("BEOS:TYPE == 1"), Paths{});

	std::vector<entry_ref> refs;
	ASSERT_EQ(query_index(fDevice, "BEOS:TYPE", [](type_code type, const void* data,
		size_t size) {
		return type == B_MIME_STRING_TYPE && size > 5 && std::memcmp(data, "text/", 5) == 0;
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
		EXPECT_EQ(Query("Damaged == 7"), Paths{});
		EXPECT_EQ(fLastStatus, B_BAD_DATA);
		WriteInt(file, "Damaged", 7);  // must not crash or resurrect it
	}

	// Bad lines are skipped, good ones still count.
	write_file(indexFile, good + "%zz\nnot-absolute\n%00\n" + std::string("/tmp/nul\0x\n", 11));
	EXPECT_EQ(Query("Damaged == 7"), Paths{file});

	// Creating over a damaged index repairs it.
	write_file(indexFile, "garbage");
	ASSERT_EQ(fs_create_index(fDevice, "Damaged", B_INT32_TYPE, 0), 0);
	WriteInt(file, "Damaged", 7);
	EXPECT_EQ(Query("Damaged == 7"), Paths{file});
}

TEST_F(IndexTest, OddNamesAndPathsSurviveTheStore)
{
	const char* name = "../we%ird/name\n";
	ASSERT_EQ(fs_create_index(fDevice, name, B_INT32_TYPE, 0), 0);
	MakeFile("line\nbreak 100%", name, 5);
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
	EXPECT_EQ(names, (Paths{name, "plain"}));
	ASSERT_EQ(IndexStore::List(fDevice + 1, &names), B_OK);
	EXPECT_TRUE(names.empty());
}

// Other processes share the store: each child finds what the parent indexed, and
// their writes, all at once, lose no node.
TEST_F(IndexTest, ProcessesShareTheStoreAndConcurrentWritersLoseNoNode)
{
	ASSERT_EQ(fs_create_index(fDevice, "Busy", B_INT32_TYPE, 0), 0);
	MakeFile("from-parent", "Busy", 1);
	const int kChildren = 6, kFilesEach = 15;
	std::vector<pid_t> children;
	for (int c = 0; c < kChildren; c++) {
		const pid_t child = fork();
		ASSERT_GE(child, 0);
		if (child != 0) {
			children.push_back(child);
			continue;
		}
		std::vector<entry_ref> refs;
		if (query_simple(fDevice, "Busy == 1", &refs) != B_OK || refs.size() != 1
			|| std::strcmp(refs[0].name, "from-parent") != 0) {
			_exit(1);
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
	EXPECT_EQ(Query("Busy == 2").size(), size_t(kChildren * kFilesEach));
	EXPECT_EQ(Query("Busy == 1"), Paths{fDir / "from-parent"});
}

TEST(FsInfo, DevicesAndVolumesAreListedOnceAndDescribed)
{
	struct stat st;
	ASSERT_EQ(stat("/", &st), 0);
	const dev_t rootDevice = dev_for_path("/");
	EXPECT_EQ(rootDevice, st.st_dev);
	EXPECT_EQ(static_cast<status_t>(dev_for_path("/no/such/path")), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(static_cast<status_t>(dev_for_path(nullptr)), B_BAD_VALUE);

	std::set<dev_t> devices;
	int32 cookie = 0;
	for (dev_t device; static_cast<status_t>(device = next_dev(&cookie)) >= 0;)
		EXPECT_TRUE(devices.insert(device).second) << "listed twice: " << device;
	EXPECT_TRUE(devices.count(rootDevice));

	fs_info info;
	ASSERT_EQ(fs_stat_dev(rootDevice, &info), 0);
	EXPECT_EQ(info.dev, rootDevice);
	EXPECT_GT(info.block_size, 0);
	EXPECT_GT(info.total_blocks, 0);
	EXPECT_NE(info.fsh_name[0], '\0');
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
