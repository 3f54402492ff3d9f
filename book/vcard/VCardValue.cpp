// Sections: decoding, escaping, folding.
#include "VCardValue.h"

#include "AsciiText.h"
#include "ContactText.h"
#include "ConversionReport.h"

#include <algorithm>
#include <array>

// --- decoding

namespace {

std::string DroppedBytesNote(size_t dropped)
{
	return std::to_string(dropped) + (dropped == 1 ? " byte" : " bytes")
		+ " that Windows-1252 does not define dropped";
}

// Bytes in a set: a named CHARSET, the user's set, or UTF-8 with Windows-1252
// for what is not UTF-8.
void ConvertValue(const std::string& bytes, std::string_view charset, decoded_value* result)
{
	size_t dropped = 0;
	std::string text;
	if (!charset.empty() && ConvertToUTF8(charset, bytes, &text, &dropped)) {
		if (dropped > 0)
			result->warning = DroppedBytesNote(dropped);
		result->text = std::move(text);
		return;
	}
	const bool saysUTF8 = EqualsIgnoringCase(charset, "utf-8") || EqualsIgnoringCase(charset, "utf8");
	if (!charset.empty() && !saysUTF8) {
		result->error = "the value is not valid " + std::string(charset) + " text; dropped";
		return;
	}
	dropped = 0;
	if (!ConvertToUTF8("WINDOWS-1252", bytes, &text, &dropped)) {
		result->error = "the value is not text in any known character set; dropped";
		return;
	}
	result->warning = std::string(saysUTF8 ? "the value is not valid UTF-8" :
		"the value is not UTF-8 and names no character set") + ": read as Windows-1252, "
		+ QuoteValue(text) + (dropped > 0 ? "; " + DroppedBytesNote(dropped) : "");
	result->text = std::move(text);
}

}  // namespace

decoded_value VCardValue::Decode(const VCardLine& line, const vcard_value_rules& rules)
{
	decoded_value result;
	const std::string& raw = line.Value();
	bool quotedPrintable = false;
	bool binary = false;
	if (const vcard_parameter* encoding = line.Parameter("ENCODING");
		encoding != nullptr && !encoding->values.empty()) {
		const std::string kind = UpperAscii(TrimSpace(encoding->values[0]));
		quotedPrintable = kind == "QUOTED-PRINTABLE";
		binary = kind == "B" || kind == "BASE64";
	} else {
		quotedPrintable = line.HasType("QUOTED-PRINTABLE");  // 2.1's bare parameter
		binary = line.HasType("BASE64");
	}
	binary = binary || (raw.compare(0, 5, "data:") == 0 && raw.find(";base64") != std::string::npos);
	if (binary) {
		result.binarySize = raw.size() * 3 / 4;
		return result;
	}
	std::string bytes = quotedPrintable ? DecodeQuotedPrintable(raw) : raw;
	if (bytes.find('\0') != std::string::npos) {
		result.error = "the value holds a NUL byte, which is no text; dropped";
		return result;
	}
	const vcard_parameter* charset = line.Parameter("CHARSET");
	if (!rules.unicodeFile && charset != nullptr && !charset->values.empty())
		ConvertValue(bytes, TrimSpace(charset->values[0]), &result);
	else if (!rules.unicodeFile && !rules.encoding.empty())
		ConvertValue(bytes, rules.encoding, &result);
	else if (IsValidUTF8(bytes))
		result.text = std::move(bytes);
	else
		ConvertValue(bytes, "", &result);
	return result;
}

bool VCardValue::DecodeInPlace(VCardLine* line, bool unicodeFile)
{
	const decoded_value decoded = Decode(*line, vcard_value_rules{{}, unicodeFile});
	if (!decoded.text)
		return false;
	line->RemoveParameter("ENCODING");
	line->RemoveParameter("CHARSET");
	line->DropQuotedPrintableMarks();
	// Decoded line breaks (a quoted-printable =0D=0A, a raw carriage return)
	// would end the line written: they are escaped, as a reader reads them.
	const std::string& text = *decoded.text;
	std::string value;
	value.reserve(text.size());
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] == '\r' || text[i] == '\n') {
			value += "\\n";
			i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
		} else {
			value += text[i];
		}
	}
	line->SetValue(std::move(value));
	return true;
}

