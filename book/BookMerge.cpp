// Sections: lines and fields; one record; the whole book.
#include "BookMerge.h"

#include "RecordIdIndex.h"

#include <memory>

// --- lines and fields

void SplitBookLine(std::string_view line, std::string_view fields[kBookFieldCount])
{
	for (int32 field = 0; field < kBookFieldCount; field++) {
		const size_t tab = field + 1 < kBookFieldCount ? line.find('\t') : std::string_view::npos;
		fields[field] = line.substr(0, tab);
		line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
	}
}

namespace {

bool Known(const merge_record* record)
{
	return record != nullptr && record->line.data() != nullptr;
}

// A record's name for a report: its nickname, first and last name.
void NameConflict(merge_conflict* conflict, std::string_view line)
{
	std::string_view fields[kBookFieldCount];
	SplitBookLine(line, fields);
	conflict->nickname = fields[kNicknameField];
	conflict->firstName = fields[kFirstNameField];
	conflict->lastName = fields[kLastNameField];
}

// --- one record

class Merger {
public:
	Merger(book_merge* result, merge_side winner)
		: fResult(result), fWinner(winner)
	{
	}

	// A record both sides have; ancestor may be null or unknown.
	void Both(const merge_record* ancestor, const merge_record& mine, const merge_record& theirs)
	{
		const bool known = Known(ancestor);
		if (mine.line == theirs.line || (known && theirs.line == ancestor->line))
			Keep(mine);
		else if (known && mine.line == ancestor->line)
			Keep(theirs);
		else
			_ByField(known ? ancestor->line : std::string_view(), known, mine, theirs);
	}

	// A record one side has and the other deleted: gone when the side that
	// kept it did not change it, else kept and reported.
	void Survivor(const merge_record& ancestor, const merge_record& kept, merge_side side)
	{
		if (Known(&ancestor) && kept.line == ancestor.line)
			return;
		Keep(kept);
		merge_conflict conflict;
		conflict.id = kept.id;
		conflict.kind = side == merge_side::kMine
			? conflict_kind::kDeletedInTheirs : conflict_kind::kDeletedInMine;
		conflict.kept = side;
		NameConflict(&conflict, kept.line);
		fResult->conflicts.push_back(std::move(conflict));
	}

	// A record of mine that theirs, not read whole, lacks: kept, reported.
	void Missing(const merge_record& mine)
	{
		Keep(mine);
		merge_conflict conflict;
		conflict.id = mine.id;
		conflict.kind = conflict_kind::kMissingInTheirs;
		NameConflict(&conflict, mine.line);
		fResult->conflicts.push_back(std::move(conflict));
	}

	void Keep(const merge_record& record) { fResult->records.push_back(record); }

private:
	void _ByField(std::string_view ancestorLine, bool known, const merge_record& mine,
		const merge_record& theirs)
	{
		std::string_view a[kBookFieldCount];
		std::string_view m[kBookFieldCount];
		std::string_view t[kBookFieldCount];
		SplitBookLine(ancestorLine, a);
		SplitBookLine(mine.line, m);
		SplitBookLine(theirs.line, t);
		std::string line;
		std::vector<merge_conflict> conflicts;
		for (int32 field = 0; field < kBookFieldCount; field++) {
			std::string_view value = m[field];
			if (known && m[field] == a[field])
				value = t[field];
			else if (m[field] != t[field] && !(known && t[field] == a[field])) {
				value = fWinner == merge_side::kMine ? m[field] : t[field];
				merge_conflict conflict;
				conflict.id = mine.id;
				conflict.kept = fWinner;
				conflict.field = field;
				conflict.mine = m[field];
				conflict.theirs = t[field];
				conflicts.push_back(std::move(conflict));
			}
			line.append(value);
			if (field + 1 < kBookFieldCount)
				line += '\t';
		}
		const std::string& stored = fResult->merged.emplace_back(std::move(line));
		Keep(merge_record{mine.id, stored});
		for (merge_conflict& conflict : conflicts) {
			NameConflict(&conflict, stored);
			fResult->conflicts.push_back(std::move(conflict));
		}
	}

	book_merge* const fResult;
	const merge_side fWinner;
};

// Finds records of one side by id. Versions of one book mostly keep their
// records in the same order, so the place after the last one found is tried
// first; the table is built only when that guess fails.
class SideIndex {
public:
	explicit SideIndex(std::span<const merge_record> records)
		: fRecords(records)
	{
	}

	// The record's position, or RecordIdIndex::kNone.
	uint32 Find(const record_id& id)
	{
		if (fNext < fRecords.size() && fRecords[fNext].id == id)
			return static_cast<uint32>(fNext++);
		if (fIndex == nullptr) {
			fIndex = std::make_unique<RecordIdIndex>(fRecords.empty() ? nullptr : &fRecords[0].id,
				fRecords.size(), sizeof(merge_record));
		}
		const uint32 found = fIndex->Find(id);
		if (found != RecordIdIndex::kNone)
			fNext = found + 1;
		return found;
	}

private:
	const std::span<const merge_record> fRecords;
	std::unique_ptr<RecordIdIndex> fIndex;
	size_t fNext = 0;
};

}  // namespace

// --- the whole book

book_merge MergeBooks(std::span<const merge_record> ancestor, std::span<const merge_record> mine,
	std::span<const merge_record> theirs, merge_side winner, bool theirsWhole)
{
	SideIndex inAncestor(ancestor);
	SideIndex inMine(mine);
	SideIndex inTheirs(theirs);
	book_merge result;
	result.records.reserve(mine.size() + theirs.size());
	Merger merger(&result, winner);
	for (const merge_record& record : mine) {
		const uint32 a = inAncestor.Find(record.id);
		const uint32 t = inTheirs.Find(record.id);
		const merge_record* before = a != RecordIdIndex::kNone ? &ancestor[a] : nullptr;
		if (t != RecordIdIndex::kNone)
			merger.Both(before, record, theirs[t]);
		else if (before != nullptr && !theirsWhole)
			merger.Missing(record);
		else if (before != nullptr)
			merger.Survivor(*before, record, merge_side::kMine);
		else
			merger.Keep(record);
	}
	for (const merge_record& record : theirs) {
		if (inMine.Find(record.id) != RecordIdIndex::kNone)
			continue;
		const uint32 a = inAncestor.Find(record.id);
		if (a != RecordIdIndex::kNone)
			merger.Survivor(ancestor[a], record, merge_side::kTheirs);
		else
			merger.Keep(record);
	}
	return result;
}
