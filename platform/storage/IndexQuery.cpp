// Sections: running a predicate over an index; matching one term.
#include <IndexQuery.h>

#include <Entry.h>
#include <IndexStore.h>
#include <Node.h>
#include <TypeConstants.h>

#include <cstring>
#include <optional>
#include <set>
#include <string>

namespace BPrivate {

// #pragma mark - running a predicate over an index

status_t query_index(dev_t device, const char* attribute,
	const AttributePredicate& predicate, std::vector<entry_ref>* refs)
{
	if (attribute == nullptr || refs == nullptr || !predicate)
		return B_BAD_VALUE;
	refs->clear();
	std::vector<std::string> paths;
	if (status_t status = IndexStore::ReadNodes(device, attribute, nullptr, &paths);
			status != B_OK) {
		return status;
	}
	// A node recorded under two names (a hard link, a rename) is reported once.
	std::set<ino_t> seen;
	for (const std::string& path : paths) {
		BNode node(path.c_str());
		struct stat st;
		// A node that moved to another device is no longer in this one's index.
		if (node.GetStat(&st) != B_OK || st.st_dev != device || !seen.insert(st.st_ino).second)
			continue;
		attr_info info;
		if (node.GetAttrInfo(attribute, &info) != B_OK)
			continue;
		std::vector<char> value(info.size);
		const ssize_t read = node.ReadAttr(attribute, info.type, 0, value.data(),
			value.size());
		if (read < 0)
			continue;
		if (!predicate(info.type, value.data(), read))
			continue;
		entry_ref ref;
		if (get_ref_for_path(path.c_str(), &ref) == B_OK)
			refs->push_back(ref);
	}
	return B_OK;
}

// #pragma mark - matching one term

namespace {

using Op = QueryOp;

template<typename T>
bool compare(const T& left, Op op, const T& right)
{
	switch (op) {
		case Op::kEqual: return left == right;
		case Op::kNotEqual: return left != right;
		case Op::kLess: return left < right;
		case Op::kLessEqual: return left <= right;
		case Op::kGreater: return left > right;
		case Op::kGreaterEqual: return left >= right;
	}
	return false;
}

std::optional<int64> integer_value(type_code type, const void* data, size_t size)
{
	auto read = [&](auto sample) -> std::optional<int64> {
		if (size != sizeof(sample))
			return std::nullopt;
		std::memcpy(&sample, data, sizeof(sample));
		return static_cast<int64>(sample);
	};
	switch (type) {
		case B_INT8_TYPE: return read(int8());
		case B_UINT8_TYPE: return read(uint8());
		case B_INT16_TYPE: return read(int16());
		case B_UINT16_TYPE: return read(uint16());
		case B_INT32_TYPE: return read(int32());
		case B_UINT32_TYPE: return read(uint32());
		case B_INT64_TYPE:
		case B_OFF_T_TYPE:
		case B_TIME_TYPE:
			return read(int64());
		case B_UINT64_TYPE: return read(uint64());
		default: return std::nullopt;
	}
}

bool is_string_type(type_code type)
{
	return type == B_STRING_TYPE || type == B_MIME_STRING_TYPE || type == B_MIME_TYPE;
}

}  // namespace

bool term_matches(const QueryTerm& term, type_code type, const void* data, size_t size)
{
	if (term.number.has_value()) {
		const std::optional<int64> value = integer_value(type, data, size);
		if (value.has_value())
			return compare(*value, term.op, *term.number);
	}
	if (!is_string_type(type))
		return false;
	const char* text = static_cast<const char*>(data);
	const std::string value(text, strnlen(text, size));
	return compare(value, term.op, term.text);
}

}  // namespace BPrivate
