// Sections: the tables, writing values, reading values.
#include "VCardProperties.h"

#include "AsciiText.h"
#include "ContactText.h"

#include <algorithm>

// --- the tables

namespace {

struct property_type {
	const char* name;
	vcard_value_type type;
};

constexpr property_type kTypes[] = {
	{"FN", vcard_value_type::kText},
	{"N", vcard_value_type::kStructured},
	{"NICKNAME", vcard_value_type::kTextList},
	{"ORG", vcard_value_type::kStructured},
	{"TITLE", vcard_value_type::kText},
	{"ADR", vcard_value_type::kStructured},
	{"TEL", vcard_value_type::kText},
	{"EMAIL", vcard_value_type::kText},
	{"URL", vcard_value_type::kUri},
	{"NOTE", vcard_value_type::kText},
	{"BDAY", vcard_value_type::kDate},
	{"REV", vcard_value_type::kDate},
	{"UID", vcard_value_type::kUri},
};

// By field number. Both address lines are the street's lines, both comment
// fields one NOTE.
constexpr vcard_field_place kPlaces[kBookFieldCount] = {
	{"NICKNAME", -1, nullptr},
	{"N", 1, nullptr},
	{"N", 2, nullptr},
	{"N", 0, nullptr},
	{"TITLE", -1, nullptr},
	{"ORG", 0, nullptr},
	{"ADR", 2, nullptr},
	{"ADR", 2, nullptr},
	{"ADR", 3, nullptr},
	{"ADR", 4, nullptr},
	{"ADR", 5, nullptr},
	{"ADR", 6, nullptr},
	{"TEL", -1, "voice"},
	{"TEL", -1, "cell"},
	{"TEL", -1, "fax"},
	{"EMAIL", -1, nullptr},
	{"EMAIL", -1, nullptr},
	{"URL", -1, nullptr},
	{"NOTE", -1, nullptr},
	{"NOTE", -1, nullptr},
	{"BDAY", -1, nullptr},
};

bool IsAsciiLetter(char c)
{
	return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool HasValueText(const VCardLine& line)
{
	return EqualsIgnoringCase(line.FirstValue("VALUE"), "text");
}

}  // namespace

vcard_version VCardProperties::VersionOf(std::string_view text)
{
	text = TrimSpace(text);
	if (text == "4.0")
		return vcard_version::k40;
	if (text == "2.1")
		return vcard_version::k21;
	return vcard_version::k30;
}

const char* VCardProperties::VersionText(vcard_version version)
{
	return version == vcard_version::k40 ? "4.0" : version == vcard_version::k21 ? "2.1" : "3.0";
}

vcard_value_type VCardProperties::TypeOf(std::string_view property)
{
	for (const property_type& known : kTypes) {
		if (property == known.name)
			return known.type;
	}
	return vcard_value_type::kText;
}

const vcard_field_place& VCardProperties::PlaceOf(int32 field)
{
	return kPlaces[field];
}

void VCardProperties::TypeParameter(std::string_view type, vcard_version version,
	std::string* out)
{
	out->assign(version == vcard_version::k21 ? "" : "TYPE=");
	out->append(version == vcard_version::k40 ? std::string(type) : UpperAscii(type));
}

// --- writing values

bool VCardProperties::LooksLikeUri(std::string_view text)
{
	const size_t colon = text.find(':');
	if (colon == std::string_view::npos || colon == 0 || !IsAsciiLetter(text[0]))
		return false;
	for (size_t i = 1; i < colon; i++) {
		const char c = text[i];
		if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
			return false;
	}
	return true;
}

void VCardProperties::ValueOf(int32 field, std::string_view text, vcard_version version,
	vcard_value* result)
{
	const vcard_field_place& place = kPlaces[field];
	result->valueParameter.clear();
	result->typeParameter.clear();
	result->value.clear();
	if (field == kBirthdayField) {
		_Birthday(text, version, result);
		return;
	}
	if (place.phoneType != nullptr) {
		// A 4.0 TEL may be a URI: text that reads as one is marked text.
		if (version == vcard_version::k40 && LooksLikeUri(text))
			result->valueParameter = "VALUE=text";
		TypeParameter(place.phoneType, version, &result->typeParameter);
	} else if (version == vcard_version::k21 && std::string_view(place.property) == "EMAIL") {
		result->typeParameter = "INTERNET";
	}
	VCardValue::AppendEscaped(text, TypeOf(place.property), &result->value);
}

// YYYY-MM-DD and --MM-DD become dates when the reader gives them back as they
// are; any other text stays text, marked so.
void VCardProperties::_Birthday(std::string_view text, vcard_version version, vcard_value* result)
{
	std::string_view parts[3];
	const bool isDate = BirthdayParts(text, parts);
	std::string date = isDate ? std::string(text) : std::string();
	if (isDate && version == vcard_version::k40)  // the basic form: 19900501, --0501
		date.erase(std::remove(date.begin() + 2, date.end(), '-'), date.end());
	if (!date.empty() && NormalizeBirthday(date) == text) {
		result->value = date;
		return;
	}
	if (version != vcard_version::k21)
		result->valueParameter = "VALUE=text";
	VCardValue::AppendEscaped(text, vcard_value_type::kText, &result->value);
}

// --- reading values

int32 VCardProperties::PhoneFieldOf(const VCardLine& line)
{
	if (line.HasType("fax"))
		return kFaxField;
	if (line.HasType("cell") || line.HasType("mobile") || line.HasType("iphone"))
		return kCellField;
	return kPhoneField;
}

std::string_view VCardProperties::UriScheme(const VCardLine& line, vcard_version version)
{
	const bool uri = EqualsIgnoringCase(line.FirstValue("VALUE"), "uri");
	if (line.Name() == "TEL" && (uri || (version == vcard_version::k40 && !HasValueText(line))))
		return "tel:";
	if (line.Name() == "EMAIL" && uri)
		return "mailto:";
	return std::string_view();
}

std::string VCardProperties::UriText(const VCardLine& line, std::string text, vcard_version version)
{
	const std::string_view scheme = UriScheme(line, version);
	if (!scheme.empty() && StartsWithIgnoringCase(text, scheme))
		text.erase(0, scheme.size());
	return text;
}

std::string VCardProperties::BirthdayText(const VCardLine& line, const std::string& text)
{
	const std::string unescaped = VCardValue::Unescape(text, vcard_value_type::kText);
	if (HasValueText(line))
		return unescaped;  // free text, as the writer marks a birthday it cannot date
	// Some address books store a birthday without a year under a stand-in year
	// that they name in a parameter.
	return NormalizeBirthday(unescaped, line.FirstValue("X-APPLE-OMIT-YEAR"));
}
