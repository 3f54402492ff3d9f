// Writes address records as CSV: a header row, then one row per record;
// values quoted where they must be, lines ended by CR LF. The header is the
// 21 field names, or a style's: the columns of a mail client's own export
// (ContactFieldMap.h), which the reader maps back. A field such a style has
// no column for goes into its notes as a labelled line ("Nickname: bo"),
// which the reader takes back into the field.
// Threading: no lock; the book must be one no window owns, or be locked.
#ifndef _CSV_WRITER_H
#define _CSV_WRITER_H

#include "ABookRecord.h"
#include "ContactFieldMap.h"

#include <string>

class CsvWriter {
public:
	static void AppendHeader(std::string* out, const csv_style* style = nullptr);
	// Returns the fields of the record that went into the notes as labelled
	// lines, as a bit per field number.
	static uint32 AppendRow(const ABookRecord* record, std::string* out,
		const csv_style* style = nullptr);
};

#endif
