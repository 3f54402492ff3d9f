#include "ContactText.h"

#include "AsciiText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iconv.h>

namespace {

bool IsContinuation(unsigned char c)
{
	return (c & 0xC0) == 0x80;
}

int HexValue(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	return -1;
}

// The length of the well-formed UTF-8 character at bytes[i], 0 when there is none.
size_t CharacterLength(const unsigned char* bytes, size_t size, size_t i)
{
	const unsigned char lead = bytes[i];
	if (lead < 0x80)
		return 1;
	size_t length;
	unsigned char low = 0x80, high = 0xBF;  // range of the second byte
	if (lead >= 0xC2 && lead <= 0xDF)
		length = 2;
	else if (lead >= 0xE0 && lead <= 0xEF) {
		length = 3;
		if (lead == 0xE0)
			low = 0xA0;
		else if (lead == 0xED)
			high = 0x9F;
	} else if (lead >= 0xF0 && lead <= 0xF4) {
		length = 4;
		if (lead == 0xF0)
			low = 0x90;
		else if (lead == 0xF4)
			high = 0x8F;
	} else
		return 0;
	if (i + length > size || bytes[i + 1] < low || bytes[i + 1] > high)
		return 0;
	for (size_t k = 2; k < length; k++) {
		if (!IsContinuation(bytes[i + k]))
			return 0;
	}
	return length;
}

bool IsUndefinedIn1252(unsigned char c)
{
	return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

bool Convert(const std::string& name, std::string_view text, std::string* out)
{
	iconv_t cd = iconv_open("UTF-8", name.c_str());
	if (cd == reinterpret_cast<iconv_t>(-1))
		return false;
	out->clear();
	char* in = const_cast<char*>(text.data());
	size_t inLeft = text.size();
	char buffer[1024];
	bool ok = true;
	while (inLeft > 0) {
		char* next = buffer;
		size_t outLeft = sizeof(buffer);
		const size_t result = iconv(cd, &in, &inLeft, &next, &outLeft);
		out->append(buffer, next);
		if (result == static_cast<size_t>(-1) && errno != E2BIG) {
			ok = false;
			break;
		}
	}
	iconv_close(cd);
	return ok && IsValidUTF8(*out);
}

// The converter name for a character set as exporters name it.
std::string ConverterName(std::string_view charset)
{
	const std::string name = UpperAscii(TrimSpace(charset));
	static const struct {
		const char* loose;
		const char* real;
	} kAliases[] = {
		{"SHIFT_JIS", "CP932"}, {"SHIFT-JIS", "CP932"}, {"SJIS", "CP932"}, {"X-SJIS", "CP932"},
		{"MS_KANJI", "CP932"}, {"WINDOWS-31J", "CP932"}, {"GB2312", "GB18030"},
		{"GBK", "GB18030"}, {"EUC-CN", "GB18030"}, {"X-GBK", "GB18030"}, {"BIG5", "BIG5-HKSCS"},
		{"ISO-8859-1", "WINDOWS-1252"}, {"ISO8859-1", "WINDOWS-1252"},
		{"LATIN1", "WINDOWS-1252"}, {"US-ASCII", "WINDOWS-1252"}, {"ASCII", "WINDOWS-1252"},
		{"CP1252", "WINDOWS-1252"},
	};
	for (const auto& alias : kAliases) {
		if (name == alias.loose)
			return alias.real;
	}
	return name;
}

}  // namespace

bool IsValidUTF8(std::string_view text)
{
	const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
	for (size_t i = 0; i < text.size();) {
		if (bytes[i] < 0x80) {
			i++;
			continue;
		}
		const size_t length = CharacterLength(bytes, text.size(), i);
		if (length == 0)
			return false;
		i += length;
	}
	return true;
}

bool IsMostlyUTF8(std::string_view text)
{
	const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
	size_t characters = 0, strays = 0;
	for (size_t i = 0; i < text.size(); i++) {
		if (bytes[i] < 0x80)
			continue;
		const size_t length = CharacterLength(bytes, text.size(), i);
		if (length == 0) {
			strays++;
		} else {
			characters++;
			i += length - 1;
		}
	}
	return characters > strays;
}

bool ConvertToUTF8(std::string_view charset, std::string_view text, std::string* out,
	size_t* dropped)
{
	if (EqualsIgnoringCase(charset, "utf-8") || EqualsIgnoringCase(charset, "utf8")) {
		*out = text;
		return IsValidUTF8(text);
	}
	const std::string name = ConverterName(charset);
	if (dropped == nullptr || name != "WINDOWS-1252")
		return Convert(name, text, out);
	std::string defined;
	defined.reserve(text.size());
	for (const char c : text) {
		if (IsUndefinedIn1252(static_cast<unsigned char>(c)))
			++*dropped;
		else
			defined += c;
	}
	return Convert(name, defined, out);
}

std::string_view DetectUnicodeForm(std::string_view bytes, size_t* bomSize)
{
	*bomSize = 0;
	if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
		*bomSize = 3;
		return "UTF-8";
	}
	if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
		*bomSize = 2;
		return bytes[0] == '\xFF' ? "UTF-16LE" : "UTF-16BE";
	}
	// Without a mark: contact files start in ASCII, whose UTF-16 form has a NUL
	// in every other byte.
	const size_t pairs = std::min<size_t>(bytes.size(), 1024) / 2;
	size_t evenNuls = 0, oddNuls = 0;
	for (size_t i = 0; i < pairs; i++) {
		evenNuls += bytes[2 * i] == '\0';
		oddNuls += bytes[2 * i + 1] == '\0';
	}
	if (pairs >= 2 && evenNuls * 2 >= pairs && oddNuls * 8 <= evenNuls)
		return "UTF-16BE";
	if (pairs >= 2 && oddNuls * 2 >= pairs && evenNuls * 8 <= oddNuls)
		return "UTF-16LE";
	return "";
}

