// The file body: the writer's exact bytes, the reader on the file examples
// (short, long, empty and unfinished lines, NUL, CR LF, the 40-byte cut), the
// choice of layout from the type attribute or, without one, from the body, the
// frame attribute's bytes and which stored frames can be trusted, and what
// reading cannot keep.
#include "BookTestSupport.h"

#include <BookBody.h>

#include <cstring>
#include <limits>

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

book_read_losses LossesOf(const std::string& body, book_layout layout = book_layout::kAllColumns)
{
	CVABook book(nullptr);
	book_read_losses losses;
	ReadBookBody(&book, body.data(), body.size(), layout, &losses);
	return losses;
}

}  // namespace

TEST(BodyTest, WriterGivesTheExactLinesOfCountedRecordsInBoundedPieces)
{
	CVABook book(nullptr);
	EXPECT_EQ(BookBodyBytes(&book), "");
	AddRecord(book, "joe")->SetField(kEmail1Field, "joe@example.com");
	AddRecord(book, "");
	EXPECT_EQ(BookBodyBytes(&book),
		"joe" + Tabs(15) + "joe@example.com" + Tabs(5) + "\n" + Tabs(20) + "\n");

	CVABook big(nullptr);
	std::string expected;
	for (int i = 0; i < 3000; i++) {
		ABookRecord* record = AddRecord(big, std::to_string(i).c_str());
		expected += std::to_string(i);
		for (int32 field = 1; field < kBookFieldCount; field++) {
			record->SetField(field, std::string(40 - field % 3, 'a' + field).c_str());
			expected += "\t" + std::string(40 - field % 3, 'a' + field);
		}
		expected += "\n";
	}
	std::string joined;
	int pieces = 0;
	EXPECT_EQ(WriteBookBody(&big, [&](const char* bytes, size_t size) {
		EXPECT_LE(size, 256u * 1024u);
		joined.append(bytes, size);
		pieces++;
		return B_OK;
	}), B_OK);
	EXPECT_GT(pieces, 1);
	EXPECT_TRUE(joined == expected);

	// An error from the sink stops the writer.
	pieces = 0;
	EXPECT_EQ(WriteBookBody(&big, [&](const char*, size_t) {
		pieces++;
		return B_DEVICE_FULL;
	}), B_DEVICE_FULL);
	EXPECT_EQ(pieces, 1);
}

TEST(BodyTest, ReaderOnLinesLongShortEmptyUnfinishedAndCutByNul)
{
	auto records = Read("joe" + Tabs(15) + "joe@example.com" + Tabs(5) + "\n\na\tb\r\n");
	ASSERT_EQ(records.size(), 3u);
	EXPECT_EQ(records[0], Fields({{kNicknameField, "joe"}, {kEmail1Field, "joe@example.com"}}));
	EXPECT_EQ(records[1], Texts(kBookFieldCount));
	EXPECT_EQ(records[2], Fields({{0, "a"}, {1, "b\r"}}));  // a carriage return is text

	std::string longLine;
	for (int c = 0; c < 25; c++)
		longLine += "c" + std::to_string(c) + (c < 24 ? "\t" : "\n");
	EXPECT_EQ(Read(longLine)[0][20], "c20");
	records = Read(longLine, book_layout::kNoNickname);
	EXPECT_EQ(records[0][0], "");
	EXPECT_EQ(records[0][1], "c0");
	EXPECT_EQ(records[0][20], "c19");

	// Columns are cut at 40 bytes, before a character the cut would split.
	EXPECT_EQ(Read(std::string(45, 'x') + "\t" + std::string(39, 'y') + "\xC3\xA9\t"
		+ std::string(40, 'z') + "\n")[0],
		Fields({{0, std::string(40, 'x')}, {1, std::string(39, 'y')}, {2, std::string(40, 'z')}}));

	// An unfinished last line is kept when it holds any byte.
	EXPECT_EQ(Read("first\nlast\tline").back(), Fields({{0, "last"}, {1, "line"}}));
	EXPECT_EQ(Read("first\n\t").size(), 2u);
	EXPECT_EQ(Read("first\n").size(), 1u);
	EXPECT_TRUE(Read("").empty());
	// A NUL ends the file, with the unfinished line before it.
	EXPECT_EQ(Read(std::string("first\nsec\0ond\nthird\n", 19)).size(), 1u);
	EXPECT_EQ(Read(std::string("first\n\0more\n", 12)).size(), 1u);
	EXPECT_EQ(Read(std::string("first\nno end\0", 13)).size(), 1u);
}

