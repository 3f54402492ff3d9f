// What a conversion of contacts could not keep, what it could not read and
// what it had to assume: every value that did not fit a field, every line,
// property, card or row that could not be read, and every guess (a character
// set, a missing END:VCARD), each with the line it came from. cvab-convert
// prints it on standard error.
// Threading: no lock; one report belongs to one conversion in one thread.
#ifndef _CONVERSION_REPORT_H
#define _CONVERSION_REPORT_H

#include <SupportDefs.h>

#include <string>
#include <string_view>
#include <vector>

enum class note_kind {
	kLoss,       // a value that was read but not kept (no field, cut)
	kMalformed,  // input that could not be read: a line, a property, a card or row
	kWarning,    // read, but by a guess the user should know of
};

struct conversion_note {
	int32 line = 0;         // from 1; the line the value or the fault is on, 0 for none
	std::string item;       // the card or row, e.g. card 3 "Ann Lee"
	std::string property;   // the property or column, e.g. TEL;TYPE=work
	std::string text;       // what happened, in plain words
	note_kind kind = note_kind::kLoss;
};

class ConversionReport {
public:
	void Add(note_kind kind, int32 line, std::string_view item, std::string_view property,
		std::string_view text);
	void AddLoss(int32 line, std::string_view item, std::string_view property,
		std::string_view text)
	{
		Add(note_kind::kLoss, line, item, property, text);
	}
	void AddMalformed(int32 line, std::string_view item, std::string_view text)
	{
		Add(note_kind::kMalformed, line, item, "", text);
	}
	void AddWarning(int32 line, std::string_view item, std::string_view text)
	{
		Add(note_kind::kWarning, line, item, "", text);
	}

	const std::vector<conversion_note>& Notes() const { return fNotes; }
	int32 CountLosses() const { return fCounts[0]; }
	int32 CountMalformed() const { return fCounts[1]; }
	int32 CountWarnings() const { return fCounts[2]; }
	bool IsEmpty() const { return fNotes.empty(); }

	// One line per note: "source:12: card 3 "Ann Lee": TEL: ..." .
	std::string Describe(std::string_view source) const;
	// The same line for one note.
	static std::string DescribeNote(std::string_view source, const conversion_note& note);

private:
	std::vector<conversion_note> fNotes;
	int32 fCounts[3] = {0, 0, 0};
};

// A value shown in a note: quoted, at most 60 bytes, line breaks as spaces.
std::string QuoteValue(std::string_view value);

#endif
