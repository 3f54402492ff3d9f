#include "StorageTestSupport.h"

#include <Entry.h>
#include <File.h>
#include <Node.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sys/xattr.h>
#include <vector>

namespace {

struct Rect {
	float left, top, right, bottom;
};

}  // namespace

TEST(NodeAttributes, ValuesComeBackWithTheirTypes)
{
	TempDir dir;
	write_file(dir / "book", "");
	BNode node((dir / "book").c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);

	const char mime[] = "application/x.vnd-tarvish-cvabfile";
	const int32 one = 1;
	const Rect frame{10, 20, 310.5f, 420};
	EXPECT_EQ(node.WriteAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0, mime, sizeof(mime)),
		ssize_t(sizeof(mime)));
	EXPECT_EQ(node.WriteAttr("Count", B_INT32_TYPE, 0, &one, sizeof(one)), 4);
	EXPECT_EQ(node.WriteAttr("CVABWndwFrame", B_RECT_TYPE, 0, &frame, sizeof(frame)), 16);
	EXPECT_EQ(node.WriteAttr("Empty", B_RAW_TYPE, 0, nullptr, 0), 0);

	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("BEOS:TYPE", &info), B_OK);
	EXPECT_EQ(info.type, uint32(B_MIME_STRING_TYPE));
	EXPECT_EQ(info.size, off_t(35));
	ASSERT_EQ(node.GetAttrInfo("CVABWndwFrame", &info), B_OK);
	EXPECT_EQ(info.type, uint32(B_RECT_TYPE));
	EXPECT_EQ(info.size, 16);
	ASSERT_EQ(node.GetAttrInfo("Empty", &info), B_OK);
	EXPECT_EQ(info.size, 0);

	// A second node on the file sees the same values.
	BNode other((dir / "book").c_str());
	char text[64] = {};
	EXPECT_EQ(other.ReadAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0, text, sizeof(text)), 35);
	EXPECT_STREQ(text, mime);
	Rect back{};
	EXPECT_EQ(other.ReadAttr("CVABWndwFrame", B_RECT_TYPE, 0, &back, sizeof(back)), 16);
	EXPECT_EQ(std::memcmp(&back, &frame, sizeof(frame)), 0);
	int32 count = 0;
	EXPECT_EQ(other.ReadAttr("Count", B_INT32_TYPE, 0, &count, sizeof(count)), 4);
	EXPECT_EQ(count, 1);
}

TEST(NodeAttributes, StoredAsUserAttributeWithLittleEndianTypeFirst)
{
	TempDir dir;
	write_file(dir / "f", "");
	BNode node((dir / "f").c_str());
	ASSERT_EQ(node.WriteAttr("WordServicesServer", B_INT32_TYPE, 0, "\1\0\0\0", 4), 4);
	unsigned char raw[16];
	ASSERT_EQ(getxattr((dir / "f").c_str(), "user.WordServicesServer", raw, sizeof(raw)), 8);
	// 'LONG' is 0x4C4F4E47: its low byte 'G' comes first.
	EXPECT_EQ(std::memcmp(raw, "GNOL\1\0\0\0", 8), 0);

	// An attribute set by another tool is read the same way.
	ASSERT_EQ(setxattr((dir / "f").c_str(), "user.Foreign", "RTSCabc", 7, 0), 0);
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("Foreign", &info), B_OK);
	EXPECT_EQ(info.type, uint32(B_STRING_TYPE));
	EXPECT_EQ(info.size, 3);
	// Too short to hold a type: damaged, not a crash.
	ASSERT_EQ(setxattr((dir / "f").c_str(), "user.Short", "ab", 2, 0), 0);
	EXPECT_EQ(node.GetAttrInfo("Short", &info), B_BAD_DATA);
	char byte;
	EXPECT_EQ(node.ReadAttr("Short", B_ANY_TYPE, 0, &byte, 1), B_BAD_DATA);
}