std::string_view GuessLegacyCharset(std::string_view text)
{
	// Shift_JIS structure: a lead byte 0x81-0x9F or 0xE0-0xFC takes a trail
	// byte 0x40-0xFC (not 0x7F); 0xA1-0xDF stand alone (half-width kana).
	size_t doubles = 0, common = 0;
	const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
	for (size_t i = 0; i < text.size(); i++) {
		const unsigned char c = bytes[i];
		if (c < 0x80 || (c >= 0xA1 && c <= 0xDF))
			continue;
		const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
		if (!lead || i + 1 == text.size() || bytes[i + 1] < 0x40 || bytes[i + 1] == 0x7F
			|| bytes[i + 1] > 0xFC)
			return "WINDOWS-1252";
		doubles++;
		common += c <= 0x9F;  // kana, symbols and the first level of kanji
		i++;
	}
	std::string converted;
	if (doubles > 0 && common * 2 >= doubles && Convert("CP932", text, &converted))
		return "CP932";
	return "WINDOWS-1252";
}

std::string DecodeQuotedPrintable(std::string_view text)
{
	std::string out;
	out.reserve(text.size());
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] != '=') {
			out += text[i];
			continue;
		}
		if (i + 2 < text.size()) {
			const int high = HexValue(text[i + 1]);
			const int low = HexValue(text[i + 2]);
			if (high >= 0 && low >= 0) {
				out += static_cast<char>(high * 16 + low);
				i += 2;
				continue;
			}
		}
		// A soft line break that survived unfolding: "=" then CR LF or LF.
		if (i + 1 < text.size() && (text[i + 1] == '\n' || text[i + 1] == '\r')) {
			i++;
			if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
				i++;
			continue;
		}
		if (i + 1 == text.size())
			continue;  // a soft break at the very end
		out += '=';
	}
	return out;
}

