// Reads contacts from CSV with a header row: comma, semicolon or TAB
// separated (told from the header), quoted values over several lines, UTF-8
// or UTF-16 with a byte-order mark. The header names choose the fields through
// a ContactFieldMap. Whatever a record cannot hold is reported; a row that
// cannot be read whole is reported with its line and left out.
// Threading: no lock; the book must be one no window owns, or be locked.
#ifndef _CSV_READER_H
#define _CSV_READER_H

#include "CVABook.h"
#include "ContactFieldMap.h"
#include "ConversionReport.h"

#include <string_view>

class CsvReader {
public:
	CsvReader(const ContactFieldMap& map, ConversionReport* report);

	// Appends one record per whole row after the header to book, raising its
	// count for each; returns how many. A row none of whose values has a field
	// makes no record.
	int32 Read(std::string_view data, CVABook* book);

private:
	const ContactFieldMap& fMap;
	ConversionReport* const fReport;
};

#endif
