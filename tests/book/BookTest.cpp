// The document: its list links through appends, removals and sorts, the exact
// order the sort gives equal keys, the owner calls, and the look-ups.
#include "BookTestSupport.h"

#include <BookText.h>

#include <algorithm>
#include <cstring>
#include <random>

using Texts = std::vector<std::string>;

namespace {

// A book whose records hold name in "Nickname" and key in "Last Name".
void Fill(CVABook& book, const Texts& names, const Texts& keys)
{
	for (size_t i = 0; i < names.size(); i++) {
		ABookRecord* record = AddRecord(book, names[i].c_str());
		record->SetField(kLastNameField, keys[i].c_str());
	}
}

Texts SortedNames(const Texts& keys)
{
	CVABook book(nullptr);
	Texts names;
	for (size_t i = 0; i < keys.size(); i++)
		names.push_back(std::string(1, static_cast<char>('A' + i)));
	Fill(book, names, keys);
	book.SortByField(kLastNameField);
	return ListedField(book);
}

}  // namespace

// --- lifecycle and owner calls

TEST(BookTest, NewDocumentIsEmptyAndBuildsItsList)
{
	RecordingOwner owner;
	{
		CVABook book(&owner);
		EXPECT_EQ(book.CountRecords(), 0);
		EXPECT_FALSE(book.IsModified());
		EXPECT_EQ(book.FirstRecord(), nullptr);
		EXPECT_EQ(book.LastRecord(), nullptr);
		EXPECT_EQ(book.Owner(), &owner);
		EXPECT_STREQ(book.FieldName(kEmail1Field), "Email 1");
		EXPECT_EQ(owner.built, 1);
		EXPECT_EQ(owner.removed, 0);
		AddRecord(book, "joe");
	}
	EXPECT_EQ(owner.removed, 1);
	EXPECT_TRUE(owner.removedWhileLocked);
	EXPECT_EQ(owner.lockDepth, 0);
	EXPECT_EQ(owner.reloads, 0);
}

// --- appending, positions, removal

TEST(BookTest, AppendLinksAtTheEndButLeavesTheCount)
{
	CVABook book(nullptr);
	ABookRecord* first = book.AppendRecord();
	EXPECT_EQ(book.CountRecords(), 0);
	EXPECT_EQ(book.FirstRecord(), first);
	EXPECT_EQ(book.LastRecord(), first);
	book.RaiseCount();
	ABookRecord* second = book.AppendRecord();
	book.RaiseCount();
	EXPECT_EQ(first->Next(), second);
	EXPECT_EQ(second->Previous(), first);
	EXPECT_EQ(book.LastRecord(), second);
	EXPECT_EQ(book.CountRecords(), 2);
	for (int32 field = 0; field < kBookFieldCount; field++)
		EXPECT_STREQ(second->Field(field), "");
}

TEST(BookTest, RecordAtAndIndexOfStayInsideTheList)
{
	CVABook book(nullptr);
	Fill(book, {"a", "b", "c"}, {"", "", ""});
	EXPECT_EQ(book.RecordAt(-1), nullptr);
	EXPECT_EQ(book.RecordAt(3), nullptr);
	EXPECT_STREQ(book.RecordAt(0)->Field(kNicknameField), "a");
	EXPECT_STREQ(book.RecordAt(2)->Field(kNicknameField), "c");
	EXPECT_EQ(book.IndexOf(book.RecordAt(1)), 1);
	ABookRecord stranger;
	EXPECT_EQ(book.IndexOf(&stranger), -1);
	EXPECT_FALSE(book.Contains(&stranger));
	EXPECT_FALSE(book.Contains(nullptr));
}

