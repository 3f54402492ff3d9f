// Flattening: every field type survives the round trip; damaged input is refused
// cleanly, without reading or allocating beyond what the bytes justify (random and
// truncated input is the message fuzz target's).
#include <EntryRef.h>
#include <Message.h>
#include <Messenger.h>
#include <Point.h>
#include <Rect.h>

#include "MessengerAccess.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Flat(const BMessage& message)
{
	std::string bytes(size_t(message.FlattenedSize()), '\0');
	EXPECT_EQ(message.Flatten(bytes.data(), ssize_t(bytes.size())), B_OK);
	return bytes;
}

BMessage EveryType()
{
	BMessage message('evry');
	message.AddInt8("int8", -8);
	message.AddUInt16("uint16", 60000);
	message.AddInt32("int32", -320000);
	message.AddInt32("int32", 7);
	message.AddUInt64("uint64", ~uint64(0));
	message.AddBool("bool", true);
	message.AddBool("bool", false);
	message.AddFloat("float", 1.5f);
	message.AddDouble("double", -2.25e100);
	message.AddString("string", "h\xc3\xa9llo");
	message.AddString("string", "");
	message.AddPoint("point", BPoint(3.5f, -4));
	message.AddRect("rect", BRect(1, 2, 30, 40));
	message.AddPointer("pointer", reinterpret_cast<void*>(uintptr_t(0x1234)));
	entry_ref ref(7, 99, "file.txt");
	ref.SetDirectoryPath("/home/someone/docs");
	message.AddRef("ref", &ref);
	message.AddMessenger("messenger", BPrivate::MessengerAccess::Make(4242, 17, 23));
	BMessage inner('innr');
	inner.AddString("deep", "value");
	message.AddMessage("message", &inner);
	const char raw[] = {0, 1, 2, 3, 4, 5};
	message.AddData("raw", B_RAW_TYPE, raw, sizeof(raw), false);
	message.AddData("raw", B_RAW_TYPE, raw, 2, false);
	message.AddData("custom", 'CUST', raw, 3, true);
	message.AddSpecifier("Entry", 5);
	return message;
}

// b holds the same fields as a, in the same order, with the same bytes in every item.
void ExpectSameFields(const BMessage& a, const BMessage& b)
{
	EXPECT_EQ(a.what, b.what);
	ASSERT_EQ(a.CountNames(B_ANY_TYPE), b.CountNames(B_ANY_TYPE));
	const char *name, *otherName;
	type_code type, otherType;
	int32 count, otherCount;
	for (int32 i = 0; a.GetInfo(B_ANY_TYPE, i, &name, &type, &count) == B_OK; i++) {
		ASSERT_EQ(b.GetInfo(B_ANY_TYPE, i, &otherName, &otherType, &otherCount), B_OK);
		ASSERT_STREQ(otherName, name);
		ASSERT_EQ(otherType, type) << name;
		ASSERT_EQ(otherCount, count) << name;
		bool fixed, otherFixed;
		a.GetInfo(name, &type, &fixed);
		b.GetInfo(name, &otherType, &otherFixed);
		EXPECT_EQ(otherFixed, fixed) << name;
		for (int32 item = 0; item < count; item++) {
			const void *data, *otherData;
			ssize_t size, otherSize;
			ASSERT_EQ(a.FindData(name, type, item, &data, &size), B_OK);
			ASSERT_EQ(b.FindData(name, type, item, &otherData, &otherSize), B_OK);
			ASSERT_EQ(std::string(static_cast<const char*>(otherData), size_t(otherSize)),
				std::string(static_cast<const char*>(data), size_t(size))) << name << " " << item;
		}
	}
}

// message nested depth times in messages of its own.
BMessage Nested(BMessage message, int depth)
{
	for (int level = 0; level < depth; level++) {
		BMessage outer('nest');
		outer.AddMessage("m", &message);
		message = outer;
	}
	return message;
}

// bytes with the four bytes at offset replaced by value.
std::string Patched(std::string bytes, size_t offset, uint32 value)
{
	memcpy(bytes.data() + offset, &value, 4);
	return bytes;
}

}  // namespace

