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

// Reads body into a fresh document and returns every record as its 21 fields.
std::vector<Texts> Read(const std::string& body, book_layout layout)
{
	CVABook book(nullptr);
	const int32 read = ReadBookBody(&book, body.data(), body.size(), layout);
	EXPECT_EQ(read, book.CountRecords());
	ListedField(book);  // checks the links and the count
	std::vector<Texts> records;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
		Texts fields;
		for (int32 field = 0; field < kBookFieldCount; field++)
			fields.push_back(r->Field(field));
		records.push_back(fields);
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

const Texts kEmpty(kBookFieldCount);

}  // namespace

// --- writer

TEST(BodyTest, EmptyBookWritesNothing)
{
	CVABook book(nullptr);
	EXPECT_EQ(BookBodyBytes(&book), "");
}

TEST(BodyTest, WriterGivesTheExactLines)
{
	CVABook book(nullptr);
	AddRecord(book, "joe")->SetField(kEmail1Field, "joe@example.com");
	AddRecord(book, "");
	EXPECT_EQ(BookBodyBytes(&book),
		"joe" + Tabs(15) + "joe@example.com" + Tabs(5) + "\n" + Tabs(20) + "\n");
}

TEST(BodyTest, WriterWritesOnlyCountedRecords)
{
	CVABook book(nullptr);
	AddRecord(book, "kept");
	book.AppendRecord()->SetField(kNicknameField, "not yet kept");
	EXPECT_EQ(BookBodyBytes(&book), "kept" + Tabs(20) + "\n");
}

