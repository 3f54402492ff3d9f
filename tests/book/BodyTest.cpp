// The file body: the writer's exact bytes, the reader on the file examples
// (short, long, empty and unfinished lines, NUL, CR LF, the 40-byte cut), the
// choice of layout from the type attribute or, without one, from the body, and
// the frame attribute's bytes.
#include "BookTestSupport.h"

#include <BookBody.h>

#include <cstring>

using Texts = std::vector<std::string>;

namespace {

std::string Tabs(int n)
{
	return std::string(n, '\t');
}

// The records read from body, each as its 21 fields.
std::vector<Texts> Read(const std::string& body, book_layout layout = book_layout::kAllColumns)
{
	CVABook book(nullptr);
	const int32 read = ReadBookBody(&book, body.data(), body.size(), layout);
	EXPECT_EQ(read, book.CountRecords());
	ListedField(book);  // checks the links and the count
	std::vector<Texts> records;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
		records.emplace_back();
		for (int32 field = 0; field < kBookFieldCount; field++)
			records.back().push_back(r->Field(field));
	}
	return records;
}

Texts Fields(std::initializer_list<std::pair<int32, std::string>> set)
{
	Texts fields(kBookFieldCount);
	for (const auto& [field, text] : set)
		fields[field] = text;
	return fields;
}

}  // namespace

TEST(BodyTest, WriterGivesTheExactLinesOfCountedRecords)
{
	CVABook book(nullptr);
	EXPECT_EQ(BookBodyBytes(&book), "");
	AddRecord(book, "joe")->SetField(kEmail1Field, "joe@example.com");
	AddRecord(book, "");
	book.AppendRecord()->SetField(kNicknameField, "not yet kept");
	EXPECT_EQ(BookBodyBytes(&book),
		"joe" + Tabs(15) + "joe@example.com" + Tabs(5) + "\n" + Tabs(20) + "\n");
}

TEST(BodyTest, WriterHandsOverBoundedPiecesAndStopsOnError)
{
	CVABook book(nullptr);
	std::string expected;
	for (int i = 0; i < 3000; i++) {
		ABookRecord* record = AddRecord(book, std::to_string(i).c_str());
		expected += std::to_string(i);
		for (int32 field = 1; field < kBookFieldCount; field++) {
			record->SetField(field, std::string(40 - field % 3, 'a' + field).c_str());
			expected += "\t" + std::string(40 - field % 3, 'a' + field);
		}
		expected += "\n";
	}
	std::string joined;
	int pieces = 0;
	EXPECT_EQ(WriteBookBody(&book, [&](const char* bytes, size_t size) {
		EXPECT_LE(size, 256u * 1024u);
		joined.append(bytes, size);
		pieces++;
		return B_OK;
	}), B_OK);
	EXPECT_GT(pieces, 1);
	EXPECT_TRUE(joined == expected);

	pieces = 0;
	EXPECT_EQ(WriteBookBody(&book, [&](const char*, size_t) {
		pieces++;
		return B_DEVICE_FULL;
	}), B_DEVICE_FULL);
	EXPECT_EQ(pieces, 1);
}

TEST(BodyTest, ReaderOnLinesLongShortEmptyAndUnfinished)
{
	auto records = Read("joe" + Tabs(15) + "joe@example.com" + Tabs(5) + "\n\na\tb\n");
	ASSERT_EQ(records.size(), 3u);
	EXPECT_EQ(records[0], Fields({{kNicknameField, "joe"}, {kEmail1Field, "joe@example.com"}}));
	EXPECT_EQ(records[1], Texts(kBookFieldCount));
	EXPECT_EQ(records[2], Fields({{0, "a"}, {1, "b"}}));

	std::string longLine;
	for (int c = 0; c < 25; c++)
		longLine += "c" + std::to_string(c) + (c < 24 ? "\t" : "\n");
	EXPECT_EQ(Read(longLine)[0][20], "c20");
	records = Read(longLine, book_layout::kNoNickname);
	EXPECT_EQ(records[0][0], "");
	EXPECT_EQ(records[0][1], "c0");
	EXPECT_EQ(records[0][20], "c19");

	// An unfinished last line is kept when it holds any byte.
	EXPECT_EQ(Read("first\nlast\tline").back(), Fields({{0, "last"}, {1, "line"}}));
	EXPECT_EQ(Read("first\n\t").size(), 2u);
	EXPECT_EQ(Read("first\n").size(), 1u);
	EXPECT_TRUE(Read("").empty());
}