TEST(MessageFlatten, EveryFieldTypeRoundTripsInAStableLittleEndianFormat)
{
	const BMessage original = EveryType();
	const std::string bytes = Flat(original);
	BMessage copy;
	ASSERT_EQ(copy.Unflatten(bytes.data(), bytes.size()), B_OK);
	ExpectSameFields(original, copy);
	EXPECT_EQ(Flat(copy), bytes);
	// A ref's own encoding reads back through its accessor.
	entry_ref ref;
	ASSERT_EQ(copy.FindRef("ref", &ref), B_OK);
	EXPECT_EQ(ref.device, dev_t(7));
	EXPECT_EQ(ref.DirectoryPath() + "/" + ref.name, "/home/someone/docs/file.txt");

	BMessage message(0x01020304);
	message.AddInt32("v", 0x0a0b0c0d);
	const std::string small = Flat(message);
	EXPECT_EQ(small.substr(0, 5), std::string("CVMF\1", 5));  // magic and version
	uint32 total = 0;
	memcpy(&total, small.data() + 8, 4);
	EXPECT_EQ(total, small.size());
	EXPECT_EQ(small.substr(12, 4), "\x04\x03\x02\x01");  // what, lowest byte first
	EXPECT_EQ(small.substr(small.size() - 4), "\x0d\x0c\x0b\x0a");
	// A buffer one byte short is refused; unflattening without a size reads only the
	// size the bytes declare.
	std::string shorter(small.size() - 1, '\0');
	EXPECT_EQ(message.Flatten(shorter.data(), ssize_t(shorter.size())), B_BAD_VALUE);
	const std::string trailing = small + "trailing garbage";
	ASSERT_EQ(copy.Unflatten(trailing.data()), B_OK);
	EXPECT_EQ(copy.GetInt32("v", 0), 0x0a0b0c0d);
}

TEST(MessageFlatten, HostileStructuresAreRefusedWithoutAllocatingOrRecursingWithoutEnd)
{
	BMessage one;
	one.AddInt32("x", 1);
	BMessage two;
	two.AddInt32("a", 1);
	two.AddInt32("b", 2);
	std::string duplicate = Flat(two);
	duplicate[duplicate.find('b', 44)] = 'a';
	BMessage inner('innr');
	inner.AddInt32("v", 1);
	std::string damagedInner = Flat(Nested(inner, 1));
	damagedInner[damagedInner.find("CVMF", 4)] = 'X';
	const std::string text = "this is not a flattened message at all, not even close!";

	const status_t kAnyError = B_ERROR;  // any failure will do
	const struct {
		const char* what;
		std::string bytes;
		status_t expected;
	} cases[] = {
		// Four billion fields, or items, in a few dozen bytes must fail fast.
		{"huge field count", Patched(Flat(one), 40, 0xffffffffu), B_BAD_DATA},
		// After the name length, the name, the type and the fixed flag.
		{"huge item count", Patched(Flat(one), 44 + 2 + 1 + 4 + 1, 0xffffffffu), B_BAD_DATA},
		{"duplicate field names", duplicate, B_BAD_DATA},
		{"31 levels of nesting", Flat(Nested(BMessage('leaf'), 31)), B_OK},
		{"34 levels of nesting", Flat(Nested(BMessage('leaf'), 34)), B_BAD_DATA},
		{"a damaged nested message", damagedInner, kAnyError},
		{"not a message", text, B_NOT_A_MESSAGE},
		{"a message cut short", Flat(EveryType()).substr(0, 200), kAnyError},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.what);
		BMessage copy('old');
		copy.AddInt32("old", 1);
		const status_t got = copy.Unflatten(test.bytes.data(), test.bytes.size());
		if (test.expected == kAnyError)
			EXPECT_NE(got, B_OK);
		else
			EXPECT_EQ(got, test.expected);
		// A refused message is left empty, not half old and half new.
		if (got != B_OK) {
			EXPECT_TRUE(copy.IsEmpty() && copy.what == 0);
		}
	}
	BMessage message;
	EXPECT_EQ(message.Unflatten(nullptr, 10), B_BAD_VALUE);
}
