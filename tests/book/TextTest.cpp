// The record text and the postal address block, byte for byte.
#include <BookText.h>

#include <gtest/gtest.h>

#include <string>

namespace {

template <typename Build>
std::string Text(const ABookRecord& record, Build build)
{
	char buffer[kBookTextBufferSize];
	const size_t length = build(&record, buffer, sizeof(buffer));
	EXPECT_EQ(buffer[length], '\0');
	return std::string(buffer, length);
}

}  // namespace

TEST(TextTest, RecordTextIsEveryFieldEachWithItsTab)
{
	ABookRecord record;
	EXPECT_EQ(Text(record, BuildRecordText), std::string(21, '\t'));
	std::string expected;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		record.SetField(field, std::string(40, 'a' + field).c_str());
		expected += std::string(40, 'a' + field) + "\t";
	}
	EXPECT_EQ(Text(record, BuildRecordText), expected);  // the longest fits
}

TEST(TextTest, AddressBlockHoldsOnlyThePostalFieldsKeepingEmptyOnesAndItsSpaces)
{
	ABookRecord record;
	record.SetField(kFirstNameField, "Ann");
	record.SetField(kLastNameField, "Lee");
	record.SetField(kCountryField, "Norway");
	EXPECT_EQ(Text(record, BuildAddressBlock), "Ann  Lee \n \n \n \n \n   ");

	for (int32 field = 0; field < kBookFieldCount; field++)
		record.SetField(field, kBookFieldNames[field]);
	EXPECT_EQ(Text(record, BuildAddressBlock),
		"First Name Middle Name Last Name \nTitle \nCompany \nAddress 1 \nAddress 2 \n"
		"City State Zip/Postal Code ");
	char small[4];
	EXPECT_EQ(BuildAddressBlock(&record, small, sizeof(small)), 3u);
	EXPECT_STREQ(small, "Fir");
}
