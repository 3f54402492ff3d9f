// The three-way merge of two versions of one book, "mine" and "theirs", that
// both come from a common "ancestor" (the book as it was read or last saved).
// Records are matched by id, then merged field by field:
//  - a field changed on one side only takes that side's value; changed on both
//    sides to the same value, that value; to different values, the winner's
//    value, and the other is reported as a conflict;
//  - a record deleted on one side and unchanged on the other is deleted;
//    deleted on one side and changed on the other it comes back with the
//    change, reported;
//  - records added on either side are all kept (a record added on both sides
//    is two records with two ids);
//  - when theirs could not be read whole (a NUL, a cut line: body_damage in
//    BookBody.h), a record it lacks is never deleted on its behalf: mine's
//    stays, reported.
// Nothing is lost: every value of mine and theirs is either in the result or
// in a conflict.
// Order of the result: mine's records in mine's order, then the records only
// theirs has (added there, or brought back because theirs changed what mine
// deleted) in theirs' order.
// An ancestor record whose text is unknown (see merge_record) counts as
// different from both sides in every field; a record both sides have but the
// ancestor has not is merged the same way.
// Threading: a pure function; safe from any thread.
#ifndef _BOOK_MERGE_H
#define _BOOK_MERGE_H

#include "BookFields.h"
#include "RecordId.h"

#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One record as the merge sees it: its id and its line, the 21 field texts
// joined by TABs (a body line without its line feed). Ids are unique within
// each side. An ancestor record may have a line whose data() is null: its
// text is not known, only that it existed.
struct merge_record {
	record_id id;
	std::string_view line;
};

enum class merge_side { kMine, kTheirs };

enum class conflict_kind {
	kBothChanged,     // one field changed on both sides to different values
	kDeletedInMine,   // mine deleted the record, theirs changed it: it stays
	kDeletedInTheirs, // theirs deleted the record, mine changed it: it stays
	kMissingInTheirs, // theirs, read with damage, lacks the record: mine's stays
};

struct merge_conflict {
	record_id id;
	conflict_kind kind = conflict_kind::kBothChanged;
	merge_side kept = merge_side::kMine;  // whose value is in the result
	int32 field = -1;                     // kBothChanged only
	// The record as merged, to name it in a report.
	std::string nickname;
	std::string firstName;
	std::string lastName;
	// kBothChanged: the field's value on each side.
	std::string mine;
	std::string theirs;
};

struct book_merge {
	// The merged records; their lines point into the three inputs or into
	// merged, so they are good while both are.
	std::vector<merge_record> records;
	std::vector<merge_conflict> conflicts;
	std::deque<std::string> merged;
};

book_merge MergeBooks(std::span<const merge_record> ancestor, std::span<const merge_record> mine,
	std::span<const merge_record> theirs, merge_side winner, bool theirsWhole = true);

// The 21 fields of a line, split at its TABs: missing ones are empty, the
// last one takes whatever follows the twentieth TAB.
void SplitBookLine(std::string_view line, std::string_view fields[kBookFieldCount]);

#endif
