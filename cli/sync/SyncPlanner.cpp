// Sections: pairing, the merge, the actions.
#include "SyncPlanner.h"

#include "RewrittenLines.h"

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
	  fBookIndex(book.empty() ? nullptr : &book[0].id, book.size(), sizeof(book_record)),
	  fFrozen(entries.size(), false),
	  fCardIds(cards.size()),
	  fCardPaired(cards.size(), false),
	  fRecordPaired(book.size(), false)
{
	for (size_t i = 0; i < entries.size(); i++)
		fEntryIds[i] = entries[i].id;
	_IndexEntries();
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

void SyncPlanner::_IndexEntries()
{
	fEntryIndex = std::make_unique<RecordIdIndex>(fEntryIds.empty() ? nullptr : fEntryIds.data(),
		fEntryIds.size());
}

namespace {

bool Has(const RecordIdIndex& index, const record_id& id)
{
	return index.Find(id) != RecordIdIndex::kNone;
}

// The position of id in index as an int32, -1 when it is not there.
int32 Position(const RecordIdIndex& index, const record_id& id)
{
	const uint32 found = index.Find(id);
	return found == RecordIdIndex::kNone ? -1 : static_cast<int32>(found);
}

}  // namespace

void SyncPlanner::_Pair()
{
	std::vector<size_t> cards;  // readable cards no record of the book is tied to
	for (size_t i = 0; i < fCards.size(); i++) {
		const int32 entry = fCards[i].entry;
		if (fCards[i].readable && (entry < 0 || !Has(fBookIndex, fEntryIds[entry])))
			cards.push_back(i);
	}
	std::unordered_map<std::string_view, std::deque<size_t>> byLine;
	for (size_t i = 0; i < fBook.size(); i++) {
		if (!Has(*fEntryIndex, fBook[i].id))
			byLine[fBook[i].line].push_back(i);
		else
			fRecordPaired[i] = true;
	}
	// The card's UID first: a card made from a record carries its id.
	for (const size_t card : cards) {
		record_id id;
		if (!ParseRecordId(fCards[card].uid, &id))
			continue;
		const int32 record = Position(fBookIndex, id);
		if (record >= 0 && !fRecordPaired[record])
			_PairCard(card, static_cast<size_t>(record));
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
	_PairRewritten(cards);
	if (fPlan.repaired)
		_IndexEntries();
}

// A line another program rewrote in the book comes back with a new id: when
// exactly one new record and one card whose record left the book name the
// same person, they are one contact changed, not one deleted and one added,
// which would cost the card all that the book cannot hold (a photo, ...).
void SyncPlanner::_PairRewritten(const std::vector<size_t>& cards)
{
	std::vector<size_t> orphans;  // cards whose record left the book
	std::vector<std::string_view> gone;
	for (const size_t card : cards) {
		const int32 entry = fCards[card].entry;
		if (fCardPaired[card] || entry < 0)
			continue;
		orphans.push_back(card);
		gone.push_back(fEntries[entry].fields);
	}
	std::vector<size_t> newcomers;  // records no card is tied to
	std::vector<std::string_view> arrived;
	for (size_t i = 0; i < fBook.size() && !orphans.empty(); i++) {
		if (fRecordPaired[i])
			continue;
		newcomers.push_back(i);
		arrived.push_back(fBook[i].line);
	}
	for (const auto& [card, record] : PairRewrittenLines(gone, arrived))
		_PairCard(orphans[card], newcomers[record]);
}

void SyncPlanner::_PairCard(size_t card, size_t record)
{
	const record_id& id = fBook[record].id;
	const int32 entry = fCards[card].entry;
	if (entry >= 0) {
		// The record is the one the entry knew under an id it lost.
		fEntryIds[entry] = id;
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
		const bool free = ParseRecordId(fCards[i].uid, &id) && !Has(fBookIndex, id)
			&& !Has(*fEntryIndex, id) && taken.count(id) == 0;
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
		const int32 entry = Position(*fEntryIndex, record.id);
		if (entry < 0 || !fFrozen[entry])
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
	// Unreadable cards have no id here, or a frozen one no merged record has.
	const RecordIdIndex cardIndex(fCardIds.empty() ? nullptr : fCardIds.data(), fCardIds.size());
	fPlan.items.reserve(merge.records.size());
	for (const merge_record& record : merge.records) {
		planned_item& item = fPlan.items.emplace_back();
		item.id = record.id;
		item.line = record.line;
		const int32 inBook = Position(fBookIndex, record.id);
		if (inBook < 0)
			item.record = record_action::kAdd;
		else if (fBook[inBook].line != record.line)
			item.record = record_action::kChange;
		item.cardIndex = Position(cardIndex, record.id);
		if (item.cardIndex < 0)
			item.card = card_action::kCreate;
		else if (fCards[item.cardIndex].line != record.line)
			item.card = card_action::kPatch;
		item.entry = Position(*fEntryIndex, record.id);
	}
	fPlan.conflicts = merge.conflicts;
}

void SyncPlanner::_PlanDeleted(const book_merge& merge)
{
	const RecordIdIndex kept(merge.records.empty() ? nullptr : &merge.records[0].id,
		merge.records.size(), sizeof(merge_record));
	id_map deleted;
	for (const book_record& record : fBook) {
		const int32 entry = Position(*fEntryIndex, record.id);
		if (Has(kept, record.id) || (entry >= 0 && fFrozen[entry]))
			continue;
		planned_item& item = fPlan.items.emplace_back();
		item.id = record.id;
		item.record = record_action::kDelete;
		item.entry = entry;
		deleted.emplace(record.id, static_cast<int32>(fPlan.items.size() - 1));
		fPlan.recordsDeleted++;
	}
	for (size_t i = 0; i < fCards.size(); i++) {
		if (!fCards[i].readable || Has(kept, fCardIds[i]))
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
