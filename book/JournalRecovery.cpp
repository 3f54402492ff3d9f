#include "JournalRecovery.h"

#include "BookBody.h"
#include "MergingSave.h"
#include "RecordIdIndex.h"
#include "RewrittenLines.h"

#include <unordered_map>
#include <unordered_set>

namespace {

// The book as it is now, as the merge sees a version: its records' lines
// point into body.
std::vector<merge_record> CurrentRecords(const CVABook* book, std::string* body)
{
	std::vector<record_id> ids;
	WriteBookBody(book, [body](const char* bytes, size_t size) {
		body->append(bytes, size);
		return B_OK;
	}, &ids);
	const std::vector<std::string_view> lines = BodyLines(body->data(), body->size());
	std::vector<merge_record> records(lines.size());
	for (size_t i = 0; i < lines.size(); i++)
		records[i] = merge_record{ids[i], lines[i]};
	return records;
}

void Replace(CVABook* book, const std::vector<merge_record>& records)
{
	book->MakeEmpty();
	for (const merge_record& record : records)
		SetRecordFields(book->AddRecord(record.id), record.line);
}

// What a changed or deleted base record held, or unknown.
std::string_view Before(const journal_item& item)
{
	return item.beforeKnown ? std::string_view(item.before) : std::string_view();
}

const record_id* IdsOf(const std::vector<merge_record>& records)
{
	return records.empty() ? nullptr : &records[0].id;
}

// The journal's own order over the base its file still is: base positions
// name the records by the ids they were read with.
std::vector<merge_conflict> OverItsBase(const book_journal& journal,
	const std::vector<record_id>& baseIds, const std::vector<merge_record>& theirs,
	CVABook* book)
{
	const RecordIdIndex inTheirs(IdsOf(theirs), theirs.size(), sizeof(merge_record));
	std::vector<merge_record> ancestor(baseIds.size());
	for (size_t p = 0; p < baseIds.size(); p++) {
		const uint32 at = inTheirs.Find(baseIds[p]);
		ancestor[p] = merge_record{baseIds[p],
			at != RecordIdIndex::kNone ? theirs[at].line : std::string_view()};
	}
	// Read anew, the base is the book as it is (unless the window changed it
	// before it was recovered): what the journal kept is surer.
	for (const journal_item& item : journal.items) {
		if (item.kind != journal_item_kind::kKept && item.kind != journal_item_kind::kAdded
			&& item.beforeKnown)
			ancestor[item.first].line = item.before;
	}
	std::vector<merge_record> mine;
	for (const journal_item& item : journal.items) {
		if (item.kind == journal_item_kind::kKept) {
			for (uint32 p = item.first; p <= item.last; p++) {
				if (ancestor[p].line.data() != nullptr)
					mine.push_back(ancestor[p]);
			}
		} else if (item.kind == journal_item_kind::kChanged) {
			mine.push_back(merge_record{baseIds[item.first], item.line});
		} else if (item.kind == journal_item_kind::kAdded) {
			mine.push_back(merge_record{item.id, item.line});
		}
	}
	book_merge merge = MergeBooks(ancestor, mine, theirs, merge_side::kMine);
	Replace(book, merge.records);
	return std::move(merge.conflicts);
}

// The journal's items, those whose record the other version has under a new
// id (a program that does not keep ids rewrote the file) taking that id: the
// record whose line is the one the base held, else the record that alone
// names the same person (RewrittenLines.h), as the merging save pairs them.
std::vector<journal_item> PairedItems(const book_journal& journal,
	const std::vector<merge_record>& theirs)
{
	std::vector<journal_item> items = journal.items;
	std::unordered_set<record_id, record_id_hash> told;
	for (const journal_item& item : items)
		told.insert(item.id);
	std::unordered_map<std::string_view, std::vector<size_t>> byLine;
	std::unordered_set<record_id, record_id_hash> inTheirs;
	for (size_t i = 0; i < theirs.size(); i++) {
		inTheirs.insert(theirs[i].id);
		if (told.count(theirs[i].id) == 0)
			byLine[theirs[i].line].push_back(i);
	}
	std::vector<bool> taken(theirs.size(), false);
	std::vector<size_t> unpaired;  // items whose record is not found by its line
	for (size_t k = 0; k < items.size(); k++) {
		journal_item& item = items[k];
		if (item.kind == journal_item_kind::kKept || item.kind == journal_item_kind::kAdded
			|| !item.beforeKnown || inTheirs.count(item.id) > 0)
			continue;
		size_t found = theirs.size();
		if (const auto same = byLine.find(item.before); same != byLine.end()) {
			for (const size_t i : same->second)
				found = found == theirs.size() && !taken[i] ? i : found;
		}
		if (found < theirs.size()) {
			taken[found] = true;
			item.id = theirs[found].id;
		} else {
			unpaired.push_back(k);
		}
	}
	std::vector<std::string_view> gone;
	for (const size_t k : unpaired)
		gone.push_back(items[k].before);
	std::vector<std::string_view> arrived;
	std::vector<size_t> arrivedAt;
	for (size_t i = 0; i < theirs.size(); i++) {
		if (!taken[i] && told.count(theirs[i].id) == 0) {
			arrived.push_back(theirs[i].line);
			arrivedAt.push_back(i);
		}
	}
	for (const auto& [g, a] : PairRewrittenLines(gone, arrived))
		items[unpaired[g]].id = theirs[arrivedAt[a]].id;
	return items;
}

// The journal's changes, by id, over a book another program changed since:
// the base is the book now with what the journal kept of the records it
// changed or deleted.
std::vector<merge_conflict> OverAnotherVersion(const book_journal& journal,
	const std::vector<merge_record>& theirs, CVABook* book)
{
	const std::vector<journal_item> items = PairedItems(journal, theirs);
	std::unordered_map<record_id, const journal_item*, record_id_hash> told;
	for (const journal_item& item : items) {
		if (item.kind != journal_item_kind::kKept)
			told[item.id] = &item;
	}
	std::vector<merge_record> ancestor;
	std::vector<merge_record> mine;
	for (const merge_record& record : theirs) {
		const auto found = told.find(record.id);
		const journal_item* item = found != told.end() ? found->second : nullptr;
		if (item == nullptr || item->kind != journal_item_kind::kAdded)
			ancestor.push_back(item == nullptr ? record : merge_record{record.id, Before(*item)});
		if (item == nullptr)
			mine.push_back(record);
		else if (item->kind != journal_item_kind::kDeleted)
			mine.push_back(merge_record{record.id, item->line});
		if (item != nullptr)
			told.erase(found);
	}
	// What the other version no longer has, in the journal's order.
	for (const journal_item& item : items) {
		if (told.count(item.id) == 0 || item.kind == journal_item_kind::kKept)
			continue;
		if (item.kind != journal_item_kind::kAdded)
			ancestor.push_back(merge_record{item.id, Before(item)});
		if (item.kind != journal_item_kind::kDeleted)
			mine.push_back(merge_record{item.id, item.line});
	}
	book_merge merge = MergeBooks(ancestor, mine, theirs, merge_side::kMine);
	Replace(book, merge.records);
	return std::move(merge.conflicts);
}

}  // namespace

std::vector<merge_conflict> RecoverJournal(const book_journal& journal,
	const std::vector<record_id>& baseIds, CVABook* book)
{
	if (!journal.hasBase) {
		std::vector<merge_record> records;
		for (const journal_item& item : journal.items)
			records.push_back(merge_record{item.id, item.line});
		Replace(book, records);
		return {};
	}
	std::string body;
	const std::vector<merge_record> theirs = CurrentRecords(book, &body);
	if (baseIds.size() == journal.baseRecords)
		return OverItsBase(journal, baseIds, theirs, book);
	return OverAnotherVersion(journal, theirs, book);
}
