// Opening a vCard or CSV file as contacts, for callers that are not
// cvab-convert but want what it does: what kind of contact file some bytes
// are, reading them into a book with the same readers, and a short summary
// of what was lost for an alert.
// Threading: static functions without shared state; the book as the readers
// require (one no window owns, or locked).
#ifndef _CONTACT_IMPORT_H
#define _CONTACT_IMPORT_H

#include "CVABook.h"
#include "ContactFieldMap.h"
#include "ConversionReport.h"

#include <string>
#include <string_view>

enum class contact_file_kind { kNone, kVCard, kCsv };

class ContactImport {
public:
	// What a file is, from its name and bytes: a vCard when its first card
	// line is BEGIN:VCARD (any case, a group prefix allowed), after a byte
	// order mark, blank lines or junk lines, in UTF-8 or UTF-16 with or
	// without a mark; a CSV export when the name ends in .csv and the first
	// row holds at least two known header names, separated by commas,
	// semicolons or TABs; kNone otherwise.
	static contact_file_kind Detect(std::string_view name, std::string_view bytes);

	struct options {
		std::string encoding;                // the input's character set; "" to guess
		char separator = 0;                  // CSV: ',', ';' or '\t'; 0 to guess
		const ContactFieldMap* map = nullptr;  // CSV: the user's mappings; null for none
	};

	// Reads a vCard or CSV file's bytes into book, noting in report what did
	// not fit or could not be read; returns how many contacts were added.
	static int32 Read(contact_file_kind kind, std::string_view bytes, CVABook* book,
		ConversionReport* report, const options& how);
	static int32 Read(contact_file_kind kind, std::string_view bytes, CVABook* book,
		ConversionReport* report)
	{
		return Read(kind, bytes, book, report, options());
	}

	// A few lines for an alert: "12 contacts read; 3 values did not fit:"
	// then the first shown notes, one a line, and "(and 5 more)" for the rest.
	static std::string Summary(int32 read, const ConversionReport& report, size_t shown = 3);
};

#endif
