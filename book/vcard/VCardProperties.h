// The one table of the vCard properties the book reads and writes: each
// property's type of value, which field (and which component of a structured
// value) it holds, and the rules that differ between versions: the spelling
// of TYPE parameters, dates in basic (4.0) or extended (3.0) form, and a
// telephone number's text marked VALUE=text in 4.0 where it could be taken
// for a URI. vCard 2.1 is read, and written where a 2.1 card is patched.
// Threading: constants and pure functions; safe from any thread.
#ifndef _VCARD_PROPERTIES_H
#define _VCARD_PROPERTIES_H

#include "VCardLine.h"
#include "VCardValue.h"

#include <BookFields.h>

#include <string>
#include <string_view>
#include <vector>

enum class vcard_version { k21, k30, k40 };

// Where a field lives in a card.
struct vcard_field_place {
	const char* property;
	int32 component;        // of a structured value (N, ORG, ADR), else -1
	const char* phoneType;  // a TEL's type, else nullptr
};

// A value to write: its parameters (raw, each "" when not needed) and its
// escaped value.
struct vcard_value {
	std::string valueParameter;  // "VALUE=text"
	std::string typeParameter;   // "TYPE=cell", 2.1's "INTERNET"
	std::string value;
};

class VCardProperties {
public:
	// "2.1", "3.0", "4.0"; anything else is taken for 3.0, the lenient middle.
	static vcard_version VersionOf(std::string_view text);
	static const char* VersionText(vcard_version version);

	// The type of a property's value; kText for any the table does not know.
	static vcard_value_type TypeOf(std::string_view property);
	static const vcard_field_place& PlaceOf(int32 field);

	// A TYPE parameter as the version spells it: "TYPE=cell" in 4.0,
	// "TYPE=CELL" in 3.0, "CELL" in 2.1.
	static void TypeParameter(std::string_view type, vcard_version version, std::string* out);

	// A field's text as the value of its own property (TITLE, TEL, EMAIL,
	// URL, BDAY): escaped for its type, with the parameters it needs.
	// result's strings are assigned, so one kept from call to call is reused.
	static void ValueOf(int32 field, std::string_view text, vcard_version version,
		vcard_value* result);

	// Whether a reader could take text for a URI: a scheme and a colon first.
	static bool LooksLikeUri(std::string_view text);

	// Reading: the field a TEL fills by its types; the scheme of the URI a
	// TEL or EMAIL line holds ("tel:" where marked VALUE=uri, or in a 4.0
	// TEL not marked text; "mailto:" where marked VALUE=uri), "" for text;
	// a value's text without that scheme; a birthday as the book keeps it.
	static int32 PhoneFieldOf(const VCardLine& line);
	static std::string_view UriScheme(const VCardLine& line, vcard_version version);
	static std::string UriText(const VCardLine& line, std::string text, vcard_version version);
	static std::string BirthdayText(const VCardLine& line, const std::string& text);

private:
	static void _Birthday(std::string_view text, vcard_version version, vcard_value* result);
};

#endif
