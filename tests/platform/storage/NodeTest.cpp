// Node attributes as user extended attributes (typed, read in part, listed, on links
// and on file systems without them) and node locking.
#include "StorageTestSupport.h"

#include <Entry.h>
#include <File.h>
#include <Node.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sys/xattr.h>
#include <utility>

namespace {

// The type and size an attribute reports; a failure gives the error and -1.
std::pair<uint32, off_t> TypeAndSize(const BNode& node, const char* name)
{
	attr_info info;
	const status_t status = node.GetAttrInfo(name, &info);
	return status == B_OK ? std::pair(info.type, info.size) : std::pair(uint32(status), off_t(-1));
}

// Each test has a node on an empty file "f" in a scratch directory.
class NodeAttributes : public testing::Test {
protected:
	void SetUp() override
	{
		write_file(fDir / "f", "");
		ASSERT_EQ(fNode.SetTo((fDir / "f").c_str()), B_OK);
	}
	std::string ReadAll(const char* name)
	{
		char buffer[64];
		const ssize_t got = fNode.ReadAttr(name, B_ANY_TYPE, 0, buffer, sizeof(buffer));
		return got < 0 ? "<error>" : std::string(buffer, got);
	}

	TempDir fDir;
	BNode fNode;
};

}  // namespace

TEST_F(NodeAttributes, ValuesComeBackTypedThroughAnotherNodeStoredAsUserAttributesWithTheTypeFirst)
{
	const char mime[] = "application/x.vnd-tarvish-cvabfile";
	const float frame[4] = {10, 20, 310.5f, 420};
	EXPECT_EQ(fNode.WriteAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0, mime, sizeof(mime)), 35);
	EXPECT_EQ(fNode.WriteAttr("CVABWndwFrame", B_RECT_TYPE, 0, frame, sizeof(frame)), 16);
	EXPECT_EQ(fNode.WriteAttr("Empty", B_RAW_TYPE, 0, nullptr, 0), 0);
	EXPECT_EQ(TypeAndSize(fNode, "CVABWndwFrame"), std::pair(uint32(B_RECT_TYPE), off_t(16)));
	EXPECT_EQ(TypeAndSize(fNode, "Empty"), std::pair(uint32(B_RAW_TYPE), off_t(0)));
	BNode other((fDir / "f").c_str());
	char text[64] = {};
	EXPECT_EQ(other.ReadAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0, text, sizeof(text)), 35);
	EXPECT_STREQ(text, mime);
	float back[4] = {};
	EXPECT_EQ(other.ReadAttr("CVABWndwFrame", B_RECT_TYPE, 0, back, sizeof(back)), 16);
	EXPECT_EQ(std::memcmp(back, frame, sizeof(frame)), 0);

	const std::string path = fDir / "f";
	ASSERT_EQ(fNode.WriteAttr("WordServicesServer", B_INT32_TYPE, 0, "\1\0\0\0", 4), 4);
	unsigned char raw[16];
	ASSERT_EQ(getxattr(path.c_str(), "user.WordServicesServer", raw, sizeof(raw)), 8);
	// 'LONG' is 0x4C4F4E47: its low byte 'G' comes first.
	EXPECT_EQ(std::memcmp(raw, "GNOL\1\0\0\0", 8), 0);
	// An attribute set by another tool is read the same way; one too short to hold a
	// type is damaged, not a crash.
	ASSERT_EQ(setxattr(path.c_str(), "user.Foreign", "RTSCabc", 7, 0), 0);
	EXPECT_EQ(TypeAndSize(fNode, "Foreign"), std::pair(uint32(B_STRING_TYPE), off_t(3)));
	ASSERT_EQ(setxattr(path.c_str(), "user.Short", "ab", 2, 0), 0);
	EXPECT_EQ(TypeAndSize(fNode, "Short").first, uint32(B_BAD_DATA));
	EXPECT_EQ(fNode.ReadAttr("Short", B_ANY_TYPE, 0, text, 1), B_BAD_DATA);
}