TEST(BookTest, RemovalsKeepTheLinksAndEnds)
{
	CVABook book(nullptr);
	Fill(book, {"a", "b", "c", "d"}, {"", "", "", ""});
	book.DeleteRecordAt(-1);
	book.DeleteRecordAt(4);
	EXPECT_EQ(ListedField(book), (Texts{"a", "b", "c", "d"}));

	book.DeleteRecordAt(0);
	EXPECT_EQ(ListedField(book), (Texts{"b", "c", "d"}));
	book.DeleteRecordAt(2);
	EXPECT_EQ(ListedField(book), (Texts{"b", "c"}));
	book.RemoveRecord(book.LastRecord());
	EXPECT_EQ(ListedField(book), (Texts{"b"}));
	book.RemoveRecord(book.FirstRecord());
	EXPECT_EQ(ListedField(book), Texts{});
	EXPECT_EQ(book.FirstRecord(), nullptr);
	EXPECT_EQ(book.LastRecord(), nullptr);

	Fill(book, {"x", "y", "z"}, {"", "", ""});
	book.DeleteRecordAt(1);
	EXPECT_EQ(ListedField(book), (Texts{"x", "z"}));
	EXPECT_FALSE(book.IsModified());
}

TEST(BookTest, RemovalLeavesTheModifiedFlag)
{
	CVABook book(nullptr);
	Fill(book, {"a", "b"}, {"", ""});
	book.SetModified(true);
	book.DeleteRecordAt(0);
	EXPECT_TRUE(book.IsModified());
}

// --- sort

TEST(BookTest, SortPutsEqualKeysInTheFixedOrder)
{
	EXPECT_EQ(SortedNames({"k", "k"}), (Texts{"B", "A"}));
	EXPECT_EQ(SortedNames({"k", "k", "k"}), (Texts{"B", "C", "A"}));
	EXPECT_EQ(SortedNames({"k", "k", "k", "k"}), (Texts{"C", "B", "D", "A"}));
	EXPECT_EQ(SortedNames({"k", "k", "k", "k", "k"}), (Texts{"D", "C", "E", "A", "B"}));
	EXPECT_EQ(SortedNames({"b", "a", "b", "a"}), (Texts{"B", "D", "A", "C"}));
	EXPECT_EQ(SortedNames({"Smith", "smith"}), (Texts{"B", "A"}));
	EXPECT_EQ(SortedNames({"c", "b", "a"}), (Texts{"C", "B", "A"}));
}

TEST(BookTest, SortOfFewerThanTwoRecordsDoesNothing)
{
	RecordingOwner owner;
	CVABook book(&owner);
	book.SortByField(kLastNameField);
	AddRecord(book, "only");
	book.SortByField(kLastNameField);
	EXPECT_EQ(owner.reloads, 0);
	EXPECT_EQ(ListedField(book), Texts{"only"});

	AddRecord(book, "second");
	book.SetModified(false);
	book.SortByField(kNicknameField);
	EXPECT_EQ(owner.reloads, 1);
	EXPECT_FALSE(book.IsModified());
}

TEST(BookTest, SortedListHasCleanEnds)
{
	CVABook book(nullptr);
	Fill(book, {"a", "b", "c", "d", "e"}, {"e", "d", "c", "b", "a"});
	book.SortByField(kLastNameField);
	EXPECT_EQ(ListedField(book), (Texts{"e", "d", "c", "b", "a"}));
	EXPECT_EQ(book.FirstRecord()->Previous(), nullptr);
	EXPECT_EQ(book.LastRecord()->Next(), nullptr);
	book.DeleteRecordAt(0);
	book.RemoveRecord(book.LastRecord());
	EXPECT_EQ(ListedField(book), (Texts{"d", "c", "b"}));
}

