// The one lexer of vCard text: physical lines unfolded into logical lines,
// each remembering the bytes it came from, so that a reader can read them and
// a patcher can rewrite one and copy every other byte as it was. Lenient as
// real exports need: a continuation with nothing before it and '#' comment
// lines are kept as lines of their own kind; blank lines are skipped; in a
// line whose head mentions quoted-printable, a soft break ('=' at the end)
// joins the next line, and a next line without a ':' is more of the value
// (a raw line break phones write into addresses). Lines are given one at a
// time, so a large file is never held twice.
// Threading: one thread at a time.
#ifndef _VCARD_LEXER_H
#define _VCARD_LEXER_H

#include <SupportDefs.h>

#include <string>
#include <string_view>
#include <vector>

enum class vcard_line_kind {
	kContent,
	kOrphan,   // a continuation with nothing before it
	kComment,  // '#' and anything after it: some phones write such lines
};

struct lexed_line {
	size_t begin = 0;  // the first byte of its first physical line
	size_t end = 0;    // past the line break of its last physical line
	int32 number = 0;  // its first physical line, from 1
	vcard_line_kind kind = vcard_line_kind::kContent;
	std::string text;  // unfolded
	bool quotedPrintable = false;  // its head mentions quoted-printable
	bool colonFirst = false;       // its first physical line has a ':'
};

class VCardLexer {
public:
	// text is UTF-8 (a byte order mark already skipped); it must outlive the
	// lexer.
	explicit VCardLexer(std::string_view text);

	// The next logical line into line (whose buffers are reused); false at
	// the end of the text.
	bool Next(lexed_line* line);
	// All the lines from here to the end.
	std::vector<lexed_line> Rest();

	// The text's own line break: CR LF, or LF when its first line ends so.
	std::string_view LineBreak() const { return fLineBreak; }
	// Once Next has given every line: the text ends in a quoted-printable
	// soft break, so a line after it would be joined to its last line.
	bool EndsJoining() const { return fJoinNext; }

	// The lexer's test of a line for quoted-printable, on its text up to the
	// first ':': a line that passes takes in a next line without a ':'.
	static bool LooksQuotedPrintable(std::string_view text);

private:
	void _Take(std::string_view line, size_t begin, size_t next);
	void _Start(vcard_line_kind kind, std::string_view line, size_t begin, size_t next);

	const std::string_view fText;
	size_t fOffset = 0;
	int32 fNumber = 0;
	lexed_line fPending;  // the line being lexed
	bool fHasPending = false;
	lexed_line* fOut = nullptr;  // where a finished line goes
	bool fReady = false;
	std::string_view fLineBreak = "\r\n";
	bool fJoinNext = false;
};

#endif
