// A record line another program rewrote (a text editor, a script) comes back
// from the file with a new id, since nothing tells it apart from a line
// deleted and one added. When exactly one line that left a version and one
// line new to it name the same person (nickname, first and last name), they
// are one record changed: the merging save and cvab-sync pair them so that the
// record is merged field by field, not kept twice or deleted and made anew.
// Threading: pure functions; any thread.
#ifndef _REWRITTEN_LINES_H
#define _REWRITTEN_LINES_H

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Who a book line (21 fields joined by TABs) is about: its nickname, first and
// last name; "" when it names nobody.
std::string PersonOf(std::string_view line);

// The pairs (index in gone, index in arrived) of lines that alone name the
// same person: one line of gone and one of arrived, and no other of either.
std::vector<std::pair<size_t, size_t>> PairRewrittenLines(
	std::span<const std::string_view> gone, std::span<const std::string_view> arrived);

#endif
