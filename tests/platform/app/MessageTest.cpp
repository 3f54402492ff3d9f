// Fields of a message: adding, finding, replacing and removing, with the errors the
// platform gives for wrong names, types, sizes and indexes; copies; and specifiers.
#include <Message.h>
#include <Messenger.h>
#include <Rect.h>

#include <gtest/gtest.h>

#include <cstring>

TEST(MessageFields, ItemsKeepOrderAndNamesTypesSizesAndIndexesAreChecked)
{
	BMessage message('test');
	for (int32 n : {1, 2, 3})
		ASSERT_EQ(message.AddInt32("n", n), B_OK);
	EXPECT_EQ(message.AddString("n", "x"), B_BAD_TYPE);
	int32 value = 0;
	EXPECT_EQ(message.FindInt32("n", 2, &value), B_OK);
	EXPECT_EQ(value, 3);
	EXPECT_EQ(message.FindInt32("n", 3, &value), B_BAD_INDEX);
	EXPECT_EQ(message.FindInt32("missing", &value), B_NAME_NOT_FOUND);
	EXPECT_EQ(message.FindInt64("n", reinterpret_cast<int64*>(&value)), B_BAD_TYPE);
	EXPECT_EQ(message.GetInt32("nothing", 0, -1), -1);
	EXPECT_EQ(message.AddInt32("", 1), B_BAD_VALUE);
	EXPECT_EQ(message.AddString("s", static_cast<const char*>(nullptr)), B_BAD_VALUE);
	// A string stored as raw bytes without its NUL is not handed out as a string.
	ASSERT_EQ(message.AddData("raw", B_STRING_TYPE, "abc", 3, false), B_OK);
	const char* text = nullptr;
	EXPECT_EQ(message.FindString("raw", &text), B_BAD_DATA);
	// Fixed-size data refuses other sizes; variable data takes any, even none.
	ASSERT_EQ(message.AddData("fixed", 'RAWF', "abcd", 4, true), B_OK);
	EXPECT_EQ(message.AddData("fixed", 'RAWF', "abc", 3, true), B_BAD_VALUE);
	ASSERT_EQ(message.AddData("var", B_RAW_TYPE, nullptr, 0, false), B_OK);
	const void* data = nullptr;
	ssize_t size = -1;
	ASSERT_EQ(message.FindData("var", B_ANY_TYPE, 0, &data, &size), B_OK);
	EXPECT_EQ(size, 0);

	ASSERT_EQ(message.ReplaceInt32("n", 1, 20), B_OK);
	EXPECT_EQ(message.GetInt32("n", 1, -1), 20);
	EXPECT_EQ(message.ReplaceInt32("n", 3, 0), B_BAD_INDEX);
	EXPECT_EQ(message.ReplaceString("n", "x"), B_BAD_TYPE);
	ASSERT_EQ(message.RemoveData("n", 0), B_OK);
	EXPECT_EQ(message.GetInt32("n", 0, -1), 20);
	// Removing the last item removes the field.
	ASSERT_EQ(message.RemoveData("var", 0), B_OK);
	EXPECT_EQ(message.RemoveName("var"), B_NAME_NOT_FOUND);
	EXPECT_EQ(message.CountNames(B_ANY_TYPE), 3);
}

TEST(MessageFields, CopiesAndNestedMessagesAreIndependent)
{
	BMessage original('orig');
	original.AddString("name", "first");
	original.AddRect("frame", BRect(1, 2, 3, 4));
	BMessage copy(original);
	copy.ReplaceString("name", "second");
	copy.AddBool("extra", true);
	EXPECT_STREQ(original.GetString("name"), "first");
	EXPECT_FALSE(original.HasBool("extra"));
	EXPECT_EQ(copy.what, uint32('orig'));
	BMessage assigned;
	assigned = copy;
	assigned.MakeEmpty();
	EXPECT_TRUE(copy.HasBool("extra"));

	BMessage outer;
	ASSERT_EQ(outer.AddMessage("inner", &original), B_OK);
	original.AddInt32("later", 1);  // changes after adding do not reach the copy
	BMessage found;
	ASSERT_EQ(outer.FindMessage("inner", &found), B_OK);
	EXPECT_EQ(found.GetRect("frame", BRect()), BRect(1, 2, 3, 4));
	EXPECT_FALSE(found.HasInt32("later"));
}

TEST(MessageSpecifiers, StackIsPoppedFromTheLastAdded)
{
	BMessage message(B_GET_PROPERTY);
	int32 index = 0;
	EXPECT_EQ(message.GetCurrentSpecifier(&index), B_BAD_SCRIPT_SYNTAX);
	BMessage noProperty(B_INDEX_SPECIFIER);
	EXPECT_EQ(message.AddSpecifier(&noProperty), B_BAD_VALUE);
	ASSERT_EQ(message.AddSpecifier("Window", 2), B_OK);
	ASSERT_EQ(message.AddSpecifier("View", "list"), B_OK);
	ASSERT_EQ(message.AddSpecifier("Item", 3, 4), B_OK);
	ASSERT_EQ(message.AddSpecifier("Frame"), B_OK);

	BMessage specifier;
	const char* property = nullptr;
	// The kind of the current specifier, after popping `pops` of them.
	auto current = [&](int pops) {
		for (int i = 0; i < pops; i++)
			EXPECT_EQ(message.PopSpecifier(), B_OK);
		int32 what = 0;
		EXPECT_EQ(message.GetCurrentSpecifier(&index, &specifier, &what, &property), B_OK);
		return what;
	};
	EXPECT_EQ(current(0), B_DIRECT_SPECIFIER);
	EXPECT_EQ(index, 3);
	EXPECT_STREQ(property, "Frame");
	EXPECT_EQ(current(1), B_RANGE_SPECIFIER);
	EXPECT_EQ(specifier.GetInt32("index", -1), 3);
	EXPECT_EQ(specifier.GetInt32("range", -1), 4);
	EXPECT_EQ(current(1), B_NAME_SPECIFIER);
	EXPECT_STREQ(specifier.GetString("name"), "list");
	EXPECT_EQ(current(1), B_INDEX_SPECIFIER);
	EXPECT_STREQ(property, "Window");
	ASSERT_EQ(message.PopSpecifier(), B_OK);
	EXPECT_FALSE(message.HasSpecifiers());
	EXPECT_EQ(message.PopSpecifier(), B_BAD_VALUE);

	// A message never sent has no one to reply to.
	EXPECT_FALSE(message.ReturnAddress().IsValid());
	EXPECT_EQ(message.SendReply('rply'), B_BAD_REPLY);
	EXPECT_FALSE(message.WasDelivered());
}
