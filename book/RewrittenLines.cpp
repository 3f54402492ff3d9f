#include "RewrittenLines.h"

#include "BookMerge.h"

#include <algorithm>
#include <unordered_map>

std::string PersonOf(std::string_view line)
{
	std::string_view fields[kBookFieldCount];
	SplitBookLine(line, fields);
	if (fields[kNicknameField].empty() && fields[kFirstNameField].empty()
		&& fields[kLastNameField].empty())
		return {};
	return std::string(fields[kNicknameField]).append("\t").append(fields[kFirstNameField])
		.append("\t").append(fields[kLastNameField]);
}

std::vector<std::pair<size_t, size_t>> PairRewrittenLines(
	std::span<const std::string_view> gone, std::span<const std::string_view> arrived)
{
	std::unordered_map<std::string, std::vector<size_t>> left;  // gone, by person
	for (size_t i = 0; i < gone.size(); i++) {
		if (std::string person = PersonOf(gone[i]); !person.empty())
			left[std::move(person)].push_back(i);
	}
	std::unordered_map<std::string, std::vector<size_t>> newcomers;  // arrived, by person
	for (size_t i = 0; i < arrived.size() && !left.empty(); i++) {
		if (std::string person = PersonOf(arrived[i]); left.count(person) > 0)
			newcomers[std::move(person)].push_back(i);
	}
	std::vector<std::pair<size_t, size_t>> pairs;
	for (const auto& [person, lines] : newcomers) {
		const std::vector<size_t>& found = left[person];
		if (lines.size() == 1 && found.size() == 1)
			pairs.emplace_back(found[0], lines[0]);
	}
	std::sort(pairs.begin(), pairs.end());  // the same every time
	return pairs;
}
