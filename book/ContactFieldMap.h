// Which record field a CSV column fills, by its header: the address book's own
// field names, the header names of common contact exports in English, German,
// French, Spanish, Italian, Dutch and Portuguese (compared after folding case
// and accents, so that "STRASSE geschaftlich" and a header whose accented
// letters were lost to U+FFFD still match), and mappings the user adds
// ("Header=Field", or "3=Field" for the third column). It is also the one
// home of the CSV styles the writer can write: the columns of three programs'
// own exports, whose headers are read back by the same table.
// Threading: no lock; build it, then read it from any thread.
#ifndef _CONTACT_FIELD_MAP_H
#define _CONTACT_FIELD_MAP_H

#include <SupportDefs.h>

#include <map>
#include <string>
#include <string_view>

enum class column_kind {
	kUnknown,   // no field: every value in it is reported
	kIgnore,    // repeats other columns (a formatted address, a type label)
	kField,     // fills one field
	kPhone,     // a telephone number whose type is in a neighbouring column
	kEmail,     // the first free e-mail field
	kNote,      // the two comment fields
	kFullName,  // a display name, split when the name fields are empty
	kBirthday,  // a date in any form NormalizeBirthday reads
	kBirthYear, // a birthday in three columns
	kBirthMonth,
	kBirthDay,
};

struct column_rule {
	column_kind kind = column_kind::kUnknown;
	int32 field = -1;  // for kField
};

// What a column of a CSV style (a mail client's own export) holds when the
// writer writes it; read back, each is read by the rule its header has.
enum class csv_cell {
	kField,       // the field's text
	kLabel,       // label, where the field has text (a telephone's type)
	kNames,       // the names joined ("First Middle Last"), where there are any
	kNotes,       // both comment fields and a labelled line ("Nickname: bo")
	              // for each field the style has no column for
	kBirthYear,   // a birthday that is a date, in three columns
	kBirthMonth,
	kBirthDay,
};

struct csv_style_column {
	const char* header;  // as the exporter writes it
	csv_cell cell;
	int32 field = -1;
	const char* label = nullptr;
};

struct csv_style {
	const char* name;      // as --csv-style names it
	const char* exporter;  // whose export it is, for help texts
	const csv_style_column* columns;
	size_t count;
};

class ContactFieldMap {
public:
	ContactFieldMap();

	// Adds or replaces a mapping "Header=Field", where Field is a field name
	// such as "Email 1" (any case), a field number 0 to 20, or nothing to leave
	// the column out without a report. A Header of digits only names a column
	// by its number from 1: "3=Email 1" reads the third column into Email 1,
	// whatever its header, and is how a file without a header row is read.
	// False, with a message, for a bad mapping.
	bool AddMapping(std::string_view mapping, std::string* error);

	// The rule for a header; case, accents and surrounding spaces do not
	// matter, and a header such as "Phone 3 - Value" matches "Phone # - Value".
	column_rule RuleFor(std::string_view header) const;
	// The rule the user gave for a column by its number (from 1); kUnknown
	// when none.
	column_rule RuleForColumn(int32 column) const;

	// The field of a field name or number, or -1.
	static int32 FieldByName(std::string_view name);

	// The CSV styles, whose headers are also read by their rules; nullptr
	// for a name that is none.
	static const csv_style* StyleNamed(std::string_view name);
	static const csv_style* Styles(size_t* count);
	// Whether a style has a column of its own for a field (a comment field
	// has one in its notes; a birthday in its parts only when it is a date).
	static bool StyleHasColumn(const csv_style& style, int32 field);

private:
	std::map<std::string, column_rule> fUser;
	std::map<int32, column_rule> fColumns;
};

// The header of the column that holds the type of a kPhone column's numbers:
// "Phone 1 - Value" gives "Phone 1 - Type" and "Phone 1 - Label".
std::string PhoneTypeHeader(std::string_view valueHeader, std::string_view suffix);

#endif
