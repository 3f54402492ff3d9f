// Reads vCard 2.1, 3.0 and 4.0 text (one or many cards) into address records:
// folded lines, quoted-printable and charset parameters, grouped properties,
// N, FN, NICKNAME, ORG, TITLE, ADR, TEL with its types, EMAIL, URL, NOTE and
// BDAY with or without a year. Whatever a record cannot hold is reported.
// Lenient with what real exporters write: a property that cannot be read is
// reported and dropped while its card keeps everything else; a card without
// END:VCARD (or BEGIN:VCARD) is kept with a warning; a card inside a card is
// read as a card of its own; '#' comment lines are skipped; a raw line break
// inside a quoted-printable value joins the next line to it; legacy CHARSET
// values are converted, and a value that is not UTF-8 and names no set is
// read as Windows-1252 with a warning; a whole file in UTF-16 is recognised.
// Only a card with nothing readable at all is left out. Lines, values and
// properties are read by vcard/ (VCardLexer, VCardValue, VCardProperties),
// which the writer and cvab-sync's card patcher share.
// Threading: no lock; the book must be one no window owns, or be locked.
#ifndef _VCARD_READER_H
#define _VCARD_READER_H

#include "CVABook.h"
#include "ConversionReport.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

class VCardReader {
public:
	explicit VCardReader(ConversionReport* report);

	// The character set of the values that name none (a user's --encoding);
	// without one they are UTF-8 or, where they are not, Windows-1252.
	void SetEncoding(std::string_view charset) { fEncoding = charset; }

	// Appends one record per card to book, raising its count for each; returns
	// how many. A card none of whose values has a field makes no record.
	int32 Read(std::string_view data, CVABook* book);

	// Where a field's text came from: the property's name in upper case without
	// group or parameters ("TEL"), and the index of its line in the card: the
	// card's lines after unfolding (a quoted-printable value with its raw line
	// breaks is one line; blank lines do not count), BEGIN:VCARD being 0 (in a
	// card that lacks it, its first line).
	struct field_source {
		std::string property;  // empty for a field without text
		int32 index = -1;
	};
	// One of the card's lines in that count: where the lexer (VCardLexer.h)
	// has it, and how deep it is: 1 for the card's own lines, more inside a
	// card nested in it.
	struct counted_line {
		size_t position = 0;
		int32 depth = 1;
	};
	struct card {
		std::array<std::string, kBookFieldCount> fields;  // as a record holds them
		std::array<field_source, kBookFieldCount> sources;
		std::string uid;
		std::string version;
		std::vector<counted_line> lines;  // by index
		// The lexer's position before which new properties go: the card's
		// END:VCARD line, or, in a card without one, after its own last line
		// (a nested card left open would take them in otherwise).
		size_t insertionPoint = 0;
		bool unicodeFile = false;  // the whole file was UTF-16
	};

	// Reads the first card of data (a vCard folder's file holds one) the way
	// Read makes its record, noting what it loses in the report. False when
	// data holds no card, or none of its values has a field.
	bool ReadCard(std::string_view data, card* result);

private:
	ConversionReport* const fReport;
	std::string fEncoding;
};

#endif
