// The sync's planning: each combination of a record and its card being
// unchanged, changed or deleted since the last run; pairing of what the state
// does not tie together; cards that cannot be read; the deletion guard.
#include <SyncPlanner.h>

#include <gtest/gtest.h>

namespace {

folder_card Card(const std::string& file, int32 entry, bool changed, bool readable,
	const std::string& uid, const std::string& line)
{
	folder_card card;
	card.file = file;
	card.entry = entry;
	card.changed = changed;
	card.readable = readable;
	card.uid = uid;
	card.line = line;
	return card;
}

std::string Line(const std::string& first, const std::string& last, const std::string& phone = "")
{
	std::string line;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		line += field == kFirstNameField ? first : field == kLastNameField ? last
			: field == kPhoneField ? phone : "";
		if (field + 1 < kBookFieldCount)
			line += '\t';
	}
	return line;
}

enum class side { kUnchanged, kChanged, kDeleted };

struct combination {
	side bookSide;
	side cardSide;
	std::string bookLine;  // the record's after the run, "" for none
	record_action record;
	card_action card;
	int32 conflicts;
};

const std::string kBefore = Line("Ann", "Lee", "1");
const std::string kBookEdit = Line("Ann", "Kim", "1");   // the last name
const std::string kCardEdit = Line("Ann", "Lee", "2");   // the phone
const std::string kBoth = Line("Ann", "Kim", "2");

}  // namespace

TEST(SyncPlannerTest, EveryCombinationOfTheTwoSides)
{
	const std::vector<combination> table = {
		{side::kUnchanged, side::kUnchanged, kBefore, record_action::kNone, card_action::kNone, 0},
		{side::kUnchanged, side::kChanged, kCardEdit, record_action::kChange, card_action::kNone, 0},
		{side::kUnchanged, side::kDeleted, "", record_action::kDelete, card_action::kNone, 0},
		{side::kChanged, side::kUnchanged, kBookEdit, record_action::kNone, card_action::kPatch, 0},
		{side::kChanged, side::kChanged, kBoth, record_action::kChange, card_action::kPatch, 0},
		{side::kChanged, side::kDeleted, kBookEdit, record_action::kNone, card_action::kCreate, 1},
		{side::kDeleted, side::kUnchanged, "", record_action::kNone, card_action::kDelete, 0},
		{side::kDeleted, side::kChanged, kCardEdit, record_action::kAdd, card_action::kNone, 1},
		{side::kDeleted, side::kDeleted, "", record_action::kNone, card_action::kNone, 0},
	};
	const record_id id = NewRecordId();
	const std::vector<sync_entry> entries = {{id, "u", "u.vcf", {}, {}, kBefore}};
	for (const combination& test : table) {
		SCOPED_TRACE(testing::Message() << int(test.bookSide) << "/" << int(test.cardSide));
		std::vector<book_record> book;
		if (test.bookSide != side::kDeleted)
			book.push_back({id, test.bookSide == side::kChanged ? kBookEdit : kBefore});
		std::vector<folder_card> cards;
		if (test.cardSide != side::kDeleted) {
			cards.push_back(Card("u.vcf", 0, test.cardSide == side::kChanged, true, "u",
				test.cardSide == side::kChanged ? kCardEdit : kBefore));
		}
		const sync_plan plan = SyncPlanner::Plan(book, entries, cards);
		EXPECT_EQ(plan.conflicts.size(), size_t(test.conflicts));
		if (test.bookSide == side::kDeleted && test.cardSide == side::kDeleted) {
			EXPECT_TRUE(plan.items.empty());
			continue;
		}
		ASSERT_EQ(plan.items.size(), 1u);
		const planned_item& item = plan.items[0];
		EXPECT_EQ(item.id, id);
		EXPECT_EQ(item.record, test.record);
		EXPECT_EQ(item.card, test.card);
		if (!test.bookLine.empty()) {
			EXPECT_EQ(item.line, test.bookLine);
		}
		EXPECT_EQ(plan.Changes(), test.record != record_action::kNone
			|| test.card != card_action::kNone);
	}

	// The same field changed on both sides: the card's value, the book's reported.
	const std::vector<book_record> book = {{id, Line("Ann", "Kim", "1")}};
	const std::vector<folder_card> cards = {Card("u.vcf", 0, true, true, "u", Line("Ann", "Roe", "1"))};
	const sync_plan plan = SyncPlanner::Plan(book, entries, cards);
	ASSERT_EQ(plan.conflicts.size(), 1u);
	EXPECT_EQ(plan.conflicts[0].field, kLastNameField);
	EXPECT_EQ(plan.conflicts[0].mine, "Kim");
	EXPECT_EQ(plan.conflicts[0].kept, merge_side::kTheirs);
	EXPECT_EQ(plan.items[0].line, Line("Ann", "Roe", "1"));
	EXPECT_EQ(plan.items[0].record, record_action::kChange);
	EXPECT_EQ(plan.items[0].card, card_action::kNone);
}

