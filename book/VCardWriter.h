// Writes address records as vCard 4.0 or 3.0: one card per record with FN
// (never empty: DisplayName.h), N (even empty, so that no reader splits FN
// into names), NICKNAME, ORG, TITLE, ADR (both address lines in its street),
// TEL typed voice, cell and fax, EMAIL, URL, NOTE (both comment fields) and
// BDAY, each field's value as the property table (vcard/VCardProperties.h)
// says; lines end in CR LF and are folded at 75 bytes without splitting a
// character. What the reader reads of a card written here is the record.
// Threading: no lock; the book must be one no window owns, or be locked.
#ifndef _VCARD_WRITER_H
#define _VCARD_WRITER_H

#include "ABookRecord.h"
#include "vcard/VCardProperties.h"

#include <string>
#include <string_view>

// What a card carries beside the record's fields: its UID (after VERSION)
// and its REV (before END), each left out when empty.
struct vcard_extras {
	std::string_view uid;
	std::string_view rev;
};

class VCardWriter {
public:
	// Appends the card of record to out.
	static void AppendCard(const ABookRecord* record, std::string* out,
		vcard_version version = vcard_version::k40);
	// The same from a record's 21 field texts, in UTF-8.
	static void AppendCard(const std::string_view* fields, vcard_version version,
		const vcard_extras& extras, std::string* out);
};

#endif
