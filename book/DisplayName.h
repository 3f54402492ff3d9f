// The name a record goes by where one name must stand for it (a card's FN,
// the name column of the mail query): its first, middle and last name; or,
// without them, the first of its company, nickname, e-mail addresses,
// telephone numbers and web address that has text; or any other field's text.
// "" only for a record with no text at all.
// Threading: pure functions; safe from any thread.
#ifndef _DISPLAY_NAME_H
#define _DISPLAY_NAME_H

#include "BookFields.h"

#include <string>
#include <string_view>

// fields[0 .. count) are the record's first fields in field order; those
// past count are taken for empty.
std::string DisplayName(const std::string_view* fields, int32 count);
std::string DisplayName(const std::string* fields, int32 count);


#endif