TEST(SyncPlannerTest, PairsWhatTheStateDoesNotTie)
{
	// A first run: equal fields pair, a card whose UID is a record's id pairs
	// with it whatever its fields (the card's value wins), the rest are new.
	const record_id ann = NewRecordId(), bob = NewRecordId(), cat = NewRecordId();
	const record_id cardId = NewRecordId();
	std::vector<book_record> book = {{ann, Line("Ann", "Lee")}, {bob, Line("Bob", "Kim")},
		{cat, Line("Cat", "Roe")}};
	std::vector<folder_card> cards = {
		Card("a.vcf", -1, true, true, "other", Line("Ann", "Lee")),
		Card("b.vcf", -1, true, true, RecordIdText(bob), Line("Bob", "Kimm")),
		Card("d.vcf", -1, true, true, RecordIdText(cardId), Line("Dan", "Poe")),
		Card("e.vcf", -1, true, false, "", "")};
	sync_plan plan = SyncPlanner::Plan(book, {}, cards);
	ASSERT_EQ(plan.items.size(), 4u);
	EXPECT_EQ(plan.items[0].card, card_action::kNone);
	EXPECT_EQ(plan.items[0].cardIndex, 0);
	EXPECT_EQ(plan.items[1].record, record_action::kChange);
	EXPECT_EQ(plan.items[1].line, Line("Bob", "Kimm"));
	EXPECT_EQ(plan.conflicts.size(), 1u);
	EXPECT_EQ(plan.items[2].card, card_action::kCreate);
	// A new card's record takes its UID as id when it is one.
	EXPECT_EQ(plan.items[3].id, cardId);
	EXPECT_EQ(plan.items[3].record, record_action::kAdd);
	EXPECT_FALSE(plan.repaired);

	// The book lost its ids: records pair with the state's cards by their
	// fields and get their old entries; nothing is deleted or added.
	std::vector<sync_entry> entries = {{NewRecordId(), "", "a.vcf", {}, {}, Line("Ann", "Lee")},
		{NewRecordId(), "", "e.vcf", {}, {}, Line("Eve", "Day")}};
	cards = {Card("a.vcf", 0, false, true, "", Line("Ann", "Lee")),
		Card("e.vcf", 1, true, false, "", "")};
	book = {{ann, Line("Ann", "Lee")}};
	plan = SyncPlanner::Plan(book, entries, cards);
	EXPECT_TRUE(plan.repaired);
	ASSERT_EQ(plan.items.size(), 1u);
	EXPECT_EQ(plan.items[0].id, ann);
	EXPECT_EQ(plan.items[0].entry, 0);
	EXPECT_EQ(plan.items[0].card, card_action::kNone);
	// An unreadable card keeps its entry and the record it had is not deleted.
	EXPECT_EQ(plan.untouched, std::vector<int32>{1});
	EXPECT_EQ(plan.recordsDeleted + plan.cardsDeleted, 0);

	// Another program rewrote Ann's line, which gave her a new id: her card is
	// patched, not replaced; two new records naming Cat are one too many.
	entries = {{NewRecordId(), "", "a.vcf", {}, {}, Line("Ann", "Lee", "1")},
		{bob, "", "b.vcf", {}, {}, Line("Bob", "Kim")},
		{NewRecordId(), "", "c.vcf", {}, {}, Line("Cat", "Roe")}};
	cards = {Card("a.vcf", 0, false, true, "", entries[0].fields),
		Card("b.vcf", 1, false, true, "", entries[1].fields),
		Card("c.vcf", 2, false, true, "", entries[2].fields)};
	book = {{ann, Line("Ann", "Lee", "2")}, {bob, Line("Bob", "Kim")}, {cat, Line("Cat", "Roe", "5")},
		{NewRecordId(), Line("Cat", "Roe", "6")}};
	plan = SyncPlanner::Plan(book, entries, cards);
	ASSERT_EQ(plan.items.size(), 5u);
	EXPECT_EQ(plan.items[0].card, card_action::kPatch);
	EXPECT_EQ(plan.items[0].cardIndex, 0);
	EXPECT_EQ(plan.items[2].card, card_action::kCreate);
	EXPECT_EQ(plan.items[4].cardIndex, 2);
	EXPECT_EQ(plan.cardsDeleted, 1);
}

TEST(SyncPlannerTest, TheGuardCountsDeletionsOnEachSide)
{
	std::vector<sync_entry> entries;
	std::vector<folder_card> cards;
	std::vector<book_record> book;
	for (int32 i = 0; i < 20; i++) {
		const std::string line = Line("N" + std::to_string(i), "X");
		entries.push_back({NewRecordId(), "", std::to_string(i) + ".vcf", {}, {}, line});
		cards.push_back(Card(entries.back().file, i, false, true, "", line));
		if (i >= 6)
			book.push_back({entries.back().id, line});
	}
	// Six records gone from a book of twenty: six cards to delete, over a tenth.
	sync_plan plan = SyncPlanner::Plan(book, entries, cards);
	EXPECT_EQ(plan.cardsDeleted, 6);
	EXPECT_EQ(plan.recordsDeleted, 0);
	EXPECT_TRUE(plan.TooManyDeletions(14, 20));
	EXPECT_FALSE(plan.TooManyDeletions(14, 61));  // not over a tenth
	book.push_back({entries[0].id, entries[0].fields});
	plan = SyncPlanner::Plan(book, entries, cards);
	EXPECT_EQ(plan.cardsDeleted, 5);
	EXPECT_FALSE(plan.TooManyDeletions(15, 20));  // not more than five
}
