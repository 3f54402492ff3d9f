// The three-way merge over every combination of a record's fate on the two
// sides, for either winner: what the result holds, what is reported, the order,
// and that no value of either side is lost.
#include "BookTestSupport.h"

#include <BookMerge.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using Line = std::optional<std::string>;  // none: the side has no such record
const Line kNone;
const std::string kUnknown = "<unknown>";  // an ancestor known only to exist

// A line with a nickname, a phone number and an e-mail address.
std::string L(const char* nickname, const char* phone, const char* email)
{
	return RecordLine(nickname, phone, email);
}

struct Case {
	const char* what;
	Line ancestor, mine, theirs;
	Line keptIfMineWins, keptIfTheirsWin;  // none: deleted
	std::vector<conflict_kind> reported;
};

const Case kCases[] = {
	{"unchanged", L("a", "1", "e"), L("a", "1", "e"), L("a", "1", "e"),
		L("a", "1", "e"), L("a", "1", "e"), {}},
	{"changed in mine", L("b", "1", "e"), L("b", "2", "e"), L("b", "1", "e"),
		L("b", "2", "e"), L("b", "2", "e"), {}},
	{"changed in theirs", L("c", "1", "e"), L("c", "1", "e"), L("c", "1", "x"),
		L("c", "1", "x"), L("c", "1", "x"), {}},
	{"same change on both", L("d", "1", "e"), L("d", "2", "e"), L("d", "2", "e"),
		L("d", "2", "e"), L("d", "2", "e"), {}},
	{"other fields on each side", L("e", "1", "e"), L("e", "2", "e"), L("e", "1", "x"),
		L("e", "2", "x"), L("e", "2", "x"), {}},
	{"different changes on both", L("f", "1", "e"), L("f", "2", "m"), L("f", "3", "e"),
		L("f", "2", "m"), L("f", "3", "m"), {conflict_kind::kBothChanged}},
	{"deleted in mine", L("g", "1", "e"), kNone, L("g", "1", "e"), kNone, kNone, {}},
	{"deleted in theirs", L("h", "1", "e"), L("h", "1", "e"), kNone, kNone, kNone, {}},
	{"deleted on both", L("i", "1", "e"), kNone, kNone, kNone, kNone, {}},
	{"deleted in mine, changed in theirs", L("j", "1", "e"), kNone, L("j", "9", "e"),
		L("j", "9", "e"), L("j", "9", "e"), {conflict_kind::kDeletedInMine}},
	{"changed in mine, deleted in theirs", L("k", "1", "e"), L("k", "9", "e"), kNone,
		L("k", "9", "e"), L("k", "9", "e"), {conflict_kind::kDeletedInTheirs}},
	{"added in mine", kNone, L("l", "1", "e"), kNone, L("l", "1", "e"), L("l", "1", "e"), {}},
	{"added in theirs", kNone, kNone, L("m", "1", "e"), L("m", "1", "e"), L("m", "1", "e"), {}},
	{"on both, no ancestor", kNone, L("n", "1", "e"), L("n", "2", "e"),
		L("n", "1", "e"), L("n", "2", "e"), {conflict_kind::kBothChanged}},
	{"unknown ancestor, deleted in theirs", kUnknown, L("o", "1", "e"), kNone,
		L("o", "1", "e"), L("o", "1", "e"), {conflict_kind::kDeletedInTheirs}},
	{"unknown ancestor, one field apart", kUnknown, L("p", "1", "e"), L("p", "1", "x"),
		L("p", "1", "e"), L("p", "1", "x"), {conflict_kind::kBothChanged}},
};
constexpr size_t kCaseCount = sizeof(kCases) / sizeof(kCases[0]);

record_id IdOf(size_t n)
{
	record_id id;
	id.bytes[0] = static_cast<uint8>(n + 1);
	return id;
}

std::vector<merge_record> Side(Line Case::*side, bool reversed = false)
{
	std::vector<merge_record> records;
	for (size_t n = 0; n < kCaseCount; n++) {
		const Line& line = kCases[n].*side;
		if (line && *line == kUnknown)
			records.push_back(merge_record{IdOf(n), std::string_view()});
		else if (line)
			records.push_back(merge_record{IdOf(n), *line});
	}
	if (reversed)
		std::reverse(records.begin(), records.end());
	return records;
}

// Every value either side changed is in the result or in a conflict.
void ExpectNothingLost(const Case& c, const std::string& result,
	const std::vector<const merge_conflict*>& reported)
{
	const std::string ancestorLine = c.ancestor.value_or("") == kUnknown ? "" : c.ancestor.value_or("");
	std::string_view a[kBookFieldCount];
	std::string_view r[kBookFieldCount];
	SplitBookLine(ancestorLine, a);
	SplitBookLine(result, r);
	for (const Line& side : {c.mine, c.theirs}) {
		const std::string sideLine = side.value_or("");
		std::string_view s[kBookFieldCount];
		SplitBookLine(sideLine, s);
		for (int32 f = 0; side && f < kBookFieldCount; f++) {
			bool inConflict = false;
			for (const merge_conflict* conflict : reported)
				inConflict |= conflict->field == f && (conflict->mine == s[f] || conflict->theirs == s[f]);
			EXPECT_TRUE(s[f] == a[f] || s[f] == r[f] || inConflict) << "field " << f << " lost";
		}
	}
}

}  // namespace

