// Sections: the table of common headers, normalising a header, the map.
#include "ContactFieldMap.h"

#include "BookFields.h"
#include "AsciiText.h"
#include "ContactText.h"

#include <cstdlib>

// --- the table of common headers

namespace {

struct known_header {
	const char* header;  // lower case; '#' stands for a number
	column_kind kind;
	int32 field;
};

constexpr column_kind kF = column_kind::kField;

const known_header kKnownHeaders[] = {
	{"given name", kF, kFirstNameField},
	{"additional name", kF, kMiddleNameField},
	{"family name", kF, kLastNameField},
	{"surname", kF, kLastNameField},
	{"name", column_kind::kFullName, -1},
	{"display name", column_kind::kFullName, -1},
	{"full name", column_kind::kFullName, -1},
	{"file as", column_kind::kIgnore, -1},
	{"organization", kF, kCompanyField},
	{"organization name", kF, kCompanyField},
	{"organization # - name", kF, kCompanyField},
	{"job title", kF, kTitleField},
	{"organization title", kF, kTitleField},
	{"organization # - title", kF, kTitleField},
	{"address # - street", kF, kAddress1Field},
	{"address # - extended address", kF, kAddress2Field},
	{"address # - city", kF, kCityField},
	{"address # - region", kF, kStateField},
	{"address # - postal code", kF, kZipField},
	{"address # - country", kF, kCountryField},
	{"address # - formatted", column_kind::kIgnore, -1},
	{"address # - type", column_kind::kIgnore, -1},
	{"address # - label", column_kind::kIgnore, -1},
	{"home street", kF, kAddress1Field},
	{"home address", kF, kAddress1Field},
	{"home street #", kF, kAddress2Field},
	{"home address #", kF, kAddress2Field},
	{"home city", kF, kCityField},
	{"home state", kF, kStateField},
	{"home postal code", kF, kZipField},
	{"home zipcode", kF, kZipField},
	{"home country", kF, kCountryField},
	{"home country/region", kF, kCountryField},
	{"business street", kF, kAddress1Field},
	{"work address", kF, kAddress1Field},
	{"business street #", kF, kAddress2Field},
	{"work address #", kF, kAddress2Field},
	{"business city", kF, kCityField},
	{"work city", kF, kCityField},
	{"business state", kF, kStateField},
	{"work state", kF, kStateField},
	{"business postal code", kF, kZipField},
	{"work zipcode", kF, kZipField},
	{"business country/region", kF, kCountryField},
	{"work country", kF, kCountryField},
	{"street", kF, kAddress1Field},
	{"city", kF, kCityField},
	{"state", kF, kStateField},
	{"region", kF, kStateField},
	{"postal code", kF, kZipField},
	{"zip", kF, kZipField},
	{"zip code", kF, kZipField},
	{"phone # - value", column_kind::kPhone, -1},
	{"phone # - type", column_kind::kIgnore, -1},
	{"phone # - label", column_kind::kIgnore, -1},
	{"phone", kF, kPhoneField},
	{"telephone", kF, kPhoneField},
	{"home phone", kF, kPhoneField},
	{"business phone", kF, kPhoneField},
	{"work phone", kF, kPhoneField},
	{"primary phone", kF, kPhoneField},
	{"other phone", kF, kPhoneField},
	{"home phone #", kF, kPhoneField},
	{"business phone #", kF, kPhoneField},
	{"mobile", kF, kCellField},
	{"mobile phone", kF, kCellField},
	{"mobile number", kF, kCellField},
	{"cell phone", kF, kCellField},
	{"fax", kF, kFaxField},
	{"fax number", kF, kFaxField},
	{"business fax", kF, kFaxField},
	{"home fax", kF, kFaxField},
	{"other fax", kF, kFaxField},
	{"email", column_kind::kEmail, -1},
	{"e-mail", column_kind::kEmail, -1},
	{"email address", column_kind::kEmail, -1},
	{"e-mail address", column_kind::kEmail, -1},
	{"e-mail # address", column_kind::kEmail, -1},
	{"e-mail # - value", column_kind::kEmail, -1},
	{"e-mail # - type", column_kind::kIgnore, -1},
	{"e-mail # - label", column_kind::kIgnore, -1},
	{"primary email", column_kind::kEmail, -1},
	{"secondary email", column_kind::kEmail, -1},
	{"website", kF, kWebAddressField},
	{"web page", kF, kWebAddressField},
	{"web page #", kF, kWebAddressField},
	{"website # - value", kF, kWebAddressField},
	{"website # - type", column_kind::kIgnore, -1},
	{"website # - label", column_kind::kIgnore, -1},
	{"notes", column_kind::kNote, -1},
	{"note", column_kind::kNote, -1},
};

// --- normalising a header

std::string Lower(std::string_view text)
{
	return FoldAscii(TrimSpace(text));
}

// Every run of digits as one '#'.
std::string WithoutNumbers(const std::string& header)
{
	std::string out;
	for (const char c : header) {
		if (c >= '0' && c <= '9') {
			if (out.empty() || out.back() != '#')
				out += '#';
		} else {
			out += c;
		}
	}
	return out;
}

}  // namespace

// --- the map

ContactFieldMap::ContactFieldMap() = default;

int32 ContactFieldMap::FieldByName(std::string_view name)
{
	name = TrimSpace(name);
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (EqualsIgnoringCase(name, kBookFieldNames[field]))
			return field;
	}
	if (!name.empty() && name.size() <= 2 && name.find_first_not_of("0123456789") == name.npos) {
		const int32 number = atoi(std::string(name).c_str());
		if (number < kBookFieldCount)
			return number;
	}
	return -1;
}

bool ContactFieldMap::AddMapping(std::string_view mapping, std::string* error)
{
	const size_t equals = mapping.rfind('=');
	if (equals == std::string_view::npos || TrimSpace(mapping.substr(0, equals)).empty()) {
		*error = "a mapping is written HEADER=FIELD, e.g. \"Mobile=Cell Number\"";
		return false;
	}
	const std::string_view target = TrimSpace(mapping.substr(equals + 1));
	column_rule rule{column_kind::kIgnore, -1};
	if (!target.empty()) {
		rule = {column_kind::kField, FieldByName(target)};
		if (rule.field < 0) {
			std::string names;
			for (int32 field = 0; field < kBookFieldCount; field++)
				AppendSeparated(&names, ", ", kBookFieldNames[field]);
			std::string message(1, '"');
			message += target;
			message += "\" is not a field; the fields are ";
			*error = message + names;
			return false;
		}
	}
	fUser[Lower(mapping.substr(0, equals))] = rule;
	return true;
}

column_rule ContactFieldMap::RuleFor(std::string_view header) const
{
	const std::string key = Lower(header);
	if (const auto user = fUser.find(key); user != fUser.end())
		return user->second;
	if (const int32 field = FieldByName(key); field >= 0 && !key.empty()
		&& key.find_first_not_of("0123456789") != std::string::npos)
		return {column_kind::kField, field};
	for (const std::string& candidate : {key, WithoutNumbers(key)}) {
		for (const known_header& known : kKnownHeaders) {
			if (candidate == known.header)
				return {known.kind, known.field};
		}
	}
	return {};
}

std::string PhoneTypeHeader(std::string_view valueHeader, std::string_view suffix)
{
	std::string header(TrimSpace(valueHeader));
	const size_t dash = header.rfind('-');
	if (dash == std::string::npos)
		return header;
	return header.substr(0, dash + 1) + " " + std::string(suffix);
}
