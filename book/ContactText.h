// Text helpers shared by the vCard and CSV readers and writers: UTF-8 checks,
// character set conversion, quoted-printable, trimming.
// Threading: pure functions; safe from any thread.
#ifndef _CONTACT_TEXT_H
#define _CONTACT_TEXT_H

#include <string>
#include <string_view>

// Whether text is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUTF8(std::string_view text);

// Converts text in the named character set to UTF-8. False for an unknown
// set or bytes that are not valid in it (out is then unspecified).
bool ConvertToUTF8(std::string_view charset, std::string_view text, std::string* out);

// Decodes quoted-printable: =XX is a byte, '=' at the end of a line joins it
// to the next; a '=' followed by anything else is kept as it is.
std::string DecodeQuotedPrintable(std::string_view text);

// Without leading and trailing spaces, TABs, CRs and LFs.
std::string_view TrimSpace(std::string_view text);

// Appends item to out, after separator when out is not empty.
void AppendSeparated(std::string* out, std::string_view separator, std::string_view item);

#endif
