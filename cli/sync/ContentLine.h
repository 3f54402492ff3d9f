// One vCard content line taken apart so that its value can be rewritten while
// its group, name and parameters stay as they were written: "item1.TEL;TYPE=
// cell:+1 555" is the head "item1.TEL;TYPE=cell" and the raw value "+1 555".
// Also the value rules the card patcher writes by: escaping, joining parts,
// folding at 75 bytes (ContactText.h has the reader's splitting and
// unescaping).
// Threading: a value; pure functions.
#ifndef _CONTENT_LINE_H
#define _CONTENT_LINE_H

#include <ContactText.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ContentLine {
public:
	// A logical (unfolded) line; nothing when it has no ':' after its name,
	// which is how the card reader tells a content line.
	static std::optional<ContentLine> Parse(std::string_view text);
	// A new line of name, raw parameters and raw value.
	ContentLine(std::string name, std::vector<std::string> parameters, std::string value);

	// In upper case, without its group.
	const std::string& Name() const { return fName; }
	const std::string& Value() const { return fValue; }
	void SetValue(std::string value) { fValue = std::move(value); }

	// Whether a parameter of that name (upper case; a bare one such as
	// 2.1's "CELL" counts as TYPE) is present.
	bool HasParameter(std::string_view name) const;
	void RemoveParameter(std::string_view name);
	void AddParameter(std::string raw);

	// Makes the raw value UTF-8 text as the reader decodes it: quoted-
	// printable and a named character set are decoded and their parameters
	// dropped; bytes that are not UTF-8 are read as Windows-1252. False for a
	// binary value, which is never rewritten.
	bool DecodeValue();

	// The logical line as it is now: the old head unchanged when no parameter
	// was added or dropped.
	std::string Text() const;

private:
	ContentLine() = default;
	void _DropQuotedPrintableMarks();

	std::string fPrefix;  // group and name as written
	std::string fName;
	std::vector<std::string> fParameters;  // raw, as written
	std::string fValue;
	std::string fHead;  // as read, for a line whose parameters are untouched
	bool fHeadChanged = true;
};

// Escapes a text for a value: backslash, comma, semicolon and line breaks.
std::string EscapeValue(std::string_view text);
std::string JoinValue(const std::vector<std::string>& parts, char sep);
// The line folded at 75 bytes (never inside a UTF-8 character, nor before
// its colon), each piece ended by lineBreak and continued after a space.
std::string FoldLine(std::string_view line, std::string_view lineBreak);

#endif
