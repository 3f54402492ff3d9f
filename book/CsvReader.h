// Reads contacts from CSV: comma, semicolon or TAB separated (told from the
// first row, or given), quoted values over several lines, in UTF-8, UTF-16
// (with or without a byte-order mark), or a legacy set: given, or guessed as
// Shift_JIS (CP932) or Windows-1252 with a warning; a UTF-8 file with a few
// values in Windows-1252 has those values converted, each with a warning.
// The header names choose the fields through a ContactFieldMap, in the
// languages it knows; a file whose first row holds no known header name has
// no header row and is read by the map's column numbers ("3=Email 1") or by
// content, where every value of a column is an e-mail address or a telephone
// number. A value holding a TAB or line break keeps its first line (notes keep
// all), the rest reported. Whatever a record cannot hold is reported; a row
// that cannot be read (unbalanced quotes, a NUL) is reported and left out.
// Threading: no lock; the book must be one no window owns, or be locked.
#ifndef _CSV_READER_H
#define _CSV_READER_H

#include "CVABook.h"
#include "ContactFieldMap.h"
#include "ConversionReport.h"

#include <string>
#include <string_view>

class CsvReader {
public:
	CsvReader(const ContactFieldMap& map, ConversionReport* report);

	// The file's character set (a user's --encoding), instead of a guess.
	void SetEncoding(std::string_view charset) { fEncoding = charset; }
	// The separator (',', ';' or '\t'), instead of the first row's.
	void SetSeparator(char separator) { fSeparator = separator; }

	// Appends one record per data row to book, raising its count for each;
	// returns how many. A row none of whose values has a field makes no record.
	int32 Read(std::string_view data, CVABook* book);

	// The separator a first row uses most outside quotes: ',', ';' or '\t';
	// a comma on a tie.
	static char GuessSeparator(std::string_view data);

private:
	bool _Decode(std::string_view data, std::string* text, bool* mixed) const;

	const ContactFieldMap& fMap;
	ConversionReport* const fReport;
	std::string fEncoding;
	char fSeparator = 0;
};

#endif
