// Sections: pairing, the merge, the actions.
#include "SyncPlanner.h"

#include <deque>
#include <string_view>

bool sync_plan::Changes() const
{
	if (repaired)
		return true;
	for (const planned_item& item : items) {
		if (item.record != record_action::kNone || item.card != card_action::kNone)
			return true;
	}
	return false;
}

bool sync_plan::TooManyDeletions(int32 records, int32 cards) const
{
	constexpr int32 kFew = 5;
	return (recordsDeleted > kFew && int64(recordsDeleted) * 10 > records)
		|| (cardsDeleted > kFew && int64(cardsDeleted) * 10 > cards);
}

sync_plan SyncPlanner::Plan(const std::vector<book_record>& book,
	const std::vector<sync_entry>& entries, const std::vector<folder_card>& cards)
{
	SyncPlanner planner(book, entries, cards);
	planner._Pair();
	planner._GiveNewCardsIds();
	const book_merge merge = planner._Merge();
	planner._PlanKept(merge);
	planner._PlanDeleted(merge);
	return std::move(planner.fPlan);
}

SyncPlanner::SyncPlanner(const std::vector<book_record>& book,
	const std::vector<sync_entry>& entries, const std::vector<folder_card>& cards)
	: fBook(book),
	  fEntries(entries),
	  fCards(cards),
	  fEntryIds(entries.size()),
	  fFrozen(entries.size(), false),
	  fCardIds(cards.size()),
	  fCardPaired(cards.size(), false),
	  fRecordPaired(book.size(), false)
{
	for (size_t i = 0; i < book.size(); i++)
		fBookIndex.emplace(book[i].id, static_cast<int32>(i));
	for (size_t i = 0; i < entries.size(); i++) {
		fEntryIds[i] = entries[i].id;
		fEntryIndex.emplace(entries[i].id, static_cast<int32>(i));
	}
	for (size_t i = 0; i < cards.size(); i++) {
		const int32 entry = cards[i].entry;
		if (entry >= 0)
			fCardIds[i] = fEntryIds[entry];
		if (entry >= 0 && !cards[i].readable) {
			fFrozen[entry] = true;
			fPlan.untouched.push_back(entry);
		}
	}
}

// --- pairing

void SyncPlanner::_Pair()
{
	std::vector<size_t> cards;  // readable cards no record of the book is tied to
	for (size_t i = 0; i < fCards.size(); i++) {
		const int32 entry = fCards[i].entry;
		if (fCards[i].readable && (entry < 0 || fBookIndex.count(fEntryIds[entry]) == 0))
			cards.push_back(i);
	}
	std::unordered_map<std::string_view, std::deque<size_t>> byLine;
	for (size_t i = 0; i < fBook.size(); i++) {
		if (fEntryIndex.count(fBook[i].id) == 0)
			byLine[fBook[i].line].push_back(i);
		else
			fRecordPaired[i] = true;
	}
	// The card's UID first: a card made from a record carries its id.
	for (const size_t card : cards) {
		record_id id;
		if (!ParseRecordId(fCards[card].uid, &id))
			continue;
		const auto found = fBookIndex.find(id);
		if (found != fBookIndex.end() && !fRecordPaired[found->second])
			_PairCard(card, static_cast<size_t>(found->second));
	}
	for (const size_t card : cards) {
		if (fCardPaired[card])
			continue;
		const auto found = byLine.find(fCards[card].line);
		if (found == byLine.end())
			continue;
		std::deque<size_t>& records = found->second;
		while (!records.empty() && fRecordPaired[records.front()])
			records.pop_front();
		if (!records.empty()) {
			_PairCard(card, records.front());
			records.pop_front();
		}
	}
}

void SyncPlanner::_PairCard(size_t card, size_t record)
{
	const record_id& id = fBook[record].id;
	const int32 entry = fCards[card].entry;
	if (entry >= 0) {
		// The record is the one the entry knew under an id it lost.
		fEntryIndex.erase(fEntryIds[entry]);
		fEntryIds[entry] = id;
		fEntryIndex.emplace(id, entry);
		fPlan.repaired = true;
	}
	fCardIds[card] = id;
	fCardPaired[card] = true;
	fRecordPaired[record] = true;
}

