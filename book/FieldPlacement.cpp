#include "FieldPlacement.h"

#include "ContactText.h"

#include <vector>

namespace {

constexpr int32 kPairs[][2] = {
	{kEmail1Field, kEmail2Field},
	{kAddress1Field, kAddress2Field},
	{kCommentsField, kComments2Field},
};

}  // namespace

record_texts FieldPlacement::Follow(const record_texts& read, const record_texts& record)
{
	record_texts placed = read;
	for (const auto& pair : kPairs) {
		std::vector<std::string> values;
		std::vector<int32> slots;  // the used ones first, then the free ones
		for (const int32 field : pair) {
			if (!read[field].empty())
				values.push_back(read[field]);
			if (!FlattenFieldText(record[field]).empty())
				slots.push_back(field);
		}
		for (const int32 field : pair) {
			if (FlattenFieldText(record[field]).empty())
				slots.push_back(field);
		}
		for (size_t i = 0; i < slots.size(); i++)
			placed[slots[i]] = i < values.size() ? values[i] : std::string();
	}
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (placed[field] != record[field] && placed[field] == FlattenFieldText(record[field]))
			placed[field] = record[field];
	}
	return placed;
}