TEST(NodeAttributes, PartialReadsAndWritesAtOffsets)
{
	TempDir dir;
	write_file(dir / "f", "");
	BNode node((dir / "f").c_str());
	ASSERT_EQ(node.WriteAttr("text", B_STRING_TYPE, 0, "0123456789", 10), 10);

	char buffer[16] = {};
	EXPECT_EQ(node.ReadAttr("text", B_STRING_TYPE, 4, buffer, sizeof(buffer)), 6);
	EXPECT_EQ(std::string(buffer, 6), "456789");
	// A buffer smaller than the value gets what fits.
	EXPECT_EQ(node.ReadAttr("text", B_STRING_TYPE, 2, buffer, 3), 3);
	EXPECT_EQ(std::string(buffer, 3), "234");
	EXPECT_EQ(node.ReadAttr("text", B_STRING_TYPE, 10, buffer, 4), 0);
	EXPECT_EQ(node.ReadAttr("text", B_STRING_TYPE, 99, buffer, 4), 0);
	EXPECT_EQ(node.ReadAttr("text", B_STRING_TYPE, -1, buffer, 4), B_BAD_VALUE);

	// Writing inside keeps what is around; past the end fills the gap with zeros.
	ASSERT_EQ(node.WriteAttr("text", B_STRING_TYPE, 3, "ab", 2), 2);
	ASSERT_EQ(node.WriteAttr("text", B_STRING_TYPE, 12, "Z", 1), 1);
	char whole[16];
	ASSERT_EQ(node.ReadAttr("text", B_STRING_TYPE, 0, whole, sizeof(whole)), 13);
	EXPECT_EQ(std::string(whole, 13), std::string("012ab56789\0\0Z", 13));

	// Offset 0 replaces the whole value, shorter or not, and its type.
	ASSERT_EQ(node.WriteAttr("text", B_RAW_TYPE, 0, "xy", 2), 2);
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("text", &info), B_OK);
	EXPECT_EQ(info.size, 2);
	EXPECT_EQ(info.type, uint32(B_RAW_TYPE));

	// An offset write to a missing attribute starts it from zeros.
	ASSERT_EQ(node.WriteAttr("fresh", B_RAW_TYPE, 2, "q", 1), 1);
	ASSERT_EQ(node.ReadAttr("fresh", B_RAW_TYPE, 0, whole, sizeof(whole)), 3);
	EXPECT_EQ(std::string(whole, 3), std::string("\0\0q", 3));
	EXPECT_EQ(node.WriteAttr("huge", B_RAW_TYPE, 1 << 20, "q", 1), B_BAD_VALUE);
}

