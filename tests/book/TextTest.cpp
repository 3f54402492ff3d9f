// The record text and the postal address block, byte for byte.
#include <BookText.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string RecordText(const ABookRecord& record)
{
	char buffer[kBookTextBufferSize];
	const size_t length = BuildRecordText(&record, buffer);
	EXPECT_EQ(length, strlen(buffer));
	return std::string(buffer, length);
}

std::string AddressBlock(const ABookRecord& record)
{
	char buffer[kBookTextBufferSize];
	const size_t length = BuildAddressBlock(&record, buffer);
	EXPECT_EQ(length, strlen(buffer));
	return std::string(buffer, length);
}

}  // namespace

TEST(TextTest, EmptyRecordTextIsTwentyOneTabs)
{
	ABookRecord record;
	EXPECT_EQ(RecordText(record), std::string(21, '\t'));
}

TEST(TextTest, RecordTextIsEveryFieldEachWithItsTab)
{
	ABookRecord record;
	std::string expected;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		const std::string text = "f" + std::to_string(field);
		record.SetField(field, text.c_str());
		expected += text + "\t";
	}
	EXPECT_EQ(RecordText(record), expected);
}

TEST(TextTest, AddressBlockKeepsEmptyFieldsAndItsSpaces)
{
	ABookRecord record;
	record.SetField(kFirstNameField, "Ann");
	record.SetField(kLastNameField, "Lee");
	EXPECT_EQ(AddressBlock(record), "Ann  Lee \n \n \n \n \n   ");
}

TEST(TextTest, AddressBlockUsesOnlyThePostalFields)
{
	ABookRecord record;
	for (int32 field = 0; field < kBookFieldCount; field++)
		record.SetField(field, kBookFieldNames[field]);
	EXPECT_EQ(AddressBlock(record),
		"First Name Middle Name Last Name \n"
		"Title \n"
		"Company \n"
		"Address 1 \n"
		"Address 2 \n"
		"City State Zip/Postal Code ");
}

TEST(TextTest, LongestTextsFitTheBuffer)
{
	ABookRecord record;
	for (int32 field = 0; field < kBookFieldCount; field++)
		record.SetField(field, std::string(40, 'a' + field).c_str());
	const std::string text = RecordText(record);
	EXPECT_EQ(text.size(), 21u * 41u);
	EXPECT_EQ(text.substr(41 * 20), std::string(40, 'a' + 20) + "\t");
	EXPECT_EQ(AddressBlock(record).size(), 10u * 41u + 5u);  // ten fields, five line feeds
}

TEST(TextTest, SmallBufferGetsATerminatedPrefix)
{
	ABookRecord record;
	record.SetField(kNicknameField, "joe");
	char buffer[4] = {'x', 'x', 'x', 'x'};
	EXPECT_EQ(BuildRecordText(&record, buffer, sizeof(buffer)), 3u);
	EXPECT_STREQ(buffer, "joe");
	char one[1] = {'x'};
	EXPECT_EQ(BuildAddressBlock(&record, one, 1), 0u);
	EXPECT_EQ(one[0], '\0');
}