// --- escaping

std::string VCardValue::Escape(std::string_view text, vcard_value_type type)
{
	std::string out;
	AppendEscaped(text, type, &out);
	return out;
}

void VCardValue::AppendEscaped(std::string_view text, vcard_value_type type, std::string* out)
{
	if (type == vcard_value_type::kDate) {
		out->append(text);
		return;
	}
	// Runs without a byte to escape go in whole: this is the writer's inner
	// loop, so a byte is tested by one look-up.
	static constexpr auto kSpecial = [] {
		std::array<bool, 256> special{};
		for (const unsigned char c : {'\\', ',', ';', '\r', '\n'})
			special[c] = true;
		return special;
	}();
	size_t start = 0;
	for (size_t at = 0; at < text.size(); at++) {
		const char c = text[at];
		if (!kSpecial[static_cast<unsigned char>(c)])
			continue;
		out->append(text.data() + start, at - start);
		if (c == '\n' || c == '\r') {
			out->append("\\n");
			at += c == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 1 : 0;
		} else {
			out->push_back('\\');
			out->push_back(c);
		}
		start = at + 1;
	}
	out->append(text.data() + start, text.size() - start);
}

std::string VCardValue::Unescape(std::string_view raw, vcard_value_type type)
{
	if (type == vcard_value_type::kDate)
		return std::string(raw);
	const bool uri = type == vcard_value_type::kUri;
	std::string out;
	out.reserve(raw.size());
	for (size_t i = 0; i < raw.size(); i++) {
		const char next = i + 1 < raw.size() ? raw[i + 1] : '\0';
		if (raw[i] != '\\' || next == '\0' || (uri && std::string_view("\\,;:").find(next)
				== std::string_view::npos)) {
			out += raw[i];
			continue;
		}
		out += (next == 'n' || next == 'N') ? '\n' : next;
		i++;
	}
	return out;
}

std::vector<std::string> VCardValue::Split(std::string_view raw, char sep)
{
	std::vector<std::string> parts(1);
	for (size_t i = 0; i < raw.size(); i++) {
		if (raw[i] == '\\' && i + 1 < raw.size()) {
			parts.back() += raw[i];
			parts.back() += raw[++i];
		} else if (raw[i] == sep) {
			parts.emplace_back();
		} else {
			parts.back() += raw[i];
		}
	}
	return parts;
}

std::vector<std::string> VCardValue::SplitText(std::string_view raw, char sep)
{
	std::vector<std::string> parts = Split(raw, sep);
	for (std::string& part : parts)
		part = Unescape(part, vcard_value_type::kText);
	return parts;
}

std::string VCardValue::Join(const std::vector<std::string>& parts, char sep)
{
	std::string out;
	for (size_t i = 0; i < parts.size(); i++) {
		if (i > 0)
			out += sep;
		out += parts[i];
	}
	return out;
}

// --- folding

namespace {

constexpr size_t kFoldWidth = 75;

bool IsContinuation(char c)
{
	return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

void VCardValue::AppendFolded(std::string_view line, std::string_view lineBreak, std::string* out)
{
	size_t start = 0;
	// The first piece keeps the colon: a piece without one after a quoted-
	// printable line would be read as more of that line's value.
	size_t width = std::max(kFoldWidth, line.find(':') + 1);
	while (line.size() - start > width) {
		size_t cut = start + width;
		while (cut > start && IsContinuation(line[cut]))
			cut--;
		if (cut == start)
			cut = start + width;  // not UTF-8: cut anywhere rather than never
		out->append(line.substr(start, cut - start)).append(lineBreak).append(" ");
		start = cut;
		width = kFoldWidth - 1;  // the leading space counts
	}
	out->append(line.substr(start)).append(lineBreak);
}