TEST(MergeTest, EveryCombinationForEitherWinnerLosesNothing)
{
	const std::vector<merge_record> ancestor = Side(&Case::ancestor);
	const std::vector<merge_record> mine = Side(&Case::mine);
	// Theirs in another order: the result follows mine's.
	const std::vector<merge_record> theirs = Side(&Case::theirs, true);
	for (const merge_side winner : {merge_side::kMine, merge_side::kTheirs}) {
		const book_merge merge = MergeBooks(ancestor, mine, theirs, winner);
		std::map<size_t, std::string> result;
		std::vector<size_t> order;
		for (const merge_record& record : merge.records) {
			order.push_back(record.id.bytes[0] - 1u);
			result[order.back()] = record.line;
		}
		std::map<size_t, std::vector<const merge_conflict*>> reported;
		for (const merge_conflict& conflict : merge.conflicts)
			reported[conflict.id.bytes[0] - 1u].push_back(&conflict);

		for (size_t n = 0; n < kCaseCount; n++) {
			const Case& c = kCases[n];
			const Line& kept = winner == merge_side::kMine ? c.keptIfMineWins : c.keptIfTheirsWin;
			SCOPED_TRACE(std::string(c.what) + (winner == merge_side::kMine ? ", mine wins" : ", theirs win"));
			EXPECT_EQ(result.count(n) ? Line(result[n]) : kNone, kept);
			result.try_emplace(n);
			ASSERT_EQ(reported[n].size(), c.reported.size());
			for (size_t k = 0; k < c.reported.size(); k++) {
				EXPECT_EQ(reported[n][k]->kind, c.reported[k]);
				EXPECT_EQ(reported[n][k]->kept, c.reported[k] == conflict_kind::kBothChanged
					? winner : c.reported[k] == conflict_kind::kDeletedInMine
					? merge_side::kTheirs : merge_side::kMine);
				EXPECT_EQ(reported[n][k]->nickname, std::string(1, char('a' + n)));
			}
			ExpectNothingLost(c, result[n], reported[n]);
		}
		// Mine's order, then what only theirs has in theirs' order.
		const std::vector<size_t> expected = {0, 1, 2, 3, 4, 5, 10, 11, 13, 14, 15, 12, 9};
		EXPECT_EQ(order, expected);
	}
	// A conflict names the field and both values.
	const book_merge merge = MergeBooks(ancestor, mine, theirs, merge_side::kMine);
	const auto both = std::find_if(merge.conflicts.begin(), merge.conflicts.end(),
		[](const merge_conflict& c) { return c.id == IdOf(5); });
	ASSERT_NE(both, merge.conflicts.end());
	EXPECT_EQ(both->field, kPhoneField);
	EXPECT_EQ(both->mine, "2");
	EXPECT_EQ(both->theirs, "3");
}

// Theirs could not be read whole: what it lacks stays, changed here or not,
// and is reported; mine's own deletion and both sides' additions go on.
TEST(MergeTest, AVersionNotReadWholeDeletesNothingOnItsBehalf)
{
	const std::string a = L("a", "1", "e");
	const std::string b = L("b", "1", "e");
	const std::string changedB = L("b", "2", "e");
	const std::string c = L("c", "1", "e");
	const std::string d = L("d", "1", "e");
	const std::string e = L("e", "1", "e");
	const std::vector<merge_record> ancestor = {{IdOf(0), a}, {IdOf(1), b}, {IdOf(2), c}};
	const std::vector<merge_record> mine = {{IdOf(0), a}, {IdOf(1), changedB}, {IdOf(3), d}};
	const std::vector<merge_record> theirs = {{IdOf(2), c}, {IdOf(4), e}};
	const book_merge merge = MergeBooks(ancestor, mine, theirs, merge_side::kMine, false);
	std::vector<std::string> lines;
	for (const merge_record& record : merge.records)
		lines.emplace_back(record.line);
	EXPECT_EQ(lines, (std::vector<std::string>{a, changedB, d, e}));
	ASSERT_EQ(merge.conflicts.size(), 2u);
	for (const merge_conflict& conflict : merge.conflicts) {
		EXPECT_EQ(conflict.kind, conflict_kind::kMissingInTheirs);
		EXPECT_EQ(conflict.kept, merge_side::kMine);
	}
	EXPECT_EQ(merge.conflicts[1].nickname, "b");
}