TEST_F(NodeAttributes, PartialReadsWritesInsideMissingAttributesAndListing)
{
	ASSERT_EQ(fNode.WriteAttr("text", B_STRING_TYPE, 0, "0123456789", 10), 10);
	char buffer[16] = {};
	// A buffer smaller than the value gets what fits.
	EXPECT_EQ(fNode.ReadAttr("text", B_STRING_TYPE, 2, buffer, 3), 3);
	EXPECT_EQ(std::string(buffer, 3), "234");
	EXPECT_EQ(fNode.ReadAttr("text", B_STRING_TYPE, 99, buffer, 4), 0);
	// Writing inside keeps what is around; offset 0 replaces the whole value and type.
	ASSERT_EQ(fNode.WriteAttr("text", B_STRING_TYPE, 3, "ab", 2), 2);
	EXPECT_EQ(ReadAll("text"), "012ab56789");
	ASSERT_EQ(fNode.WriteAttr("text", B_RAW_TYPE, 0, "xy", 2), 2);
	EXPECT_EQ(TypeAndSize(fNode, "text"), std::pair(uint32(B_RAW_TYPE), off_t(2)));
	EXPECT_EQ(fNode.ReadAttr("nothing", B_STRING_TYPE, 0, buffer, sizeof(buffer)),
		B_ENTRY_NOT_FOUND);
	EXPECT_EQ(fNode.WriteAttr("", B_RAW_TYPE, 0, "x", 1), B_BAD_VALUE);

	// Names are listed once each, and again after a rewind.
	ASSERT_EQ(fNode.WriteAttr("BEOS:TYPE", B_RAW_TYPE, 0, "x", 1), 1);
	auto list = [this]() {
		std::multiset<std::string> names;
		char name[B_ATTR_NAME_LENGTH];
		while (fNode.GetNextAttrName(name) == B_OK)
			names.insert(name);
		return names;
	};
	const std::multiset<std::string> expected{"text", "BEOS:TYPE"};
	EXPECT_EQ(list(), expected);
	EXPECT_EQ(list(), std::multiset<std::string>{});
	ASSERT_EQ(fNode.RewindAttrs(), B_OK);
	EXPECT_EQ(list(), expected);
}

TEST_F(NodeAttributes, AnOpenFileUsesItsDescriptorAndLinksAndFileSystemsWithoutAttributesGiveErrors)
{
	BFile file((fDir / "new").c_str(), B_WRITE_ONLY | B_CREATE_FILE);
	ASSERT_EQ(rename((fDir / "new").c_str(), (fDir / "moved").c_str()), 0);
	ASSERT_EQ(file.WriteAttr("kind", B_STRING_TYPE, 0, "card", 5), 5);
	char text[8];
	EXPECT_EQ(BNode((fDir / "moved").c_str()).ReadAttr("kind", B_STRING_TYPE, 0, text,
		sizeof(text)), 5);
	EXPECT_STREQ(text, "card");

	ASSERT_EQ(symlink("f", (fDir / "link").c_str()), 0);
	BNode link((fDir / "link").c_str());
	ASSERT_EQ(link.InitCheck(), B_OK);
	EXPECT_TRUE(link.IsSymLink());
	// Linux keeps user attributes off links: an error, and the target is untouched.
	EXPECT_EQ(link.WriteAttr("x", B_RAW_TYPE, 0, "x", 1), B_PERMISSION_DENIED);
	EXPECT_EQ(link.ReadAttr("x", B_RAW_TYPE, 0, text, sizeof(text)), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(TypeAndSize(fNode, "x").first, uint32(B_ENTRY_NOT_FOUND));
	// A node on a traversed entry names the target.
	BEntry traversed((fDir / "link").c_str(), true);
	BNode target(&traversed);
	EXPECT_EQ(target.WriteAttr("x", B_RAW_TYPE, 0, "x", 1), 1);
	EXPECT_TRUE(target == fNode);
	EXPECT_FALSE(target == link);

	BNode proc("/proc/version");
	if (proc.InitCheck() != B_OK)
		GTEST_SKIP() << "no /proc here";
	EXPECT_EQ(proc.WriteAttr("x", B_RAW_TYPE, 0, "x", 1), B_NOT_SUPPORTED);
	EXPECT_LT(proc.ReadAttr("x", B_RAW_TYPE, 0, text, sizeof(text)), 0);
	char name[B_ATTR_NAME_LENGTH];
	EXPECT_NE(proc.GetNextAttrName(name), B_OK);
}

TEST(Node, LockIsExclusiveBetweenOpenings)
{
	TempDir dir;
	write_file(dir / "f", "content");
	BNode first((dir / "f").c_str());
	BNode second((dir / "f").c_str());
	ASSERT_EQ(first.Lock(), B_OK);
	EXPECT_EQ(second.Lock(), B_BUSY);
	EXPECT_EQ(first.Lock(), B_BUSY);
	ASSERT_EQ(first.Unlock(), B_OK);
	EXPECT_EQ(second.Lock(), B_OK);
	// Unsetting releases the lock with the descriptor.
	second.Unset();
	EXPECT_EQ(first.Lock(), B_OK);
}
