// The search's own rules on books without a window: what a text finds, where
// the search text is cut, and a book read anew under a search that is under way.
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

// Case in every script and either normal form; the fields' rule itself is
// SearchKey's, tested there.
TEST(RecordSearchTest, FindsNamesWithoutRegardToCaseOrNormalisation)
{
	auto book = MakeBook({{"ann", "Ann", "", "Lee"}, {"hm", "Hans", "", "Müller"},
		{"ij", "Ёжик"}, {"jc", "José", "", "Cruz"}});
	const struct {
		const char* text;
		int32 position;
	} searches[] = {
		{"müller", 1}, {"MÜLLER", 1}, {"ёжик", 2},
		{"jose\u0301", 3}, {"JOSÉ", 3}, {"jose", -1}, {"mueller", -1},
	};
	for (const auto& search : searches) {
		RecordSearch find;
		const ABookRecord* found = find.Start(*book, search.text);
		EXPECT_EQ(found, search.position < 0 ? nullptr : book->RecordAt(search.position))
			<< search.text;
	}
	// The first 40 bytes as typed are the key, though folding shortens them:
	// fourteen ẞ (42 bytes) search for 26 s.
	book = MakeBook({{std::string(26, 's')}});
	std::string capitals;
	for (int i = 0; i < 14; i++)
		capitals += "\u1e9e";
	EXPECT_NE(RecordSearch().Start(*book, capitals), nullptr);
}

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
