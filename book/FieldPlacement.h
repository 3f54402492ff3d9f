// Places what a card or row gives into the fields a record already uses, so
// that reading back what was written from a record gives the record: the
// reader puts a lone second e-mail address, address line or comment into the
// first of its pair and trims spaces, which is right for a new contact but
// would move or change values of a record nobody edited. Within each pair
// (the e-mail addresses, the address lines, the comment fields) the values
// read go, in their order, to the fields the record uses, then to the free
// ones; a value that is the record's text less the spaces and line breaks a
// field's reading drops is the record's text.
// Threading: pure functions; safe from any thread.
#ifndef _FIELD_PLACEMENT_H
#define _FIELD_PLACEMENT_H

#include "BookFields.h"

#include <array>
#include <string>

using record_texts = std::array<std::string, kBookFieldCount>;

class FieldPlacement {
public:
	// read placed as record's fields are.
	static record_texts Follow(const record_texts& read, const record_texts& record);
};

#endif