// Many keys with many repeats, in several shapes: the result is in key order and
// keeps every record.
TEST(BookTest, SortOrdersEveryShapeOfInput)
{
	std::mt19937 random(7);
	for (int round = 0; round < 40; round++) {
		const size_t count = 2 + random() % 300;
		const int alphabet = 1 + round % 7;
		Texts keys;
		for (size_t i = 0; i < count; i++) {
			std::string key(1 + random() % 3, 'a');
			for (char& c : key)
				c = static_cast<char>((random() % 2 ? 'a' : 'A') + random() % alphabet);
			keys.push_back(key);
		}
		if (round % 4 == 1)
			std::sort(keys.begin(), keys.end());
		if (round % 4 == 2)
			std::sort(keys.rbegin(), keys.rend());

		CVABook book(nullptr);
		Texts names;
		for (size_t i = 0; i < count; i++)
			names.push_back(std::to_string(i));
		Fill(book, names, keys);
		book.SortByField(kLastNameField);

		Texts sortedNames = ListedField(book);
		Texts sortedKeys = ListedField(book, kLastNameField);
		for (size_t i = 1; i < sortedKeys.size(); i++) {
			ASSERT_LE(ABookRecord::CompareField(book.RecordAt(i - 1), book.RecordAt(i),
				kLastNameField), 0) << "round " << round << " at " << i;
		}
		std::sort(sortedNames.begin(), sortedNames.end());
		std::sort(names.begin(), names.end());
		EXPECT_EQ(sortedNames, names);
	}
}

namespace {

// The partition scheme written out step for step, with unsigned positions and
// the plain recursion (left part first): the document's sort must give the
// very same permutation, equal keys included.
struct LiteralSort {
	std::vector<ABookRecord*>& a;
	int32 field;

	int Cmp(size_t x, size_t m) const { return ABookRecord::CompareField(a[x], a[m], field); }

	size_t Partition(size_t lo, size_t hi)
	{
		size_t m = (lo + hi) / 2;
		size_t i = lo - 1;
		size_t j = hi + 1;
		while (true) {
			j--;
			while (Cmp(j, m) > 0)
				j--;
			i++;
			while (Cmp(i, m) < 0)
				i++;
			if (i >= j)  // i has been raised back from any wrap below lo
				return m == hi ? hi - 1 : m;
			std::swap(a[i], a[j]);
			if (m == i) {
				m = j;
				j++;
			} else if (m == j) {
				m = i;
				i--;
			}
		}
	}

	void Range(size_t lo, size_t hi)
	{
		while (lo < hi) {
			const size_t p = Partition(lo, hi);
			Range(lo, p);
			lo = p + 1;
		}
	}
};

}  // namespace

TEST(BookTest, SortMatchesTheStepByStepScheme)
{
	std::mt19937 random(11);
	for (int round = 0; round < 60; round++) {
		const size_t count = 2 + random() % 200;
		CVABook book(nullptr);
		std::vector<ABookRecord*> literal;
		for (size_t i = 0; i < count; i++) {
			const std::string key(1, static_cast<char>('a' + random() % (1 + round % 5)));
			literal.push_back(AddRecord(book, key.c_str(), kCityField));
		}
		LiteralSort{literal, kCityField}.Range(0, count - 1);
		book.SortByField(kCityField);
		for (size_t i = 0; i < count; i++)
			ASSERT_EQ(book.RecordAt(static_cast<int32>(i)), literal[i]) << "round " << round;
	}
}

// --- look-ups

TEST(BookTest, LookUpFindsTheFirstEqualNickname)
{
	CVABook book(nullptr);
	ABookRecord* first = AddRecord(book, "bob");
	first->SetField(kEmail1Field, "first@example.com");
	ABookRecord* second = AddRecord(book, "Bob");
	second->SetField(kEmail1Field, "second@example.com");

	char email[kFieldTextLength + 1];
	EXPECT_TRUE(book.LookUpEmail("BOB", email, sizeof(email)));
	EXPECT_STREQ(email, "first@example.com");
	EXPECT_FALSE(book.LookUpEmail("bo", email, sizeof(email)));
	EXPECT_STREQ(email, "");
	EXPECT_FALSE(book.LookUpEmail("bobby", email, sizeof(email)));
	// Only ASCII letters fold.
	AddRecord(book, "\xC3\xA9va")->SetField(kEmail1Field, "eva@example.com");
	EXPECT_FALSE(book.LookUpEmail("\xC3\x89va", email, sizeof(email)));
	EXPECT_TRUE(book.LookUpEmail("\xC3\xA9VA", email, sizeof(email)));
}

