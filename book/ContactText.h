// Text helpers shared by the vCard and CSV readers and writers: UTF-8 checks,
// character set conversion, quoted-printable, trimming.
// Threading: pure functions; safe from any thread.
#ifndef _CONTACT_TEXT_H
#define _CONTACT_TEXT_H

#include <string>
#include <string_view>
#include <vector>

// Whether text is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUTF8(std::string_view text);

// Converts text in the named character set to UTF-8, through iconv. The sets
// exporters name loosely are read as the supersets they really wrote:
// Shift_JIS as CP932, GB2312 and GBK as GB18030, Big5 as Big5-HKSCS, ISO-8859-1
// and US-ASCII as Windows-1252. False for an unknown set or bytes that are not
// valid in it (out is then unspecified). With dropped, the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) are left out and counted there instead.
bool ConvertToUTF8(std::string_view charset, std::string_view text, std::string* out,
	size_t* dropped = nullptr);

// The Unicode form a whole file is written in, from its bytes: "UTF-8" after a
// UTF-8 byte order mark, "UTF-16LE" or "UTF-16BE" after a UTF-16 one or, with
// none, when every other byte of its start is NUL; "" for anything else.
// bomSize gets the length of the mark (0 without one).
std::string_view DetectUnicodeForm(std::string_view bytes, size_t* bomSize);

// For text that is not UTF-8, the legacy set it is most likely in: "CP932"
// when it reads cleanly as Shift_JIS and most of its two-byte characters are
// kana or common kanji, else "WINDOWS-1252" (what Western exporters wrote).
std::string_view GuessLegacyCharset(std::string_view text);

// Whether text that is not valid UTF-8 as a whole is still mostly UTF-8: it
// holds more well-formed multi-byte characters than stray bytes, so it is
// UTF-8 with a few values in another set (which alone are to be converted).
bool IsMostlyUTF8(std::string_view text);

// Decodes quoted-printable: =XX is a byte, '=' at the end of a line joins it
// to the next; a '=' followed by anything else is kept as it is.
std::string DecodeQuotedPrintable(std::string_view text);

// A birthday as the book keeps it: YYYY-MM-DD when the year is known,
// --MM-DD when it is not. Read from the forms exporters write: YYYYMMDD,
// YYYY-MM-DD (a time after it is dropped), --MMDD, --MM-DD, MM-DD, D.M.YYYY,
// and M/D/YYYY or D/M/YYYY where the numbers tell which is the month. A year
// of omittedYear (a vCard's X-APPLE-OMIT-YEAR), 1604 or below 1000 stands in
// for no year; a date of only zeros is no birthday (""). Any other text is
// kept as it is.
std::string NormalizeBirthday(std::string_view text, std::string_view omittedYear = {});

// A birthday in the book's date forms, YYYY-MM-DD or --MM-DD, as its year
// ("" without one), month and day; false for any other text.
bool BirthdayParts(std::string_view text, std::string_view parts[3]);

// A value as a record field keeps it: TABs and line breaks as spaces (they
// cannot be in a field), then trimmed.
std::string FlattenFieldText(std::string_view text);

// Without leading and trailing spaces, TABs, CRs and LFs.
std::string_view TrimSpace(std::string_view text);

// Appends item to out, after separator when out is not empty.
void AppendSeparated(std::string* out, std::string_view separator, std::string_view item);

#endif
