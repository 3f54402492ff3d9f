// One vCard content line taken apart: "item1.TEL;TYPE=cell:+1 555" is the
// group and name "item1.TEL" (named TEL), the parameter TYPE with its values
// and the raw value "+1 555". Parameters are read as real exports write
// them: quotes dropped, a bare one (2.1's "CELL") taken for a TYPE, blank
// ones skipped. The line can be rewritten: its value replaced, parameters
// added or dropped, and written again with the head as it was read when no
// parameter changed.
// Threading: a value.
#ifndef _VCARD_LINE_H
#define _VCARD_LINE_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct vcard_parameter {
	std::string name;  // upper case
	std::vector<std::string> values;
};

class VCardLine {
public:
	// A logical (unfolded) line; nothing when it has no ':' after its name.
	static std::optional<VCardLine> Parse(std::string_view text);
	// A new line of name, raw parameters ("TYPE=cell") and raw value.
	VCardLine(std::string name, std::vector<std::string> parameters, std::string value);

	// In upper case, without its group.
	const std::string& Name() const { return fName; }
	const std::string& Value() const { return fValue; }
	void SetValue(std::string value) { fValue = std::move(value); }
	// The head as read for notes: its text before the value, cut to 60 bytes.
	std::string_view Label() const;

	const std::vector<vcard_parameter>& Parameters() const { return fParameters; }
	// The first parameter of that name (upper case), or none.
	const vcard_parameter* Parameter(std::string_view name) const;
	// Its first value, trimmed; "" without one.
	std::string_view FirstValue(std::string_view name) const;
	// Whether some TYPE names type, in any case.
	bool HasType(std::string_view type) const;

	void RemoveParameter(std::string_view name);
	void AddParameter(std::string raw);
	// Drops every parameter, and a group, that so much as mentions
	// quoted-printable: the lexer joins lines after such a head.
	void DropQuotedPrintableMarks();

	// The logical line as it is now.
	std::string Text() const;

private:
	VCardLine() = default;
	void _SplitHead();

	std::string fPrefix;  // group and name as written
	std::string fName;
	std::vector<vcard_parameter> fParameters;
	std::vector<std::string> fRawParameters;  // as written, once an edit needs them
	std::string fValue;
	std::string fHead;  // as read, while no parameter changed
	bool fHeadChanged = true;
};

#endif
