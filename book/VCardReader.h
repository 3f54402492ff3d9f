// Reads vCard 2.1, 3.0 and 4.0 text (one or many cards) into address records:
// folded lines, quoted-printable and charset parameters, grouped properties,
// N, FN, NICKNAME, ORG, TITLE, ADR, TEL with its types, EMAIL, URL, NOTE and
// BDAY with or without a year. Whatever a record cannot hold is reported; a
// card that cannot be read whole is reported with its line and left out.
// Threading: no lock; the book must be one no window owns, or be locked.
#ifndef _VCARD_READER_H
#define _VCARD_READER_H

#include "CVABook.h"
#include "ConversionReport.h"

#include <string_view>

class VCardReader {
public:
	explicit VCardReader(ConversionReport* report);

	// Appends one record per whole card to book, raising its count for each;
	// returns how many. A card none of whose values has a field makes no record.
	int32 Read(std::string_view data, CVABook* book);

private:
	ConversionReport* const fReport;
};

#endif