// Document order, not the order records were made in, decides between equal
// nicknames: after a sort, and when a new record reuses a deleted one's place.
TEST(BookTest, LookUpFollowsDocumentOrderAfterSortsAndReuse)
{
	CVABook book(nullptr);
	AddRecord(book, "bob")->SetField(kCityField, "z");
	AddRecord(book, "Bob")->SetField(kCityField, "a");
	book.RecordAt(0)->SetField(kEmail1Field, "made-first");
	book.RecordAt(1)->SetField(kEmail1Field, "made-second");
	book.SortByField(kCityField);

	char email[kFieldTextLength + 1];
	ASSERT_TRUE(book.LookUpEmail("bob", email, sizeof(email)));
	EXPECT_STREQ(email, "made-second");

	for (int i = 0; i < 300; i++)
		AddRecord(book, ("filler" + std::to_string(i)).c_str());
	book.DeleteRecordAt(1);  // "made-first" goes; the next record takes its place
	ABookRecord* reused = AddRecord(book, "BOB");
	reused->SetField(kEmail1Field, "made-last");
	ASSERT_TRUE(book.LookUpEmail("bob", email, sizeof(email)));
	EXPECT_STREQ(email, "made-second");
	book.RemoveRecord(book.FirstRecord());
	ASSERT_TRUE(book.LookUpEmail("bob", email, sizeof(email)));
	EXPECT_STREQ(email, "made-last");
	EXPECT_EQ(ListedField(book).size(), 301u);
}

TEST(BookTest, ContainsForgetsRemovedRecords)
{
	CVABook book(nullptr);
	ABookRecord* kept = AddRecord(book, "kept");
	ABookRecord* gone = AddRecord(book, "gone");
	EXPECT_TRUE(book.Contains(gone));
	book.RemoveRecord(gone);
	EXPECT_FALSE(book.Contains(gone));
	EXPECT_TRUE(book.Contains(kept));
	CVABook other(nullptr);
	EXPECT_FALSE(other.Contains(kept));
	book.MakeEmpty();
	EXPECT_FALSE(book.Contains(kept));
	EXPECT_EQ(ListedField(book), Texts{});
}

TEST(BookTest, LookUpOfEmptyTextFindsTheFirstEmptyNickname)
{
	CVABook book(nullptr);
	AddRecord(book, "ann")->SetField(kEmail1Field, "ann@example.com");
	AddRecord(book, "")->SetField(kEmail1Field, "nobody@example.com");
	char email[kFieldTextLength + 1];
	EXPECT_TRUE(book.LookUpEmail("", email, sizeof(email)));
	EXPECT_STREQ(email, "nobody@example.com");
}

TEST(BookTest, LookUpInAnEmptyBookFindsNothing)
{
	CVABook book(nullptr);
	char email[kFieldTextLength + 1] = "stale";
	char address[kBookTextBufferSize] = "stale";
	EXPECT_FALSE(book.LookUpEmail("", email, sizeof(email)));
	EXPECT_FALSE(book.LookUpAddress("joe", address, sizeof(address)));
	EXPECT_STREQ(email, "");
	EXPECT_STREQ(address, "");
}

TEST(BookTest, LookUpAddressGivesTheAddressBlock)
{
	CVABook book(nullptr);
	ABookRecord* record = AddRecord(book, "ann");
	record->SetField(kFirstNameField, "Ann");
	record->SetField(kCityField, "Oslo");
	char address[kBookTextBufferSize];
	char expected[kBookTextBufferSize];
	BuildAddressBlock(record, expected);
	EXPECT_TRUE(book.LookUpAddress("ANN", address, sizeof(address)));
	EXPECT_STREQ(address, expected);
}

TEST(BookTest, LookUpKeepsToTheOutputSize)
{
	CVABook book(nullptr);
	AddRecord(book, "joe")->SetField(kEmail1Field, std::string(40, 'e').c_str());
	char small[8];
	memset(small, 'x', sizeof(small));
	EXPECT_TRUE(book.LookUpEmail("joe", small, sizeof(small)));
	EXPECT_EQ(std::string(small), std::string(7, 'e'));
}
