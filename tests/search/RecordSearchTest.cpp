// The search's own rules on books without a window: where the search text is
// cut, and a book read anew under a search that is under way.
#include "RecordSearch.h"

#include "CVABook.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<CVABook> MakeBook(const std::vector<std::vector<std::string>>& records)
{
	auto book = std::make_unique<CVABook>(nullptr);
	for (const std::vector<std::string>& fields : records) {
		ABookRecord* record = book->AddRecord();
		for (size_t i = 0; i < fields.size(); i++)
			record->SetField(int32(i), fields[i].c_str());
	}
	return book;
}

}  // namespace

// 41 bytes whose last character starts at byte 40: searched as the 39 before it.
TEST(RecordSearchTest, TextIsCutAtACharacterBoundaryAndABookReadAnewIsSearchedFromThePlace)
{
	const std::string a39(39, 'a');
	auto book = MakeBook({{a39 + "x"}});
	RecordSearch search;
	EXPECT_EQ(search.Start(*book, a39 + "\xc3\xa9"), book->FirstRecord());
	EXPECT_EQ(search.Start(*book, a39 + "yz"), nullptr);
	EXPECT_FALSE(search.IsUnderWay());

	// The record under way belonged to a book since deleted; the new book (likely
	// at the same addresses) is searched from the same position, from its first
	// field, never from the old record's field.
	book = MakeBook({{"k", "x", "x"}, {"x"}});
	ASSERT_EQ(search.Start(*book, "x"), book->FirstRecord());
	book.reset();
	book = MakeBook({{"k", "x"}, {"x"}});
	EXPECT_EQ(search.Continue(*book), book->FirstRecord());
	EXPECT_EQ(search.Continue(*book), book->LastRecord());
	EXPECT_EQ(search.Continue(*book), nullptr);
	EXPECT_EQ(search.Continue(*book), nullptr);
}