// A new card's record takes its UID as id when that is one and free, so a
// run cut short before the state is written pairs them again by it.
void SyncPlanner::_GiveNewCardsIds()
{
	id_map taken;
	for (size_t i = 0; i < fCards.size(); i++) {
		if (fCards[i].entry >= 0 || fCardPaired[i] || !fCards[i].readable)
			continue;
		record_id id;
		const bool free = ParseRecordId(fCards[i].uid, &id) && fBookIndex.count(id) == 0
			&& fEntryIndex.count(id) == 0 && taken.count(id) == 0;
		fCardIds[i] = free ? id : NewRecordId();
		taken.emplace(fCardIds[i], 0);
	}
}

// --- the merge

book_merge SyncPlanner::_Merge() const
{
	std::vector<merge_record> ancestor;
	std::vector<merge_record> mine;
	std::vector<merge_record> theirs;
	ancestor.reserve(fEntries.size());
	for (size_t i = 0; i < fEntries.size(); i++) {
		if (!fFrozen[i])
			ancestor.push_back({fEntryIds[i], fEntries[i].fields});
	}
	mine.reserve(fBook.size());
	for (const book_record& record : fBook) {
		const auto entry = fEntryIndex.find(record.id);
		if (entry == fEntryIndex.end() || !fFrozen[entry->second])
			mine.push_back({record.id, record.line});
	}
	theirs.reserve(fCards.size());
	for (size_t i = 0; i < fCards.size(); i++) {
		if (fCards[i].readable)
			theirs.push_back({fCardIds[i], fCards[i].line});
	}
	return MergeBooks(ancestor, mine, theirs, merge_side::kTheirs);
}

// --- the actions

void SyncPlanner::_PlanKept(const book_merge& merge)
{
	id_map cardIndex;
	for (size_t i = 0; i < fCards.size(); i++) {
		if (fCards[i].readable)
			cardIndex.emplace(fCardIds[i], static_cast<int32>(i));
	}
	fPlan.items.reserve(merge.records.size());
	for (const merge_record& record : merge.records) {
		planned_item& item = fPlan.items.emplace_back();
		item.id = record.id;
		item.line = record.line;
		const auto inBook = fBookIndex.find(record.id);
		if (inBook == fBookIndex.end())
			item.record = record_action::kAdd;
		else if (fBook[inBook->second].line != record.line)
			item.record = record_action::kChange;
		const auto card = cardIndex.find(record.id);
		if (card == cardIndex.end()) {
			item.card = card_action::kCreate;
		} else {
			item.cardIndex = card->second;
			if (fCards[card->second].line != record.line)
				item.card = card_action::kPatch;
		}
		const auto entry = fEntryIndex.find(record.id);
		item.entry = entry != fEntryIndex.end() ? entry->second : -1;
	}
	fPlan.conflicts = merge.conflicts;
}

void SyncPlanner::_PlanDeleted(const book_merge& merge)
{
	id_map kept;
	for (const merge_record& record : merge.records)
		kept.emplace(record.id, 0);
	id_map deleted;
	for (const book_record& record : fBook) {
		const auto entry = fEntryIndex.find(record.id);
		if (kept.count(record.id) > 0 || (entry != fEntryIndex.end() && fFrozen[entry->second]))
			continue;
		planned_item& item = fPlan.items.emplace_back();
		item.id = record.id;
		item.record = record_action::kDelete;
		item.entry = entry != fEntryIndex.end() ? entry->second : -1;
		deleted.emplace(record.id, static_cast<int32>(fPlan.items.size() - 1));
		fPlan.recordsDeleted++;
	}
	for (size_t i = 0; i < fCards.size(); i++) {
		if (!fCards[i].readable || kept.count(fCardIds[i]) > 0)
			continue;
		const auto both = deleted.find(fCardIds[i]);
		planned_item& item = both != deleted.end() ? fPlan.items[both->second]
												   : fPlan.items.emplace_back();
		item.id = fCardIds[i];
		item.card = card_action::kDelete;
		item.cardIndex = static_cast<int32>(i);
		item.entry = fCards[i].entry;
		fPlan.cardsDeleted++;
	}
}
