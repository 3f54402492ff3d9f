// The record's fields: the 40-byte limit, the UTF-8 safe cut, the separators it
// refuses, and the sort comparison; its text and postal address block, byte for
// byte.
#include <BookText.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using std::string;

TEST(RecordTest, TextIsCutAtFortyBytesNeverInsideACharacter)
{
	const string e = "\xC3\xA9", euro = "\xE2\x82\xAC", emoji = "\xF0\x9F\x98\x80";
	const struct {
		string text;
		string kept;
	} cases[] = {
		{string(40, 'x'), string(40, 'x')},
		{string(40, 'x') + "yz", string(40, 'x')},
		{string(38, 'a') + e + "b", string(38, 'a') + e},  // ends exactly at 40
		{string(39, 'a') + e, string(39, 'a')},
		{string(38, 'a') + euro, string(38, 'a')},
		{string(37, 'a') + emoji, string(37, 'a')},
		{string(39, 'a') + emoji, string(39, 'a')},
		{string(50, '\x80'), string(40, '\x80')},  // not UTF-8: a plain cut
		{"one\ttwo\nthree", "one two three"},        // separators become spaces
	};
	ABookRecord record;
	for (const auto& c : cases) {
		record.SetField(kCityField, c.text.c_str());
		EXPECT_EQ(record.Field(kCityField), c.kept) << c.text;
	}
	record.SetField(kCityField, "abcdef", 3);
	EXPECT_STREQ(record.Field(kCityField), "abc");
	record.SetField(kCityField, record.Field(kCityField));  // its own text
	EXPECT_STREQ(record.Field(kCityField), "abc");
	record.SetField(kCityField, std::string_view().data(), 0);  // an empty view's null text
	EXPECT_STREQ(record.Field(kCityField), "");
	EXPECT_STREQ(record.Field(kStateField), "");
}

TEST(RecordTest, CompareFoldsOnlyAsciiLetters)
{
	const struct {
		const char* a;
		const char* b;
		int sign;
	} cases[] = {
		{"smith", "Smith", 0}, {"Adams", "baker", -1}, {"baker", "Adams", 1},
		{"", "a", -1}, {"", "!", -1}, {"", "", 0}, {"Lee", "leeds", -1},
		{"\xC3\xA9mile", "zz", 1},              // bytes from 0x80 after letters
		{"\xC3\x89mile", "\xC3\xA9mile", -1},   // accented capitals not folded
		{"_", "A", -1}, {"[", "a", -1},         // symbols against folded letters
	};
	ABookRecord a, b;
	for (const auto& c : cases) {
		a.SetField(kLastNameField, c.a);
		b.SetField(kLastNameField, c.b);
		const int result = ABookRecord::CompareField(&a, &b, kLastNameField);
		EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
	}
	a.SetField(kFirstNameField, "amy");
	EXPECT_GT(ABookRecord::CompareField(&a, &b, kFirstNameField), 0);
}

namespace {

template <typename Build>
string Text(const ABookRecord& record, Build build)
{
	char buffer[kBookTextBufferSize];
	const size_t length = build(&record, buffer, sizeof(buffer));
	EXPECT_EQ(buffer[length], '\0');
	return string(buffer, length);
}

}  // namespace

// The record text is every field with its TAB, the longest too; the address
// block only the postal fields, empty ones and their spaces kept.
TEST(RecordTest, TextHoldsEveryFieldAndTheAddressBlockThePostalOnes)
{
	ABookRecord record;
	EXPECT_EQ(Text(record, BuildRecordText), string(21, '\t'));
	record.SetField(kFirstNameField, "Ann");
	record.SetField(kLastNameField, "Lee");
	record.SetField(kCountryField, "Norway");
	EXPECT_EQ(Text(record, BuildAddressBlock), "Ann  Lee \n \n \n \n \n   ");

	string expected;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		record.SetField(field, string(40, 'a' + field).c_str());
		expected += string(40, 'a' + field) + "\t";
	}
	EXPECT_EQ(Text(record, BuildRecordText), expected);
	for (int32 field = 0; field < kBookFieldCount; field++)
		record.SetField(field, kBookFieldNames[field]);
	EXPECT_EQ(Text(record, BuildAddressBlock),
		"First Name Middle Name Last Name \nTitle \nCompany \nAddress 1 \nAddress 2 \n"
		"City State Zip/Postal Code ");
	char small[4];
	EXPECT_EQ(BuildAddressBlock(&record, small, sizeof(small)), 3u);
	EXPECT_STREQ(small, "Fir");
}
