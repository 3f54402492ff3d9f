// The record's fields: the 40-byte limit, the UTF-8 safe cut, the separators it
// refuses, and the sort comparison.
#include <ABookRecord.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

int Sign(int value)
{
	return (value > 0) - (value < 0);
}

int CompareTexts(const char* a, const char* b)
{
	ABookRecord left, right;
	left.SetField(kLastNameField, a);
	right.SetField(kLastNameField, b);
	return Sign(ABookRecord::CompareField(&left, &right, kLastNameField));
}

}  // namespace

TEST(RecordTest, NewRecordIsEmptyAndUnlinked)
{
	ABookRecord record;
	for (int32 field = 0; field < kBookFieldCount; field++)
		EXPECT_STREQ(record.Field(field), "") << field;
	EXPECT_EQ(record.Next(), nullptr);
	EXPECT_EQ(record.Previous(), nullptr);
}

TEST(RecordTest, FieldNamesInFieldOrder)
{
	EXPECT_STREQ(kBookFieldNames[kNicknameField], "Nickname");
	EXPECT_STREQ(kBookFieldNames[kZipField], "Zip/Postal Code");
	EXPECT_STREQ(kBookFieldNames[kEmail1Field], "Email 1");
	EXPECT_STREQ(kBookFieldNames[kWebAddressField], "Web Address");
	EXPECT_STREQ(kBookFieldNames[kBirthdayField], "Birthday");
}

TEST(RecordTest, FieldsAreIndependent)
{
	ABookRecord record;
	for (int32 field = 0; field < kBookFieldCount; field++)
		record.SetField(field, std::string(kFieldTextLength, 'a' + field).c_str());
	for (int32 field = 0; field < kBookFieldCount; field++)
		EXPECT_EQ(record.Field(field), std::string(kFieldTextLength, 'a' + field)) << field;
	record.ClearFields();
	EXPECT_STREQ(record.Field(kBirthdayField), "");
}

TEST(RecordTest, TextIsCutAtFortyBytes)
{
	ABookRecord record;
	const std::string forty(40, 'x');
	record.SetField(kCityField, forty.c_str());
	EXPECT_EQ(record.Field(kCityField), forty);

	record.SetField(kCityField, (forty + "yz").c_str());
	EXPECT_EQ(record.Field(kCityField), forty);

	const std::string text = "abcdef";
	record.SetField(kCityField, text.c_str(), 3);
	EXPECT_STREQ(record.Field(kCityField), "abc");

	// Writing a field's own text back must not garble it.
	record.SetField(kCityField, record.Field(kCityField));
	EXPECT_STREQ(record.Field(kCityField), "abc");
}

TEST(RecordTest, CutNeverSplitsAUtf8Character)
{
	ABookRecord record;
	const std::string e_acute = "\xC3\xA9";
	const std::string euro = "\xE2\x82\xAC";
	const std::string emoji = "\xF0\x9F\x98\x80";

	// A two-byte character ending exactly at byte 40 stays.
	record.SetField(kCityField, (std::string(38, 'a') + e_acute + "b").c_str());
	EXPECT_EQ(record.Field(kCityField), std::string(38, 'a') + e_acute);

	// Straddling the cut, the whole character goes.
	record.SetField(kCityField, (std::string(39, 'a') + e_acute).c_str());
	EXPECT_EQ(record.Field(kCityField), std::string(39, 'a'));
	record.SetField(kCityField, (std::string(38, 'a') + euro).c_str());
	EXPECT_EQ(record.Field(kCityField), std::string(38, 'a'));
	for (size_t before = 37; before <= 39; before++) {
		record.SetField(kCityField, (std::string(before, 'a') + emoji).c_str());
		EXPECT_EQ(record.Field(kCityField), std::string(before, 'a')) << before;
	}

	// A full text of multibyte characters loses only the split one.
	std::string euros;
	for (int i = 0; i < 14; i++)
		euros += euro;
	record.SetField(kCityField, euros.c_str());
	EXPECT_EQ(strlen(record.Field(kCityField)), 39u);

	// Bytes that are not UTF-8 are cut plainly at 40.
	const std::string junk(50, '\x80');
	record.SetField(kCityField, junk.c_str());
	EXPECT_EQ(strlen(record.Field(kCityField)), 40u);
}

TEST(RecordTest, SeparatorsAreStoredAsSpaces)
{
	ABookRecord record;
	record.SetField(kCommentsField, "one\ttwo\nthree");
	EXPECT_STREQ(record.Field(kCommentsField), "one two three");
}

TEST(RecordTest, CompareFoldsOnlyAsciiLetters)
{
	EXPECT_EQ(CompareTexts("smith", "Smith"), 0);
	EXPECT_EQ(CompareTexts("Adams", "baker"), -1);
	EXPECT_EQ(CompareTexts("baker", "Adams"), 1);
	EXPECT_EQ(CompareTexts("", "a"), -1);
	EXPECT_EQ(CompareTexts("", "!"), -1);
	EXPECT_EQ(CompareTexts("", ""), 0);
	EXPECT_EQ(CompareTexts("Lee", "leeds"), -1);
	// Bytes from 0x80 compare unsigned, after every ASCII letter.
	EXPECT_EQ(CompareTexts("\xC3\xA9mile", "zz"), 1);
	EXPECT_EQ(CompareTexts("Z", "\x80"), -1);
	// Accented capitals are not folded.
	EXPECT_NE(CompareTexts("\xC3\x89mile", "\xC3\xA9mile"), 0);
	// Symbols between the two letter ranges keep their byte order against
	// folded letters: '_' (0x5F) sorts before 'a' once 'A' is folded.
	EXPECT_EQ(CompareTexts("_", "A"), -1);
	EXPECT_EQ(CompareTexts("[", "a"), -1);
}

TEST(RecordTest, CompareUsesTheGivenField)
{
	ABookRecord a, b;
	a.SetField(kFirstNameField, "zed");
	b.SetField(kFirstNameField, "amy");
	a.SetField(kLastNameField, "aaron");
	b.SetField(kLastNameField, "zimmer");
	EXPECT_GT(ABookRecord::CompareField(&a, &b, kFirstNameField), 0);
	EXPECT_LT(ABookRecord::CompareField(&a, &b, kLastNameField), 0);
	EXPECT_EQ(ABookRecord::CompareField(&a, &b, kBirthdayField), 0);
}
