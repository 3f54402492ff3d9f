// One run's decisions, worked out from the book, the folder's cards and the
// state of the last run, before anything is written:
//  - pairing: records and cards that the state does not tie together (a first
//    run, a run after a crash before the state was written, a book whose ids
//    were lost) are paired by the card's UID being the record's id, then by
//    their 21 fields being equal, so that no record and no card is doubled;
//    last, a new record and a card whose record left the book pair when they
//    alone name the same person (a line another program rewrote);
//  - the book's three-way merge (BookMerge.h) of the book ("mine") and the
//    cards ("theirs") over the state: a field changed on both sides keeps the
//    card's value; deleted on one side and unchanged on the other, deleted on
//    both; deleted on one side and changed on the other, back with the change;
//  - what that means for each record and card: added, changed, deleted;
//  - the guard: deleting more than a tenth (and more than five) of the
//    records or of the cards needs the user's word.
// A card that cannot be read as a contact is never touched, nor is the record
// it belonged to.
// Threading: a pure function of its inputs; any thread.
#ifndef _SYNC_PLANNER_H
#define _SYNC_PLANNER_H

#include "SyncState.h"

#include <BookMerge.h>
#include <RecordIdIndex.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// A record of the book, as a book line (21 fields joined by TABs).
struct book_record {
	record_id id;
	std::string line;
};

// A card of the folder, as far as the run read it.
struct folder_card {
	std::string file;
	card_stat stat;
	int32 entry = -1;       // the state's entry of this card, -1 for a new card
	bool changed = false;   // its bytes are not those the state has
	bool readable = true;   // it holds a contact (only known when read)
	std::string uid;        // when read
	std::string line;       // its fields when read, else the entry's
	sha256_digest digest;   // when read
};

enum class record_action { kNone, kAdd, kChange, kDelete };
enum class card_action { kNone, kCreate, kPatch, kDelete };

struct planned_item {
	record_id id;
	std::string line;  // what the record and its card hold after the run
	record_action record = record_action::kNone;
	card_action card = card_action::kNone;
	int32 cardIndex = -1;  // the folder's card, when it has one
	int32 entry = -1;      // the state's entry, when it has one
};

struct sync_plan {
	std::vector<planned_item> items;   // every record and card after the run, and those deleted
	std::vector<merge_conflict> conflicts;  // mine: the book; theirs: the card
	std::vector<int32> untouched;      // entries kept as they are (their card is unreadable)
	int32 recordsDeleted = 0;
	int32 cardsDeleted = 0;
	bool repaired = false;  // records got their ids back by pairing: the book is to be saved

	bool Changes() const;
	// Whether the deletions are more than the guard lets through.
	bool TooManyDeletions(int32 records, int32 cards) const;
};

class SyncPlanner {
public:
	// cards[].entry indexes entries; book records are in the book's order.
	static sync_plan Plan(const std::vector<book_record>& book,
		const std::vector<sync_entry>& entries, const std::vector<folder_card>& cards);

private:
	using id_map = std::unordered_map<record_id, int32, record_id_hash>;

	SyncPlanner(const std::vector<book_record>& book, const std::vector<sync_entry>& entries,
		const std::vector<folder_card>& cards);

	void _IndexEntries();
	void _Pair();
	void _PairCard(size_t card, size_t record);
	void _PairRewritten(const std::vector<size_t>& cards);
	void _GiveNewCardsIds();
	book_merge _Merge() const;
	void _PlanKept(const book_merge& merge);
	void _PlanDeleted(const book_merge& merge);

	const std::vector<book_record>& fBook;
	const std::vector<sync_entry>& fEntries;
	const std::vector<folder_card>& fCards;
	std::vector<record_id> fEntryIds; // the entries' ids, as pairing gives them back
	const RecordIdIndex fBookIndex;
	std::unique_ptr<RecordIdIndex> fEntryIndex;  // of fEntryIds
	std::vector<bool> fFrozen;        // entries whose card cannot be read
	std::vector<record_id> fCardIds;
	std::vector<bool> fCardPaired;
	std::vector<bool> fRecordPaired;
	sync_plan fPlan;
};

#endif
