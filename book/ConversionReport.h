// What a conversion of contacts could not keep, and what it could not read:
// every value that did not fit a field, and every malformed card or row, each
// with the line it came from. cvab-convert prints it on standard error.
// Threading: no lock; one report belongs to one conversion in one thread.
#ifndef _CONVERSION_REPORT_H
#define _CONVERSION_REPORT_H

#include <SupportDefs.h>

#include <string>
#include <string_view>
#include <vector>

struct conversion_note {
	int32 line = 0;         // from 1; the line the value or the fault is on, 0 for none
	std::string item;       // the card or row, e.g. card 3 "Ann Lee"
	std::string property;   // the property or column, e.g. TEL;TYPE=work
	std::string text;       // what happened, in plain words
	bool malformed = false; // input that could not be read, not a lost value
};

class ConversionReport {
public:
	void AddLoss(int32 line, std::string_view item, std::string_view property,
		std::string_view text);
	void AddMalformed(int32 line, std::string_view item, std::string_view text);

	const std::vector<conversion_note>& Notes() const { return fNotes; }
	int32 CountLosses() const { return fLosses; }
	int32 CountMalformed() const { return static_cast<int32>(fNotes.size()) - fLosses; }
	bool IsEmpty() const { return fNotes.empty(); }

	// One line per note: "source:12: card 3 "Ann Lee": TEL: ..." .
	std::string Describe(std::string_view source) const;

private:
	std::vector<conversion_note> fNotes;
	int32 fLosses = 0;
};

// A value shown in a note: quoted, at most 60 bytes, line breaks as spaces.
std::string QuoteValue(std::string_view value);

#endif
