// vCard values: how the raw value of a content line becomes text (quoted-
// printable, a named character set, the user's set, Windows-1252 for what is
// not UTF-8), and how text is escaped into a value and read out of one for
// each type of value. Text is escaped the same in every version: backslash,
// comma, semicolon and line breaks. A URI is escaped the same way too: a
// vCard 4.0 URI has no escapes, but the common readers (and the servers
// built on them) read every value as text and cut a URI at a bare comma;
// read back, only "\\", "\,", "\;" and "\:" (a webmail's "http\:") are
// resolved, so a URI from a writer that does not escape keeps its bytes.
// Threading: pure functions; safe from any thread.
#ifndef _VCARD_VALUE_H
#define _VCARD_VALUE_H

#include "VCardLine.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class vcard_value_type {
	kText,        // one text
	kTextList,    // texts split at ','
	kStructured,  // components split at ';', each a list split at ','
	kUri,
	kDate,        // not escaped
};

// How values are read: the user's character set for those that name none,
// and whether the file was Unicode as a whole (UTF-16), which no CHARSET
// overrides.
struct vcard_value_rules {
	std::string encoding;
	bool unicodeFile = false;
};

// The value as UTF-8 text, or why it cannot be read. Binary values come back
// as nullopt in text with no error.
struct decoded_value {
	std::optional<std::string> text;
	std::string error;
	std::string warning;  // read by a guess
	size_t binarySize = 0;
};

class VCardValue {
public:
	static decoded_value Decode(const VCardLine& line, const vcard_value_rules& rules);
	// Decodes a line's value in place into escaped UTF-8 for rewriting it:
	// its ENCODING and CHARSET go, decoded line breaks are escaped. False
	// for a value that cannot be read (binary, not text).
	static bool DecodeInPlace(VCardLine* line, bool unicodeFile);

	static std::string Escape(std::string_view text, vcard_value_type type);
	static void AppendEscaped(std::string_view text, vcard_value_type type, std::string* out);
	static std::string Unescape(std::string_view raw, vcard_value_type type);
	// The parts of raw split at each sep no backslash escapes, escapes kept
	// (for a split one level down).
	static std::vector<std::string> Split(std::string_view raw, char sep);
	// Split, each part unescaped as text.
	static std::vector<std::string> SplitText(std::string_view raw, char sep);
	static std::string Join(const std::vector<std::string>& parts, char sep);

	// The line folded at 75 bytes (never inside a UTF-8 character, nor before
	// its colon), each piece ended by lineBreak and continued after a space.
	static void AppendFolded(std::string_view line, std::string_view lineBreak, std::string* out);
};

#endif
