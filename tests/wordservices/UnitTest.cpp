// The mail client's query of a book. (The word scan: ServerTest, through the
// replacements it makes.)
#include "BookBody.h"
#include "CVABook.h"
#include "MuttQuery.h"

#include <gtest/gtest.h>

namespace {

void Add(CVABook* book, const char* nick, const char* first, const char* last,
	const char* email1, const char* email2 = "")
{
	ABookRecord* record = book->AddRecord();
	record->SetField(kNicknameField, nick);
	record->SetField(kFirstNameField, first);
	record->SetField(kLastNameField, last);
	record->SetField(kEmail1Field, email1);
	record->SetField(kEmail2Field, email2);
}

TEST(MuttQuery, ExactNicknamesFirstThenDocumentOrder)
{
	CVABook book(nullptr);
	Add(&book, "annie", "Ann", "Lee", "annie@example.org");
	Add(&book, "x", "Jo", "Ann", "", "jo@example.org");
	Add(&book, "ANN", "Ann", "Moss", "ann@example.org");
	Add(&book, "none", "Ann", "Nash", "");
	Add(&book, "z", "Zed", "Quinn", "zed@ann.example");
	const std::vector<mutt_match> matches = MuttQuery(book, "ann");
	ASSERT_EQ(matches.size(), 4u);
	EXPECT_EQ(FormatMuttMatches(matches),
		"ann@example.org\tAnn Moss\tANN\n"
		"annie@example.org\tAnn Lee\tannie\n"
		"jo@example.org\tJo Ann\tx\n"
		"zed@ann.example\tZed Quinn\tz\n");
	EXPECT_TRUE(MuttQuery(book, "zebra").empty());
}

TEST(MuttQuery, TheBodyReaderFindsWhatTheDocumentFinds)
{
	const std::string body =
		"ann\tAnn\t\tLee\t\t\t\t\t\t\t\t\t\t\t\tann@example.org\t\t\t\t\t\n"
		"\n"
		"x\tJo\t\tAnn\t\t\t\t\t\t\t\t\t\t\t\t\tjo@example.org\t\t\t\t\n"
		"annann\tAnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn\t\t\t\t\t\t\t\t\t\t\t\t\t\t"
		"a@example.org\textra\tcolumns\tpast\tthe\tend\tare\tdropped\n"
		"ANN\tAnn\t\tMoss\t\t\t\t\t\t\t\t\t\t\t\tann2@example.org";
	for (const book_layout layout : {book_layout::kAllColumns, book_layout::kNoNickname}) {
		CVABook book(nullptr);
		ReadBookBody(&book, body.data(), body.size(), layout);
		EXPECT_EQ(FormatMuttMatches(MuttQueryBody(body.data(), body.size(), layout, "ann")),
			FormatMuttMatches(MuttQuery(book, "ann")));
	}
	EXPECT_EQ(MuttQueryBody(body.data(), body.size(), book_layout::kAllColumns, "ann").size(), 4u);
}

}  // namespace
