// The document: its list links through appends, removals and sorts, the exact
// order the sort gives equal keys, the owner calls, and the look-ups.
#include "BookTestSupport.h"

#include <algorithm>
#include <random>

using Texts = std::vector<std::string>;

namespace {

// The names (A, B, ...) of records with these "Last Name" keys, after sorting.
Texts SortedNames(const Texts& keys)
{
	CVABook book(nullptr);
	for (size_t i = 0; i < keys.size(); i++)
		AddRecord(book, std::string(1, 'A' + i).c_str())->SetField(kLastNameField, keys[i].c_str());
	book.SortByField(kLastNameField);
	return ListedField(book);
}

}  // namespace

TEST(BookTest, DocumentKeepsItsOwnersListLinksCountAndFlag)
{
	RecordingOwner owner;
	{
		CVABook book(&owner);
		EXPECT_EQ(book.CountRecords(), 0);
		EXPECT_FALSE(book.IsModified());
		EXPECT_EQ(book.FirstRecord(), nullptr);
		EXPECT_EQ(owner.built, 1);
		BookOwnerLocker lock(&owner);  // as the owner window's handlers run
		AddRecord(book, "joe");
		book.SortByField(kNicknameField);  // one record: no sort, no reload
		AddRecord(book, "amy");
		book.SortByField(kNicknameField);
		EXPECT_EQ(owner.reloads, 1);
		EXPECT_EQ(owner.removed, 0);
	}
	EXPECT_EQ(owner.removed, 1);
	EXPECT_TRUE(owner.removedWhileLocked);
	EXPECT_EQ(owner.lockDepth, 0);

	// Appends and removals keep the links, the ends, the count and the flag.
	CVABook book(nullptr);
	ABookRecord* first = book.AddRecord();
	EXPECT_EQ(book.CountRecords(), 1);
	EXPECT_EQ(book.LastRecord(), first);
	first->SetField(kNicknameField, "a");
	for (const char* name : {"b", "c", "d", "e"})
		AddRecord(book, name);
	EXPECT_EQ(book.RecordAt(-1), nullptr);
	EXPECT_EQ(book.RecordAt(5), nullptr);
	EXPECT_EQ(book.IndexOf(book.RecordAt(1)), 1);
	book.SetModified(true);
	book.DeleteRecordAt(-1);
	book.DeleteRecordAt(5);
	EXPECT_EQ(ListedField(book), (Texts{"a", "b", "c", "d", "e"}));
	book.DeleteRecordAt(0);
	book.DeleteRecordAt(3);
	book.DeleteRecordAt(1);
	EXPECT_EQ(ListedField(book), (Texts{"b", "d"}));
	ABookRecord* gone = book.FirstRecord();
	book.RemoveRecord(gone);
	EXPECT_FALSE(book.Contains(gone));
	book.RemoveRecord(book.LastRecord());
	EXPECT_EQ(ListedField(book), Texts{});
	EXPECT_EQ(book.FirstRecord(), nullptr);
	EXPECT_TRUE(book.IsModified());
}

namespace {

// The partition scheme step for step, unsigned positions, plain recursion into
// the left part: the document's sort must give the very same permutation.
struct LiteralSort {
	std::vector<ABookRecord*>& a;
	int Cmp(size_t x, size_t m) const { return ABookRecord::CompareField(a[x], a[m], kCityField); }