TEST(BodyTest, ThreeColumnTextFileGoesToTheNamesAndSavesIn21Columns)
{
	const std::string body = "a\tb\tc\n";
	EXPECT_EQ(Read(body, book_layout::kNoNickname)[0],
		Fields({{kFirstNameField, "a"}, {kMiddleNameField, "b"}, {kLastNameField, "c"}}));
	CVABook book(nullptr);
	ReadBookBody(&book, body.data(), body.size(), book_layout::kNoNickname);
	EXPECT_EQ(BookBodyBytes(&book), "\ta\tb\tc" + Tabs(17) + "\n");
}

TEST(BodyTest, NulEndsTheFileCarriageReturnIsText)
{
	EXPECT_EQ(Read(std::string("first\nsec\0ond\nthird\n", 19)).size(), 1u);
	EXPECT_EQ(Read(std::string("first\n\0more\n", 12)).size(), 1u);
	EXPECT_EQ(Read(std::string("first\nno end\0", 13)).size(), 1u);

	const auto records = Read("a\tb\r\nc\r\n");
	EXPECT_EQ(records[0][1], "b\r");
	EXPECT_EQ(records[1][0], "c\r");
}

TEST(BodyTest, LongColumnsAreCutAtACharacterBoundary)
{
	const auto records = Read(std::string(45, 'x') + "\t" + std::string(39, 'y') + "\xC3\xA9\t"
		+ std::string(40, 'z') + "\n");
	EXPECT_EQ(records[0][0], std::string(40, 'x'));
	EXPECT_EQ(records[0][1], std::string(39, 'y'));
	EXPECT_EQ(records[0][2], std::string(40, 'z'));
}

TEST(BodyTest, OnlyTheAddressBookTypeReadsAllColumns)
{
	const std::string ours(kBookFileType, kBookFileTypeSize);
	const std::pair<std::string, book_layout> cases[] = {
		{ours, book_layout::kAllColumns},
		{kBookFileType, book_layout::kAllColumns},  // stored without its NUL
		{ours + "junk", book_layout::kAllColumns},
		{std::string(kOriginalBookFileType) + '\0', book_layout::kNoNickname},
		{std::string(kBookFileType) + "x", book_layout::kNoNickname},
		{ours.substr(0, kBookFileTypeSize - 2), book_layout::kNoNickname},
		{"text/plain", book_layout::kNoNickname},
		{"", book_layout::kNoNickname},
	};
	for (const auto& [value, layout] : cases)
		EXPECT_EQ(LayoutForType(value.data(), value.size()), layout) << value;
}

TEST(BodyTest, TypelessFileOfFullLinesReadsAllColumns)
{
	const std::string full = "joe" + Tabs(20) + "\n";
	const std::pair<std::string, book_layout> cases[] = {
		{full + Tabs(20) + "\n", book_layout::kAllColumns},
		{full + "x" + Tabs(20), book_layout::kAllColumns},  // unfinished last line
		{"a\r" + Tabs(20) + "b\r\n", book_layout::kAllColumns},
		{full + std::string("a\tb\0\n", 5), book_layout::kAllColumns},  // cut by NUL
		{full + Tabs(19) + "\n", book_layout::kNoNickname},
		{full + Tabs(21) + "\n", book_layout::kNoNickname},
		{full + "\n", book_layout::kNoNickname},
		{"a\tb\tc\n", book_layout::kNoNickname},
		{"", book_layout::kNoNickname},
	};
	for (const auto& [body, layout] : cases)
		EXPECT_EQ(LayoutForTypelessBody(body.data(), body.size()), layout) << body;
}

TEST(BodyTest, FrameIsFourLittleEndianFloats)
{
	uint8 bytes[kFrameAttrSize];
	EncodeFrame(book_frame{1.0f, -2.0f, 100.5f, 0.0f}, bytes);
	const uint8 expected[kFrameAttrSize] = {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0xC0,
		0x00, 0x00, 0xC9, 0x42, 0x00, 0x00, 0x00, 0x00};
	EXPECT_EQ(memcmp(bytes, expected, sizeof(bytes)), 0);
	book_frame frame;
	ASSERT_TRUE(DecodeFrame(bytes, sizeof(bytes), &frame));
	EXPECT_EQ(frame.top, -2.0f);
	EXPECT_EQ(frame.right, 100.5f);
	EXPECT_FALSE(DecodeFrame(bytes, 15, &frame));
}
