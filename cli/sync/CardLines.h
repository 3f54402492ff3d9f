// A card's text as logical lines that remember where their bytes are, so a
// patch can rewrite one property and copy every other byte as it was. The
// lines are unfolded, and the first card's lines counted, exactly as
// VCardReader does, so that the line index ReadCard gives for a field is the
// line found here.
// Threading: a value, built once and then read.
#ifndef _CARD_LINES_H
#define _CARD_LINES_H

#include <SupportDefs.h>

#include <string>
#include <string_view>
#include <vector>

enum class card_line_kind { kContent, kOrphan, kComment };

struct card_line {
	size_t begin = 0;  // the first byte of its first physical line
	size_t end = 0;    // past the line break of its last physical line
	card_line_kind kind = card_line_kind::kContent;
	std::string text;  // unfolded
	bool quotedPrintable = false;
	bool colonFirst = false;  // its first physical line has a ':'
	int32 depth = 0;   // in the first card: 1 for its own lines, more inside a nested card
};

class CardLines {
public:
	// text must outlive the object; it is UTF-8 (a byte order mark already
	// skipped by the caller).
	explicit CardLines(std::string_view text);

	const std::vector<card_line>& Lines() const { return fLines; }
	// The lines of the first card in the reader's count: FirstCard()[i] is
	// the position in Lines() of the line ReadCard calls index i.
	const std::vector<size_t>& FirstCard() const { return fFirstCard; }
	// The position in Lines() before which new properties of the first card
	// go: its END:VCARD line, or, in a card without one, the line after its
	// last own line (a nested card left open would take them in otherwise);
	// Lines().size() for the end of the text.
	size_t InsertionPoint() const { return fInsertionPoint; }
	// The card's own line break: CR LF, or LF when its first line ends so.
	std::string_view LineBreak() const { return fLineBreak; }

private:
	void _Unfold(std::string_view text);
	void _Take(std::string_view line, size_t begin, size_t next);
	void _CountFirstCard();

	std::vector<card_line> fLines;
	std::vector<size_t> fFirstCard;
	size_t fInsertionPoint = 0;
	std::string_view fLineBreak = "\r\n";
	bool fJoinNext = false;
};

// The reader's test of a line for quoted-printable, on its text up to the
// first ':': a line that passes takes in a next line without a ':'.
bool LooksQuotedPrintable(std::string_view text);

#endif
