// BQuery. Sections: the predicate's grammar and parser; evaluation over the indexes;
// the query object.
#include <Query.h>

#include <Entry.h>
#include <TypeConstants.h>

#include "IndexQuery.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace {

// #pragma mark - the predicate's grammar and parser

//   expression := conjunction { "||" conjunction }
//   conjunction := primary { "&&" primary }
//   primary := "(" expression ")" | term
//   term := attribute operator value
//   operator := "==" | "!=" | "<" | ">" | "<=" | ">="
//   value := integer (decimal, or hexadecimal after 0x) | '"' characters '"'
// Inside quotes, a backslash takes the next character as it is.

using Op = BPrivate::QueryOp;

struct Node {
	enum Kind { kTerm, kAnd, kOr } kind = kTerm;
	BPrivate::QueryTerm term;
	std::unique_ptr<Node> left;
	std::unique_ptr<Node> right;
};

constexpr int kMaxDepth = 64;

class Parser {
public:
	explicit Parser(const std::string& text) : fText(text) {}

	std::unique_ptr<Node> Parse()
	{
		std::unique_ptr<Node> node = Expression(0);
		SkipSpace();
		if (node == nullptr || fPosition != fText.size())
			return nullptr;
		return node;
	}

private:
	void SkipSpace()
	{
		while (fPosition < fText.size() && isspace(static_cast<unsigned char>(fText[fPosition])))
			fPosition++;
	}
	bool Take(const char* token)
	{
		SkipSpace();
		const size_t length = strlen(token);
		if (fText.compare(fPosition, length, token) != 0)
			return false;
		fPosition += length;
		return true;
	}

	std::unique_ptr<Node> Combine(Node::Kind kind, std::unique_ptr<Node> left,
		std::unique_ptr<Node> right)
	{
		if (left == nullptr || right == nullptr)
			return nullptr;
		auto node = std::make_unique<Node>();
		node->kind = kind;
		node->left = std::move(left);
		node->right = std::move(right);
		return node;
	}

	std::unique_ptr<Node> Expression(int depth)
	{
		std::unique_ptr<Node> node = Conjunction(depth);
		while (node != nullptr && Take("||"))
			node = Combine(Node::kOr, std::move(node), Conjunction(depth));
		return node;
	}

	std::unique_ptr<Node> Conjunction(int depth)
	{
		std::unique_ptr<Node> node = Primary(depth);
		while (node != nullptr && Take("&&"))
			node = Combine(Node::kAnd, std::move(node), Primary(depth));
		return node;
	}

	std::unique_ptr<Node> Primary(int depth)
	{
		if (depth > kMaxDepth)
			return nullptr;
		if (Take("(")) {
			std::unique_ptr<Node> node = Expression(depth + 1);
			if (node == nullptr || !Take(")"))
				return nullptr;
			return node;
		}
		return Term();
	}

	std::unique_ptr<Node> Term()
	{
		SkipSpace();
		auto node = std::make_unique<Node>();
		while (fPosition < fText.size()
			&& !isspace(static_cast<unsigned char>(fText[fPosition]))
			&& strchr("=!<>()&|\"", fText[fPosition]) == nullptr)
			node->term.attribute += fText[fPosition++];
		if (node->term.attribute.empty())
			return nullptr;
		if (Take("=="))
			node->term.op = Op::kEqual;
		else if (Take("!="))
			node->term.op = Op::kNotEqual;
		else if (Take("<="))
			node->term.op = Op::kLessEqual;
		else if (Take(">="))
			node->term.op = Op::kGreaterEqual;
		else if (Take("<"))
			node->term.op = Op::kLess;
		else if (Take(">"))
			node->term.op = Op::kGreater;
		else
			return nullptr;
		SkipSpace();
		if (fPosition < fText.size() && fText[fPosition] == '"')
			return QuotedValue(std::move(node));
		return NumberValue(std::move(node));
	}

	std::unique_ptr<Node> QuotedValue(std::unique_ptr<Node> node)
	{
		fPosition++;
		while (fPosition < fText.size() && fText[fPosition] != '"') {
			if (fText[fPosition] == '\\' && fPosition + 1 < fText.size())
				fPosition++;
			node->term.text += fText[fPosition++];
		}
		if (fPosition >= fText.size())
			return nullptr;  // no closing quote
		fPosition++;
		return node;
	}

	std::unique_ptr<Node> NumberValue(std::unique_ptr<Node> node)
	{
		const char* start = fText.c_str() + fPosition;
		if (*start != '-' && *start != '+' && !isdigit(static_cast<unsigned char>(*start)))
			return nullptr;
		errno = 0;
		char* end = nullptr;
		const long long number = strtoll(start, &end, 0);
		if (errno != 0 || end == start)
			return nullptr;
		// A number must end where the term ends.
		if (*end != '\0' && !isspace(static_cast<unsigned char>(*end)) && *end != ')'
			&& *end != '&' && *end != '|')
			return nullptr;
		node->term.number = number;
		fPosition += size_t(end - start);
		return node;
	}