TEST(NodeAttributes, MissingAttributesBadArgumentsAndListingNames)
{
	TempDir dir;
	write_file(dir / "f", "");
	BNode node((dir / "f").c_str());
	char buffer[8];
	attr_info info;
	EXPECT_EQ(node.ReadAttr("nothing", B_STRING_TYPE, 0, buffer, sizeof(buffer)),
		B_ENTRY_NOT_FOUND);
	EXPECT_EQ(node.GetAttrInfo("nothing", &info), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(node.RemoveAttr("nothing"), B_ENTRY_NOT_FOUND);

	EXPECT_EQ(node.WriteAttr(nullptr, B_RAW_TYPE, 0, "x", 1), B_BAD_VALUE);
	EXPECT_EQ(node.WriteAttr("", B_RAW_TYPE, 0, "x", 1), B_BAD_VALUE);
	EXPECT_EQ(node.WriteAttr("x", B_RAW_TYPE, 0, nullptr, 1), B_BAD_VALUE);
	const std::string longName(260, 'n');
	EXPECT_EQ(node.WriteAttr(longName.c_str(), B_RAW_TYPE, 0, "x", 1), B_NAME_TOO_LONG);

	BNode unset;
	EXPECT_EQ(unset.InitCheck(), B_NO_INIT);
	EXPECT_EQ(unset.WriteAttr("x", B_RAW_TYPE, 0, "x", 1), B_NO_INIT);
	EXPECT_EQ(unset.ReadAttr("x", B_RAW_TYPE, 0, buffer, 1), B_NO_INIT);
	EXPECT_EQ(BNode((dir / "missing").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);

	ASSERT_EQ(node.WriteAttr("gone", B_RAW_TYPE, 0, "x", 1), 1);
	ASSERT_EQ(node.RemoveAttr("gone"), B_OK);
	EXPECT_EQ(node.GetAttrInfo("gone", &info), B_ENTRY_NOT_FOUND);

	// Names are listed once each, and again after a rewind.
	for (const char* name : {"one", "two", "BEOS:TYPE"})
		ASSERT_EQ(node.WriteAttr(name, B_RAW_TYPE, 0, "x", 1), 1);
	auto list = [&node]() {
		std::multiset<std::string> names;
		char name[B_ATTR_NAME_LENGTH];
		while (node.GetNextAttrName(name) == B_OK)
			names.insert(name);
		return names;
	};
	const std::multiset<std::string> expected{"one", "two", "BEOS:TYPE"};
	EXPECT_EQ(list(), expected);
	EXPECT_EQ(list(), std::multiset<std::string>{});
	ASSERT_EQ(node.RewindAttrs(), B_OK);
	EXPECT_EQ(list(), expected);
}

TEST(NodeAttributes, OpenFileUsesItsDescriptor)
{
	TempDir dir;
	BFile file((dir / "f").c_str(), B_WRITE_ONLY | B_CREATE_FILE);
	ASSERT_EQ(file.InitCheck(), B_OK);
	// Moving the file does not lose its node: the descriptor still names it.
	ASSERT_EQ(rename((dir / "f").c_str(), (dir / "g").c_str()), 0);
	ASSERT_EQ(file.WriteAttr("kind", B_STRING_TYPE, 0, "card", 5), 5);
	attr_info info;
	ASSERT_EQ(file.GetAttrInfo("kind", &info), B_OK);
	EXPECT_EQ(info.size, 5);

	BNode moved((dir / "g").c_str());
	char text[8];
	EXPECT_EQ(moved.ReadAttr("kind", B_STRING_TYPE, 0, text, sizeof(text)), 5);
	EXPECT_STREQ(text, "card");
}

TEST(NodeAttributes, FileSystemWithoutAttributesGivesErrors)
{
	BNode node("/proc/version");
	if (node.InitCheck() != B_OK)
		GTEST_SKIP() << "no /proc here";
	char buffer[8];
	attr_info info;
	EXPECT_EQ(node.WriteAttr("x", B_RAW_TYPE, 0, "x", 1), B_NOT_SUPPORTED);
	EXPECT_LT(node.ReadAttr("x", B_RAW_TYPE, 0, buffer, sizeof(buffer)), 0);
	EXPECT_LT(node.GetAttrInfo("x", &info), 0);
	EXPECT_LT(node.RemoveAttr("x"), 0);
	char name[B_ATTR_NAME_LENGTH];
	EXPECT_NE(node.GetNextAttrName(name), B_OK);
}

TEST(NodeAttributes, NodeOnALinkNamesTheLinkItself)
{
	TempDir dir;
	write_file(dir / "target", "");
	ASSERT_EQ(symlink("target", (dir / "link").c_str()), 0);
	BNode link((dir / "link").c_str());
	ASSERT_EQ(link.InitCheck(), B_OK);
	EXPECT_TRUE(link.IsSymLink());
	// Linux keeps user attributes off links: an error, and the target is untouched.
	EXPECT_EQ(link.WriteAttr("x", B_RAW_TYPE, 0, "x", 1), B_PERMISSION_DENIED);
	char buffer[4];
	EXPECT_EQ(link.ReadAttr("x", B_RAW_TYPE, 0, buffer, sizeof(buffer)), B_ENTRY_NOT_FOUND);
	attr_info info;
	EXPECT_EQ(BNode((dir / "target").c_str()).GetAttrInfo("x", &info), B_ENTRY_NOT_FOUND);

	// A node on a traversed entry names the target.
	BEntry traversed((dir / "link").c_str(), true);
	BNode target(&traversed);
	EXPECT_EQ(target.WriteAttr("x", B_RAW_TYPE, 0, "x", 1), 1);
	EXPECT_TRUE(target == BNode((dir / "target").c_str()));
	EXPECT_FALSE(target == link);
}

TEST(Node, LockIsExclusiveBetweenOpeningsAndDupGivesAnIndependentDescriptor)
{
	TempDir dir;
	write_file(dir / "f", "content");
	BNode first((dir / "f").c_str());
	BNode second((dir / "f").c_str());
	ASSERT_EQ(first.Lock(), B_OK);
	EXPECT_EQ(second.Lock(), B_BUSY);
	EXPECT_EQ(first.Lock(), B_BUSY);
	ASSERT_EQ(first.Unlock(), B_OK);
	EXPECT_EQ(first.Unlock(), B_BAD_VALUE);
	EXPECT_EQ(second.Lock(), B_OK);
	// Unsetting releases the lock with the descriptor.
	second.Unset();
	EXPECT_EQ(first.Lock(), B_OK);

	const int fd = first.Dup();
	ASSERT_GE(fd, 0);
	first.Unset();
	char buffer[8] = {};
	EXPECT_EQ(read(fd, buffer, 7), 7);
	EXPECT_STREQ(buffer, "content");
	close(fd);
	EXPECT_EQ(first.Dup(), B_NO_INIT);
}
