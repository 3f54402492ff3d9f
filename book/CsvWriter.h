// Writes address records as CSV: a header row of the 21 field names, then one
// row per record; values quoted where they must be, lines ended by CR LF.
// Threading: no lock; the book must be one no window owns, or be locked.
#ifndef _CSV_WRITER_H
#define _CSV_WRITER_H

#include "ABookRecord.h"

#include <string>

class CsvWriter {
public:
	static void AppendHeader(std::string* out);
	static void AppendRow(const ABookRecord* record, std::string* out);
};

#endif