	const std::string& fText;
	size_t fPosition = 0;
};

// #pragma mark - evaluation over the indexes

bool Contains(const std::vector<entry_ref>& refs, const entry_ref& ref)
{
	for (const entry_ref& candidate : refs) {
		if (candidate == ref)
			return true;
	}
	return false;
}

status_t Evaluate(dev_t device, const Node& node, std::vector<entry_ref>* result)
{
	result->clear();
	if (node.kind == Node::kTerm) {
		auto matches = [&node](type_code type, const void* data, size_t size) {
			return BPrivate::term_matches(node.term, type, data, size);
		};
		return BPrivate::query_index(device, node.term.attribute.c_str(), matches, result);
	}
	std::vector<entry_ref> left;
	std::vector<entry_ref> right;
	status_t status = Evaluate(device, *node.left, &left);
	if (status == B_OK)
		status = Evaluate(device, *node.right, &right);
	if (status != B_OK)
		return status;
	if (node.kind == Node::kAnd) {
		for (const entry_ref& ref : left) {
			if (Contains(right, ref) && !Contains(*result, ref))
				result->push_back(ref);
		}
	} else {
		for (const std::vector<entry_ref>* side : {&left, &right}) {
			for (const entry_ref& ref : *side) {
				if (!Contains(*result, ref))
					result->push_back(ref);
			}
		}
	}
	return B_OK;
}

}  // namespace

// #pragma mark - the query object

BQuery::BQuery() = default;
BQuery::~BQuery() = default;

status_t BQuery::Clear()
{
	fPredicate.clear();
	fHasPredicate = false;
	fDevice = 0;
	fHasVolume = false;
	fFetched = false;
	fResults.clear();
	fNext = 0;
	return B_OK;
}

status_t BQuery::SetVolume(const BVolume* volume)
{
	if (volume == nullptr || volume->InitCheck() != B_OK)
		return B_BAD_VALUE;
	if (fFetched)
		return B_NOT_ALLOWED;
	fDevice = volume->Device();
	fHasVolume = true;
	return B_OK;
}

status_t BQuery::SetPredicate(const char* expression)
{
	if (expression == nullptr)
		return B_BAD_VALUE;
	if (fFetched)
		return B_NOT_ALLOWED;
	fPredicate = expression;
	fHasPredicate = true;
	return B_OK;
}

size_t BQuery::PredicateLength() const
{
	return fHasPredicate ? fPredicate.size() + 1 : 0;
}

status_t BQuery::GetPredicate(char* buffer, size_t length) const
{
	if (buffer == nullptr)
		return B_BAD_VALUE;
	if (!fHasPredicate)
		return B_NO_INIT;
	if (length < fPredicate.size() + 1)
		return B_BAD_VALUE;
	memcpy(buffer, fPredicate.c_str(), fPredicate.size() + 1);
	return B_OK;
}

status_t BQuery::GetPredicate(std::string* predicate) const
{
	if (predicate == nullptr)
		return B_BAD_VALUE;
	if (!fHasPredicate)
		return B_NO_INIT;
	*predicate = fPredicate;
	return B_OK;
}

status_t BQuery::Fetch()
{
	if (fFetched)
		return B_NOT_ALLOWED;
	if (!fHasPredicate || !fHasVolume)
		return B_NO_INIT;
	std::unique_ptr<Node> tree = Parser(fPredicate).Parse();
	if (tree == nullptr)
		return B_BAD_VALUE;
	std::vector<entry_ref> results;
	const status_t status = Evaluate(fDevice, *tree, &results);
	if (status != B_OK)
		return status;
	fResults = std::move(results);
	fNext = 0;
	fFetched = true;
	return B_OK;
}

status_t BQuery::GetNextRef(entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	if (!fFetched)
		return B_NO_INIT;
	if (fNext >= fResults.size())
		return B_ENTRY_NOT_FOUND;
	*ref = fResults[fNext++];
	return B_OK;
}

status_t BQuery::GetNextEntry(BEntry* entry, bool traverse)
{
	if (entry == nullptr)
		return B_BAD_VALUE;
	entry_ref ref;
	const status_t status = GetNextRef(&ref);
	if (status != B_OK)
		return status;
	return entry->SetTo(&ref, traverse);
}

status_t BQuery::Rewind()
{
	if (!fFetched)
		return B_NO_INIT;
	fNext = 0;
	return B_OK;
}

int32 BQuery::CountEntries() const
{
	return fFetched ? int32(fResults.size()) : 0;
}
