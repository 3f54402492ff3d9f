#include "DisplayName.h"

#include <algorithm>

namespace {

constexpr int32 kNameFields[] = {kFirstNameField, kMiddleNameField, kLastNameField};
constexpr int32 kStandIns[] = {kCompanyField, kNicknameField, kEmail1Field, kEmail2Field,
	kPhoneField, kCellField, kFaxField, kWebAddressField};

std::string_view FieldOf(const std::string_view* fields, int32 count, int32 field)
{
	return field < count ? fields[field] : std::string_view();
}

}  // namespace

std::string DisplayName(const std::string_view* fields, int32 count)
{
	std::string name;
	for (const int32 field : kNameFields) {
		const std::string_view text = FieldOf(fields, count, field);
		if (text.empty())
			continue;
		if (!name.empty())
			name += ' ';
		name += text;
	}
	if (!name.empty())
		return name;
	for (const int32 field : kStandIns) {
		if (!FieldOf(fields, count, field).empty())
			return std::string(FieldOf(fields, count, field));
	}
	for (int32 field = 0; field < count; field++) {
		if (!fields[field].empty())
			return std::string(fields[field]);
	}
	return name;
}

std::string DisplayName(const std::string* fields, int32 count)
{
	std::string_view views[kBookFieldCount];
	count = std::min(count, kBookFieldCount);
	for (int32 field = 0; field < count; field++)
		views[field] = fields[field];
	return DisplayName(views, count);
}