	size_t Partition(size_t lo, size_t hi)
	{
		size_t m = (lo + hi) / 2, i = lo - 1, j = hi + 1;
		while (true) {
			for (j--; Cmp(j, m) > 0; j--) {}
			for (i++; Cmp(i, m) < 0; i++) {}
			if (i >= j)
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

// Equal keys in the fixed order the scheme gives (the header click's order of
// "b a b a" is the main window test's); sorted, reversed and random keys with
// many repeats: the result is in key order, keeps its links, and is exactly the
// scheme's permutation.
TEST(BookTest, SortOrdersEveryShapeOfInputExactly)
{
	EXPECT_EQ(SortedNames({"k", "k", "k"}), (Texts{"B", "C", "A"}));
	EXPECT_EQ(SortedNames({"k", "k", "k", "k", "k"}), (Texts{"D", "C", "E", "A", "B"}));
	EXPECT_EQ(SortedNames({"Smith", "smith"}), (Texts{"B", "A"}));
	std::mt19937 random(7);
	for (int round = 0; round < 60; round++) {
		const size_t count = 2 + random() % 300;
		Texts keys;
		for (size_t i = 0; i < count; i++)
			keys.push_back(std::string(1 + random() % 2, (random() % 2 ? 'a' : 'A') + random() % (1 + round % 7)));
		if (round % 3 == 1)
			std::sort(keys.begin(), keys.end());
		if (round % 3 == 2)
			std::sort(keys.rbegin(), keys.rend());

		CVABook book(nullptr);
		std::vector<ABookRecord*> literal;
		for (const std::string& key : keys)
			literal.push_back(AddRecord(book, key.c_str(), kCityField));
		LiteralSort{literal}.Range(0, count - 1);
		book.SortByField(kCityField);
		ASSERT_EQ(ListedField(book).size(), count);
		for (size_t i = 0; i < count; i++) {
			ASSERT_EQ(book.RecordAt(i), literal[i]) << "round " << round << " at " << i;
			if (i > 0) {
				ASSERT_LE(ABookRecord::CompareField(literal[i - 1], literal[i], kCityField), 0);
			}
		}
	}
}

TEST(BookTest, LookUpFindsTheFirstEqualNicknameInDocumentOrder)
{
	CVABook book(nullptr);
	char email[kFieldTextLength + 1] = "stale";
	char address[kBookTextBufferSize] = "stale";
	EXPECT_FALSE(book.LookUpEmail("", email, sizeof(email)));
	EXPECT_FALSE(book.LookUpAddress("", address, sizeof(address)));
	EXPECT_STREQ(email, "");
	EXPECT_STREQ(address, "");

	AddRecord(book, "bob")->SetField(kEmail1Field, "made-first");
	AddRecord(book, "Bob")->SetField(kEmail1Field, "made-second");
	AddRecord(book, "")->SetField(kEmail1Field, "no-nickname");
	AddRecord(book, "\xC3\xA9va")->SetField(kFirstNameField, "Eva");
	EXPECT_TRUE(book.LookUpEmail("BOB", email, sizeof(email)));
	EXPECT_STREQ(email, "made-first");
	EXPECT_TRUE(book.LookUpEmail("", email, sizeof(email)));
	EXPECT_STREQ(email, "no-nickname");
	EXPECT_FALSE(book.LookUpEmail("bo", email, sizeof(email)));
	EXPECT_FALSE(book.LookUpEmail("\xC3\x89va", email, sizeof(email)));  // no UTF-8 fold
	EXPECT_TRUE(book.LookUpAddress("\xC3\xA9VA", address, sizeof(address)));
	EXPECT_STREQ(address, "Eva   \n \n \n \n \n   ");
	char small[5];
	EXPECT_TRUE(book.LookUpEmail("bob", small, sizeof(small)));
	EXPECT_STREQ(small, "made");

	// Sorted, the later-made record comes first; and a new record in a deleted
	// one's memory comes last.
	book.RecordAt(0)->SetField(kCityField, "z");
	book.SortByField(kCityField);
	EXPECT_TRUE(book.LookUpEmail("bob", email, sizeof(email)));
	EXPECT_STREQ(email, "made-second");
	book.RemoveRecord(book.LastRecord());  // "made-first"
	AddRecord(book, "BOB")->SetField(kEmail1Field, "made-last");
	EXPECT_TRUE(book.LookUpEmail("bob", email, sizeof(email)));
	EXPECT_STREQ(email, "made-second");
}
