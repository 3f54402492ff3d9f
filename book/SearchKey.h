// The rule of the searches a person types (the Find window, the mail query): a
// text is found without regard to case in every script and to Unicode
// normalisation, so "müller" and "MÜLLER" find "Müller", and an "é" typed as
// e + U+0301 finds the precomposed one and the other way round.
//
// Both sides are compared in one folded form: canonical decomposition, full
// case folding, canonical composition (NFC of the folded NFD, through GLib).
// Compatibility forms stay distinct (save the ligatures "ﬀ" to "ﬆ", which case
// folding itself splits): a full-width "Ａ" or a superscript "²" is not "a" or
// "2", as the person typed them. Composed, "e" does not find "é", nor "하" find
// "한", as they would in decomposed forms.
// Case folding is the locale-free one: "ß" and "ẞ" fold to "ss"; "I" folds to
// "i" and "ı" (dotless) only to itself, and "İ" to "i̇" (i + U+0307), so
// "istanbul" does not find "İstanbul" while "İSTANBUL" does.
//
// A text that is all ASCII is folded byte by byte without allocating: there
// the rule is the one of AsciiText.h. Invalid UTF-8 in a text is never
// matched: it parts the text, and the key is looked for in the valid runs
// around it. A key that is not UTF-8 itself (a word from a terminal in another
// encoding) is looked for by its bytes, by the rule of AsciiText.h.
// Threading: immutable once made; const calls are safe from any thread.
#ifndef _SEARCH_KEY_H
#define _SEARCH_KEY_H

#include <string>
#include <string_view>

class SearchKey {
public:
	// text: what is searched for, whole (any cut to a length is the caller's,
	// on the text as typed: folding may lengthen it). It is folded here, once.
	explicit SearchKey(std::string_view text = std::string_view());

	// Whether text holds the key somewhere; an empty key is in every text.
	bool IsIn(std::string_view text) const;
	// Whether text is the key, whole.
	bool Is(std::string_view text) const;

	// For a caller that passes texts over before asking: an ASCII text holds
	// the key exactly where its bytes, ASCII letters folded, hold Folded(); so
	// does every text when ComparesBytes().
	const std::string& Folded() const { return fFolded; }
	bool ComparesBytes() const { return fComparesBytes; }

private:
	std::string fFolded;
	bool fComparesBytes = false;
};

#endif
