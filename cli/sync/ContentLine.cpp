#include "ContentLine.h"

#include <AsciiText.h>
#include <ContactText.h>

#include <algorithm>

namespace {

constexpr size_t kFoldWidth = 75;

// The parts of text split at sep outside double quotes, quotes kept.
std::vector<std::string> SplitOutsideQuotes(std::string_view text, char sep)
{
	std::vector<std::string> parts(1);
	bool quoted = false;
	for (const char c : text) {
		if (c == '"')
			quoted = !quoted;
		if (c == sep && !quoted)
			parts.emplace_back();
		else
			parts.back() += c;
	}
	return parts;
}

// A parameter's name as the reader takes it: a bare one is a TYPE.
std::string ParameterName(std::string_view raw)
{
	const size_t equals = raw.find('=');
	return equals == std::string_view::npos ? "TYPE" : UpperAscii(TrimSpace(raw.substr(0, equals)));
}

std::vector<std::string> ParameterValues(std::string_view raw)
{
	const size_t equals = raw.find('=');
	std::vector<std::string> values = SplitOutsideQuotes(
		equals == std::string_view::npos ? raw : raw.substr(equals + 1), ',');
	for (std::string& value : values)
		value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
	return values;
}

bool IsContinuation(char c)
{
	return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::optional<ContentLine> ContentLine::Parse(std::string_view text)
{
	bool quoted = false;
	size_t colon = std::string_view::npos;
	for (size_t i = 0; i < text.size() && colon == std::string_view::npos; i++) {
		if (text[i] == '"')
			quoted = !quoted;
		else if (text[i] == ':' && !quoted)
			colon = i;
	}
	if (colon == std::string_view::npos || colon == 0)
		return std::nullopt;
	ContentLine line;
	line.fHead = text.substr(0, colon);
	line.fValue = text.substr(colon + 1);
	line.fHeadChanged = false;
	std::vector<std::string> head = SplitOutsideQuotes(line.fHead, ';');
	line.fPrefix = head[0];
	// As the reader names it: quotes dropped, group cut off, trimmed.
	std::string name = line.fPrefix;
	name.erase(std::remove(name.begin(), name.end(), '"'), name.end());
	if (const size_t dot = name.rfind('.'); dot != std::string::npos)
		name.erase(0, dot + 1);
	line.fName = UpperAscii(TrimSpace(name));
	line.fParameters.assign(head.begin() + 1, head.end());
	return line;
}

ContentLine::ContentLine(std::string name, std::vector<std::string> parameters, std::string value)
	: fPrefix(name),
	  fName(UpperAscii(name)),
	  fParameters(std::move(parameters)),
	  fValue(std::move(value))
{
}

bool ContentLine::HasParameter(std::string_view name) const
{
	for (const std::string& raw : fParameters) {
		if (!TrimSpace(raw).empty() && ParameterName(raw) == name)
			return true;
	}
	return false;
}

void ContentLine::RemoveParameter(std::string_view name)
{
	const auto matches = [name](const std::string& raw) {
		return !TrimSpace(raw).empty() && ParameterName(raw) == name;
	};
	const auto end = std::remove_if(fParameters.begin(), fParameters.end(), matches);
	fHeadChanged = fHeadChanged || end != fParameters.end();
	fParameters.erase(end, fParameters.end());
}

void ContentLine::AddParameter(std::string raw)
{
	fParameters.push_back(std::move(raw));
	fHeadChanged = true;
}

bool ContentLine::DecodeValue()
{
	// As the reader decides: the first ENCODING parameter, else a TYPE of
	// QUOTED-PRINTABLE or BASE64; the first CHARSET.
	const std::string* encoding = nullptr;
	const std::string* charsetParameter = nullptr;
	bool typeQuotedPrintable = false;
	bool typeBase64 = false;
	for (const std::string& raw : fParameters) {
		if (TrimSpace(raw).empty())
			continue;
		const std::string name = ParameterName(raw);
		if (name == "ENCODING" && encoding == nullptr)
			encoding = &raw;
		else if (name == "CHARSET" && charsetParameter == nullptr)
			charsetParameter = &raw;
		for (const std::string& value : name == "TYPE" ? ParameterValues(raw)
													   : std::vector<std::string>()) {
			typeQuotedPrintable = typeQuotedPrintable || EqualsIgnoringCase(TrimSpace(value), "QUOTED-PRINTABLE");
			typeBase64 = typeBase64 || EqualsIgnoringCase(TrimSpace(value), "BASE64");
		}
	}
	const std::string kind = encoding != nullptr
		? UpperAscii(TrimSpace(ParameterValues(*encoding)[0])) : std::string();
	const bool quotedPrintable = encoding != nullptr ? kind == "QUOTED-PRINTABLE" : typeQuotedPrintable;
	const bool binary = (encoding != nullptr ? kind == "B" || kind == "BASE64" : typeBase64)
		|| (fValue.compare(0, 5, "data:") == 0 && fValue.find(";base64") != std::string::npos);
	const std::string charset = charsetParameter != nullptr
		? UpperAscii(TrimSpace(ParameterValues(*charsetParameter)[0])) : std::string();
	if (binary)
		return false;
	std::string bytes = quotedPrintable ? DecodeQuotedPrintable(fValue) : fValue;
	if (bytes.find('\0') != std::string::npos)
		return false;
	std::string text;
	size_t dropped = 0;  // bytes Windows-1252 leaves undefined, dropped as the reader drops them
	const bool saysUTF8 = charset == "UTF-8" || charset == "UTF8";
	if (!charset.empty() && ConvertToUTF8(charset, bytes, &text, &dropped)) {
		// read as named
	} else if (!charset.empty() && !saysUTF8) {
		return false;
	} else if (charsetParameter == nullptr && IsValidUTF8(bytes)) {
		text = std::move(bytes);
	} else if (!ConvertToUTF8("WINDOWS-1252", bytes, &text, &dropped)) {
		return false;  // a CHARSET naming none, or UTF-8 that is not, reads as Windows-1252
	}
	if (quotedPrintable || charsetParameter != nullptr) {
		RemoveParameter("ENCODING");
		RemoveParameter("CHARSET");
		const auto bare = [](const std::string& raw) {
			return EqualsIgnoringCase(TrimSpace(raw), "QUOTED-PRINTABLE");
		};
		fParameters.erase(std::remove_if(fParameters.begin(), fParameters.end(), bare),
			fParameters.end());
		fHeadChanged = true;
	}
	// Decoded line breaks (a quoted-printable =0D=0A, a raw carriage return)
	// would end the line written: they are escaped, as a reader reads them.
	fValue.clear();
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] == '\r' || text[i] == '\n') {
			fValue += "\\n";
			i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
		} else {
			fValue += text[i];
		}
	}
	return true;
}

