// The two texts made from one record: the record text (each of the 21 fields
// followed by a TAB) and the six-line postal address block.
// Threading: pure functions; the record is guarded by its document's rule.
#ifndef _BOOK_TEXT_H
#define _BOOK_TEXT_H

#include "ABookRecord.h"

// Both write the text and its terminator into buffer and return the text's
// length. A buffer of kBookTextBufferSize always holds the whole text; a smaller
// one gets as much as fits.
size_t BuildRecordText(const ABookRecord* record, char* buffer,
	size_t bufferSize = kBookTextBufferSize);
size_t BuildAddressBlock(const ABookRecord* record, char* buffer,
	size_t bufferSize = kBookTextBufferSize);

#endif
