#include "ContactText.h"

#include "AsciiText.h"

#include <cerrno>
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

}  // namespace

bool IsValidUTF8(std::string_view text)
{
	const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
	const size_t size = text.size();
	for (size_t i = 0; i < size;) {
		const unsigned char lead = bytes[i];
		if (lead < 0x80) {
			i++;
			continue;
		}
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
			return false;
		if (i + length > size || bytes[i + 1] < low || bytes[i + 1] > high)
			return false;
		for (size_t k = 2; k < length; k++) {
			if (!IsContinuation(bytes[i + k]))
				return false;
		}
		i += length;
	}
	return true;
}

bool ConvertToUTF8(std::string_view charset, std::string_view text, std::string* out)
{
	if (EqualsIgnoringCase(charset, "utf-8") || EqualsIgnoringCase(charset, "utf8")) {
		*out = text;
		return IsValidUTF8(text);
	}
	const std::string name(charset);
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
