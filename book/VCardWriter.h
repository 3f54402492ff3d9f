// Writes address records as vCard 4.0: one card per record with FN, N,
// NICKNAME, ORG, TITLE, ADR (both address lines in its street), TEL typed
// voice, cell and fax, EMAIL, URL, NOTE (both comment fields) and BDAY; lines
// end in CR LF and are folded at 75 bytes without splitting a character.
// Threading: no lock; the book must be one no window owns, or be locked.
#ifndef _VCARD_WRITER_H
#define _VCARD_WRITER_H

#include "ABookRecord.h"

#include <string>

class VCardWriter {
public:
	// Appends the card of record to out.
	static void AppendCard(const ABookRecord* record, std::string* out);
};

#endif