std::string ContentLine::Text() const
{
	std::string text = fHeadChanged ? fPrefix : fHead;
	if (fHeadChanged) {
		for (const std::string& parameter : fParameters)
			text.append(";").append(parameter);
	}
	return text.append(":").append(fValue);
}

std::string EscapeValue(std::string_view text)
{
	std::string out;
	out.reserve(text.size() + 8);
	for (const char c : text) {
		if (c == '\n' || c == '\r') {
			out += "\\n";
			continue;
		}
		if (c == '\\' || c == ',' || c == ';')
			out += '\\';
		out += c;
	}
	return out;
}

std::string UnescapeValue(std::string_view text)
{
	std::string out;
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] == '\\' && i + 1 < text.size()) {
			const char next = text[++i];
			out += (next == 'n' || next == 'N') ? '\n' : next;
		} else {
			out += text[i];
		}
	}
	return out;
}

std::vector<std::string> SplitRawValue(std::string_view value, char sep)
{
	std::vector<std::string> parts(1);
	for (size_t i = 0; i < value.size(); i++) {
		if (value[i] == '\\' && i + 1 < value.size()) {
			parts.back() += value[i];
			parts.back() += value[++i];
		} else if (value[i] == sep) {
			parts.emplace_back();
		} else {
			parts.back() += value[i];
		}
	}
	return parts;
}

std::string JoinValue(const std::vector<std::string>& parts, char sep)
{
	std::string out;
	for (size_t i = 0; i < parts.size(); i++) {
		if (i > 0)
			out += sep;
		out += parts[i];
	}
	return out;
}

std::string FoldLine(std::string_view line, std::string_view lineBreak)
{
	std::string out;
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
		out.append(line.substr(start, cut - start)).append(lineBreak).append(" ");
		start = cut;
		width = kFoldWidth - 1;  // the leading space counts
	}
	return out.append(line.substr(start)).append(lineBreak);
}

std::string FlattenText(std::string_view text)
{
	std::string flat(text);
	for (char& c : flat) {
		if (c == '\t' || c == '\n' || c == '\r')
			c = ' ';
	}
	return std::string(TrimSpace(flat));
}