namespace {

bool AllDigits(std::string_view text)
{
	return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Splits "a<sep>b<sep>c" into three parts of digits; false for any other form.
bool SplitDate(std::string_view text, char sep, std::string_view parts[3])
{
	for (int i = 0; i < 3; i++) {
		const size_t end = i < 2 ? text.find(sep) : text.size();
		if (end == std::string_view::npos || !AllDigits(text.substr(0, end)))
			return false;
		parts[i] = text.substr(0, end);
		text.remove_prefix(i < 2 ? end + 1 : end);
	}
	return true;
}

// The value of up to four digits, -1 for more.
int SmallNumber(std::string_view digits)
{
	if (digits.size() > 4)
		return -1;
	int value = 0;
	for (const char c : digits)
		value = value * 10 + (c - '0');
	return value;
}

// Year, month and day digits as the book's text, or "" when they are no date.
std::string FormatBirthday(std::string_view year, std::string_view month, std::string_view day,
	std::string_view omittedYear)
{
	const int monthValue = month.size() <= 2 ? SmallNumber(month) : -1;
	const int dayValue = day.size() <= 2 ? SmallNumber(day) : -1;
	const int yearValue = year.empty() ? 0 : SmallNumber(year);
	if (yearValue < 0 || monthValue < 1 || monthValue > 12 || dayValue < 1 || dayValue > 31)
		return "";
	const bool noYear = yearValue < 1000 || yearValue == 1604
		|| (!omittedYear.empty() && year == omittedYear);
	char date[32];
	if (noYear)
		snprintf(date, sizeof(date), "--%02d-%02d", monthValue, dayValue);
	else
		snprintf(date, sizeof(date), "%04d-%02d-%02d", yearValue, monthValue, dayValue);
	return date;
}

// A date in slashes: M/D/YYYY or D/M/YYYY, only where a number over 12 tells
// which is the day.
std::string SlashedBirthday(const std::string_view parts[3], std::string_view omittedYear)
{
	const int first = SmallNumber(parts[0]);
	const int second = SmallNumber(parts[1]);
	if (first > 12 && second <= 12)
		return FormatBirthday(parts[2], parts[1], parts[0], omittedYear);
	if (second > 12 && first <= 12)
		return FormatBirthday(parts[2], parts[0], parts[1], omittedYear);
	return "";
}

}  // namespace

std::string NormalizeBirthday(std::string_view text, std::string_view omittedYear)
{
	const std::string_view original = TrimSpace(text);
	std::string_view date = original;
	if (const size_t t = date.find('T'); t != std::string_view::npos && t >= 6)
		date = date.substr(0, t);  // a time of day on a birthday means nothing
	if (date.find_first_not_of("0.-/") == std::string_view::npos && date.find('0') != date.npos)
		return "";  // an exporter's empty date, such as 0.0.00
	std::string_view parts[3];
	std::string normal;
	const bool noYearForm = date.starts_with("--");
	if (noYearForm)
		date.remove_prefix(2);
	if (!noYearForm && date.size() == 8 && AllDigits(date))
		normal = FormatBirthday(date.substr(0, 4), date.substr(4, 2), date.substr(6, 2), omittedYear);
	else if (noYearForm && date.size() == 4 && AllDigits(date))
		normal = FormatBirthday("", date.substr(0, 2), date.substr(2, 2), omittedYear);
	else if (date.size() == 5 && date[2] == '-' && AllDigits(date.substr(0, 2))
		&& AllDigits(date.substr(3)))
		normal = FormatBirthday("", date.substr(0, 2), date.substr(3), omittedYear);
	else if (noYearForm)
		normal.clear();
	else if (SplitDate(date, '-', parts))
		normal = FormatBirthday(parts[0], parts[1], parts[2], omittedYear);
	else if (SplitDate(date, '.', parts) && parts[2].size() == 4)
		normal = FormatBirthday(parts[2], parts[1], parts[0], omittedYear);
	else if (SplitDate(date, '/', parts) && parts[2].size() == 4)
		normal = SlashedBirthday(parts, omittedYear);
	return normal.empty() ? std::string(original) : normal;
}

bool BirthdayParts(std::string_view text, std::string_view parts[3])
{
	const auto digits = [&text](size_t from, size_t count) {
		return text.substr(from, count).find_first_not_of("0123456789") == std::string_view::npos;
	};
	size_t at = 0;
	if (text.size() == 10 && digits(0, 4) && text[4] == '-')
		at = 5;
	else if (text.size() == 7 && text.substr(0, 2) == "--")
		at = 2;
	else
		return false;
	if (!digits(at, 2) || text[at + 2] != '-' || !digits(at + 3, 2))
		return false;
	parts[0] = at == 5 ? text.substr(0, 4) : std::string_view();
	parts[1] = text.substr(at, 2);
	parts[2] = text.substr(at + 3, 2);
	return true;
}

// Spaces stand in for TABs and line breaks before anything is trimmed or
// cut, so a cut never ends in one.
std::string FlattenFieldText(std::string_view text)
{
	std::string flat(text);
	for (char& c : flat) {
		if (c == '\t' || c == '\n' || c == '\r')
			c = ' ';
	}
	return std::string(TrimSpace(flat));
}

std::string_view TrimSpace(std::string_view text)
{
	const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
	while (!text.empty() && isSpace(text.front()))
		text.remove_prefix(1);
	while (!text.empty() && isSpace(text.back()))
		text.remove_suffix(1);
	return text;
}

void AppendSeparated(std::string* out, std::string_view separator, std::string_view item)
{
	if (!out->empty())
		out->append(separator);
	out->append(item);
}
