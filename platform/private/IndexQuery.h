// Queries over the emulated volume indexes: the nodes recorded in an index whose
// live attribute (read now, not when it was indexed) satisfies a predicate. The
// roster's volume and query classes wrap these.
// Threading: safe from any thread and any process.
#ifndef _INDEX_QUERY_H
#define _INDEX_QUERY_H

#include <EntryRef.h>
#include <SupportDefs.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace BPrivate {

// Called with the attribute's current type and bytes.
using AttributePredicate = std::function<bool(type_code type, const void* data,
	size_t size)>;

// One comparison of an attribute's live value with a constant. An integer
// constant compares with integer attributes; a string constant (or an integer
// constant against a string attribute) with string attributes, without their
// terminating NUL.
enum class QueryOp { kEqual, kNotEqual, kLess, kLessEqual, kGreater, kGreaterEqual };

struct QueryTerm {
	std::string attribute;
	QueryOp op = QueryOp::kEqual;
	std::string text;
	std::optional<int64> number;
};

bool term_matches(const QueryTerm& term, type_code type, const void* data, size_t size);

// B_ENTRY_NOT_FOUND when the device has no such index; refs come in the order the
// nodes were indexed.
status_t query_index(dev_t device, const char* attribute,
	const AttributePredicate& predicate, std::vector<entry_ref>* refs);

}  // namespace BPrivate

#endif