TEST(BodyTest, LayoutIsAllColumnsOnlyForOurTypeOrATypelessFileOfFullLines)
{
	const std::string ours(kBookFileType, kBookFileTypeSize);
	const std::pair<std::string, book_layout> types[] = {
		{ours, book_layout::kAllColumns},
		{kBookFileType, book_layout::kAllColumns},  // stored without its NUL
		{ours + "junk", book_layout::kAllColumns},
		{std::string(kOriginalBookFileType) + '\0', book_layout::kNoNickname},
		{std::string(kBookFileType) + "x", book_layout::kNoNickname},
		{ours.substr(0, kBookFileTypeSize - 2), book_layout::kNoNickname},
		{"text/plain", book_layout::kNoNickname},
		{"", book_layout::kNoNickname},
	};
	for (const auto& [value, layout] : types)
		EXPECT_EQ(LayoutForType(value.data(), value.size()), layout) << value;

	const std::string full = "joe" + Tabs(20) + "\n";
	const std::pair<std::string, book_layout> bodies[] = {
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
	for (const auto& [body, layout] : bodies)
		EXPECT_EQ(LayoutForTypelessBody(body.data(), body.size()), layout) << body;
}

TEST(BodyTest, FrameIsFourLittleEndianFloatsUsableOnlyWhenItFitsTheScreen)
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

	const float inf = std::numeric_limits<float>::infinity();
	const float nan = std::numeric_limits<float>::quiet_NaN();
	const std::pair<book_frame, bool> cases[] = {
		{{100, 80, 699, 479}, true},
		{{0, 0, 1023, 767}, true},            // exactly the screen
		{{0, 0, 1024, 767}, false},           // one pixel too wide
		{{0, 0, 1023, 768}, false},           // one too high
		{{1004, 748, 1004, 748}, true},       // corner 20 pixels inside
		{{1005, 100, 1010, 200}, false},      // less than 20 pixels to grab
		{{100, 749, 200, 750}, false},
		{{-1, 0, 100, 100}, false},
		{{0, -0.5f, 100, 100}, false},
		{{200, 100, 199, 300}, false},        // inverted
		{{100, 300, 200, 299}, false},
		{{nan, 0, 100, 100}, false},
		{{0, 0, 100, nan}, false},
		{{0, 0, inf, 100}, false},
		{{0, -inf, 100, 100}, false},
	};
	for (const auto& [f, usable] : cases) {
		EXPECT_EQ(IsUsableFrame(f, 1024, 768), usable)
			<< f.left << ", " << f.top << ", " << f.right << ", " << f.bottom;
	}
	EXPECT_FALSE(IsUsableFrame({0, 0, 10, 10}, nan, 768));
}

TEST(BodyTest, LossesCountCutFieldsFilledExtraColumnsAndAnExpensiveNulInOnePhrase)
{
	const std::string full = "joe" + Tabs(20) + "\n";
	EXPECT_FALSE(LossesOf(full + std::string(40, 'x') + "\n" + "a\tb\r\n").Any());

	book_read_losses losses = LossesOf(std::string(41, 'x') + "\t" + std::string(40, 'y')
		+ Tabs(19) + std::string(50, 'z') + "\n" + std::string(41, 'w') + "\n");
	EXPECT_EQ(losses.cutFields, 3);
	EXPECT_EQ(losses.droppedColumns, 0);
	EXPECT_FALSE(losses.stoppedAtNul);

	// Only columns past the last field that hold text are lost; empty ones
	// (trailing tabs from a spreadsheet) are not. The 20-column layout has one
	// column less to fill.
	const std::string wide = "a" + Tabs(21) + "u\tv\t\t" + std::string(50, 'w') + "\n";
	losses = LossesOf(wide + full + Tabs(25) + "\n");
	EXPECT_EQ(losses.droppedColumns, 3);
	EXPECT_EQ(losses.cutFields, 0) << "a dropped column is not also counted as cut";
	EXPECT_EQ(LossesOf(full, book_layout::kNoNickname).droppedColumns, 0);
	EXPECT_EQ(LossesOf(Tabs(20) + "x\n", book_layout::kNoNickname).droppedColumns, 1);

	EXPECT_TRUE(LossesOf(std::string("first\nsec\0ond\n", 14)).stoppedAtNul);
	EXPECT_TRUE(LossesOf(std::string("first\n\0more", 11)).stoppedAtNul);
	EXPECT_FALSE(LossesOf(std::string("first\n\0", 7)).stoppedAtNul) << "nothing after it";

	losses = book_read_losses();
	EXPECT_EQ(DescribeLosses(losses), "");
	losses.cutFields = 1;
	EXPECT_EQ(DescribeLosses(losses), "1 field longer than 40 bytes would be shortened");
	losses.stoppedAtNul = true;
	EXPECT_EQ(DescribeLosses(losses), "1 field longer than 40 bytes would be shortened and "
		"the text after a NUL byte would be lost");
	losses.cutFields = 3;
	losses.droppedColumns = 2;
	EXPECT_EQ(DescribeLosses(losses), "3 fields longer than 40 bytes would be shortened, "
		"2 extra columns would be dropped, and the text after a NUL byte would be lost");

	// A reader's report adds to what the caller already holds.
	CVABook book(nullptr);
	const std::string body = std::string(41, 'x') + "\n";
	ReadBookBody(&book, body.data(), body.size(), book_layout::kAllColumns, &losses);
	EXPECT_EQ(losses.cutFields, 4);
	EXPECT_TRUE(losses.stoppedAtNul);
}