TEST(BodyTest, WriterHandsOverBoundedPiecesAndStopsOnError)
{
	CVABook book(nullptr);
	for (int i = 0; i < 3000; i++) {
		ABookRecord* record = AddRecord(book, std::to_string(i).c_str());
		for (int32 field = 1; field < kBookFieldCount; field++)
			record->SetField(field, std::string(40, 'a' + field).c_str());
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
	EXPECT_EQ(joined, BookBodyBytes(&book));
	size_t expectedSize = 0;
	for (int i = 0; i < 3000; i++)
		expectedSize += std::to_string(i).size() + 20 * 40 + 21;
	EXPECT_EQ(joined.size(), expectedSize);

	int calls = 0;
	EXPECT_EQ(WriteBookBody(&book, [&](const char*, size_t) {
		calls++;
		return B_DEVICE_FULL;
	}), B_DEVICE_FULL);
	EXPECT_EQ(calls, 1);
}

TEST(BodyTest, WrittenBodyReadsBackTheSameRecords)
{
	CVABook book(nullptr);
	for (int i = 0; i < 50; i++) {
		ABookRecord* record = AddRecord(book, ("nick" + std::to_string(i)).c_str());
		record->SetField(i % kBookFieldCount, "\xC3\xA9t\xC3\xA9\r");
		record->SetField(kBirthdayField, std::string(40, 'b').c_str());
	}
	AddRecord(book, "");
	const std::string body = BookBodyBytes(&book);
	CVABook again(nullptr);
	ReadBookBody(&again, body.data(), body.size(), book_layout::kAllColumns);
	EXPECT_EQ(BookBodyBytes(&again), body);
	EXPECT_EQ(again.CountRecords(), 51);
}

// --- reader

TEST(BodyTest, ReaderReadsFullLinesAndEmptyLines)
{
	const std::string body = "joe" + Tabs(15) + "joe@example.com" + Tabs(5) + "\n\n";
	const auto records = Read(body, book_layout::kAllColumns);
	ASSERT_EQ(records.size(), 2u);
	EXPECT_EQ(records[0], Fields({{kNicknameField, "joe"}, {kEmail1Field, "joe@example.com"}}));
	EXPECT_EQ(records[1], kEmpty);
	EXPECT_TRUE(Read("", book_layout::kAllColumns).empty());
	EXPECT_EQ(Read("\n\n\n", book_layout::kNoNickname).size(), 3u);
}

TEST(BodyTest, ShortLinesLeaveFieldsEmptyAndLongLinesDropColumns)
{
	auto records = Read("a\tb\n", book_layout::kAllColumns);
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(records[0], Fields({{0, "a"}, {1, "b"}}));

	std::string longLine;
	for (int c = 0; c < 25; c++)
		longLine += "c" + std::to_string(c) + (c < 24 ? "\t" : "\n");
	records = Read(longLine, book_layout::kAllColumns);
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(records[0][0], "c0");
	EXPECT_EQ(records[0][20], "c20");

	records = Read(longLine, book_layout::kNoNickname);
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(records[0][0], "");
	EXPECT_EQ(records[0][1], "c0");
	EXPECT_EQ(records[0][20], "c19");
}

TEST(BodyTest, ThreeColumnTextFileGoesToTheNames)
{
	const std::string body = "a\tb\tc\n";
	EXPECT_EQ(LayoutForTypelessBody(body.data(), body.size()), book_layout::kNoNickname);
	const auto records = Read(body, book_layout::kNoNickname);
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(records[0], Fields({{kFirstNameField, "a"}, {kMiddleNameField, "b"},
		{kLastNameField, "c"}}));

	// Saving it rewrites it in 21 columns.
	CVABook book(nullptr);
	ReadBookBody(&book, body.data(), body.size(), book_layout::kNoNickname);
	EXPECT_EQ(BookBodyBytes(&book), "\ta\tb\tc" + Tabs(17) + "\n");
}

TEST(BodyTest, NulEndsTheFileAndDropsItsLine)
{
	const std::string body = std::string("first\n") + "sec" + '\0' + "ond\nthird\n";
	const auto records = Read(body, book_layout::kAllColumns);
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(records[0][0], "first");

	const std::string atLineStart = std::string("first\n") + '\0' + "more\n";
	EXPECT_EQ(Read(atLineStart, book_layout::kAllColumns).size(), 1u);
	EXPECT_TRUE(Read(std::string(1, '\0') + "x\n", book_layout::kAllColumns).empty());
}

TEST(BodyTest, UnfinishedLastLineIsKeptWhenItHoldsAnyByte)
{
	auto records = Read("first\nlast\tline", book_layout::kAllColumns);
	ASSERT_EQ(records.size(), 2u);
	EXPECT_EQ(records[1], Fields({{0, "last"}, {1, "line"}}));

	EXPECT_EQ(Read("first\n\t", book_layout::kAllColumns).size(), 2u);
	EXPECT_EQ(Read("first\n", book_layout::kAllColumns).size(), 1u);
	EXPECT_EQ(Read("x", book_layout::kAllColumns).size(), 1u);
}

TEST(BodyTest, CarriageReturnStaysInTheLastColumn)
{
	const auto records = Read("a\tb\r\nc\r\n", book_layout::kAllColumns);
	ASSERT_EQ(records.size(), 2u);
	EXPECT_EQ(records[0][1], "b\r");
	EXPECT_EQ(records[1][0], "c\r");
}

TEST(BodyTest, LongColumnsAreCutAtACharacterBoundary)
{
	const std::string body = std::string(45, 'x') + "\t" + std::string(39, 'y') + "\xC3\xA9"
		+ "\t" + std::string(40, 'z') + "\n";
	const auto records = Read(body, book_layout::kAllColumns);
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(records[0][0], std::string(40, 'x'));
	EXPECT_EQ(records[0][1], std::string(39, 'y'));
	EXPECT_EQ(records[0][2], std::string(40, 'z'));
}

// --- layout choice

TEST(BodyTest, OnlyTheAddressBookTypeReadsAllColumns)
{
	auto layout = [](const std::string& value) {
		return LayoutForType(value.data(), value.size());
	};
	EXPECT_EQ(layout(std::string(kBookFileType, kBookFileTypeSize)), book_layout::kAllColumns);
	EXPECT_EQ(layout(kBookFileType), book_layout::kAllColumns);
	EXPECT_EQ(layout(std::string(kBookFileType, kBookFileTypeSize) + "junk"),
		book_layout::kAllColumns);
	EXPECT_EQ(layout(std::string(kOriginalBookFileType) + '\0'), book_layout::kNoNickname);
	EXPECT_EQ(layout(std::string(kBookFileType) + "x" + '\0'), book_layout::kNoNickname);
	EXPECT_EQ(layout(std::string(kBookFileType, kBookFileTypeSize - 2)), book_layout::kNoNickname);
	EXPECT_EQ(layout("text/plain"), book_layout::kNoNickname);
	EXPECT_EQ(layout(""), book_layout::kNoNickname);
	EXPECT_EQ(LayoutForType(nullptr, 0), book_layout::kNoNickname);
	EXPECT_EQ(strlen(kBookFileType) + 1, kBookFileTypeSize);
}

TEST(BodyTest, TypelessFileOfFullLinesReadsAllColumns)
{
	auto layout = [](const std::string& body) {
		return LayoutForTypelessBody(body.data(), body.size());
	};
	const std::string full = "joe" + Tabs(20) + "\n";
	EXPECT_EQ(layout(full + Tabs(20) + "\n"), book_layout::kAllColumns);
	EXPECT_EQ(layout(full + full.substr(0, full.size() - 1)), book_layout::kAllColumns);
	EXPECT_EQ(layout("a\r" + Tabs(20) + "b\r\n"), book_layout::kAllColumns);
	// Any other line shape anywhere keeps the 20-column rule.
	EXPECT_EQ(layout(full + Tabs(19) + "\n"), book_layout::kNoNickname);
	EXPECT_EQ(layout(full + Tabs(21) + "\n"), book_layout::kNoNickname);
	EXPECT_EQ(layout(full + "\n"), book_layout::kNoNickname);
	EXPECT_EQ(layout(Tabs(19) + "\n" + full), book_layout::kNoNickname);
	EXPECT_EQ(layout(""), book_layout::kNoNickname);
	// A NUL ends the body: the line it cuts short does not count.
	EXPECT_EQ(layout(full + "a\tb" + '\0' + "\n"), book_layout::kAllColumns);
}

// --- frame attribute

TEST(BodyTest, FrameIsFourLittleEndianFloats)
{
	uint8 bytes[kFrameAttrSize];
	EncodeFrame(book_frame{1.0f, -2.0f, 100.5f, 0.0f}, bytes);
	const uint8 expected[kFrameAttrSize] = {
		0x00, 0x00, 0x80, 0x3F,  0x00, 0x00, 0x00, 0xC0,
		0x00, 0x00, 0xC9, 0x42,  0x00, 0x00, 0x00, 0x00};
	EXPECT_EQ(memcmp(bytes, expected, sizeof(bytes)), 0);

	book_frame frame;
	ASSERT_TRUE(DecodeFrame(bytes, sizeof(bytes), &frame));
	EXPECT_EQ(frame.left, 1.0f);
	EXPECT_EQ(frame.top, -2.0f);
	EXPECT_EQ(frame.right, 100.5f);
	EXPECT_EQ(frame.bottom, 0.0f);
	EXPECT_FALSE(DecodeFrame(bytes, 15, &frame));
}
