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

// A parameter as the reader sees it: its quotes dropped (they only keep a
// ';' or ':' inside from ending it).
std::string Unquoted(std::string_view raw)
{
	std::string text(raw);
	text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
	return text;
}

bool IsBlank(std::string_view raw)
{
	return TrimSpace(Unquoted(raw)).empty();
}

// A parameter's name as the reader takes it: a bare one is a TYPE.
std::string ParameterName(std::string_view raw)
{
	const std::string text = Unquoted(raw);
	const size_t equals = text.find('=');
	return equals == std::string::npos ? "TYPE"
		: UpperAscii(TrimSpace(std::string_view(text).substr(0, equals)));
}

// Its values, split at every ',' (the quotes are gone by then).
std::vector<std::string> ParameterValues(std::string_view raw)
{
	const std::string text = Unquoted(raw);
	const size_t equals = text.find('=');
	std::vector<std::string> values(1);
	for (const char c : std::string_view(text).substr(equals == std::string::npos ? 0 : equals + 1)) {
		if (c == ',')
			values.emplace_back();
		else
			values.back() += c;
	}
	return values;
}

// How a value is encoded, as the reader decides: by the first ENCODING
// parameter, else a TYPE of QUOTED-PRINTABLE or BASE64; in the set the first
// CHARSET names.
struct value_encoding {
	bool quotedPrintable = false;
	bool binary = false;
	bool namesCharset = false;
	std::string charset;  // upper case
};

value_encoding EncodingOf(const std::vector<std::string>& parameters, const std::string& value)
{
	const std::string* encoding = nullptr;
	const std::string* charset = nullptr;
	bool typeQuotedPrintable = false;
	bool typeBase64 = false;
	for (const std::string& raw : parameters) {
		if (IsBlank(raw))
			continue;
		const std::string name = ParameterName(raw);
		if (name == "ENCODING" && encoding == nullptr)
			encoding = &raw;
		else if (name == "CHARSET" && charset == nullptr)
			charset = &raw;
		for (const std::string& type : name == "TYPE" ? ParameterValues(raw)
													  : std::vector<std::string>()) {
			typeQuotedPrintable = typeQuotedPrintable
				|| EqualsIgnoringCase(TrimSpace(type), "QUOTED-PRINTABLE");
			typeBase64 = typeBase64 || EqualsIgnoringCase(TrimSpace(type), "BASE64");
		}
	}
	value_encoding result;
	const std::string kind = encoding != nullptr
		? UpperAscii(TrimSpace(ParameterValues(*encoding)[0])) : std::string();
	result.quotedPrintable = encoding != nullptr ? kind == "QUOTED-PRINTABLE" : typeQuotedPrintable;
	result.binary = (encoding != nullptr ? kind == "B" || kind == "BASE64" : typeBase64)
		|| (value.compare(0, 5, "data:") == 0 && value.find(";base64") != std::string::npos);
	result.namesCharset = charset != nullptr;
	if (charset != nullptr)
		result.charset = UpperAscii(TrimSpace(ParameterValues(*charset)[0]));
	return result;
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
		if (!IsBlank(raw) && ParameterName(raw) == name)
			return true;
	}
	return false;
}

void ContentLine::RemoveParameter(std::string_view name)
{
	const auto matches = [name](const std::string& raw) {
		return !IsBlank(raw) && ParameterName(raw) == name;
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
	const value_encoding encoding = EncodingOf(fParameters, fValue);
	const bool quotedPrintable = encoding.quotedPrintable;
	const std::string& charset = encoding.charset;
	if (encoding.binary)
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
	} else if (!encoding.namesCharset && IsValidUTF8(bytes)) {
		text = std::move(bytes);
	} else if (!ConvertToUTF8("WINDOWS-1252", bytes, &text, &dropped)) {
		return false;  // a CHARSET naming none, or UTF-8 that is not, reads as Windows-1252
	}
	if (quotedPrintable || encoding.namesCharset) {
		RemoveParameter("ENCODING");
		RemoveParameter("CHARSET");
	}
	_DropQuotedPrintableMarks();
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

void ContentLine::_DropQuotedPrintableMarks()
{
	// The reader joins the next line to a line whose head so much as mentions
	// quoted-printable when its value ends in '=': once the value is plain
	// text, nothing in the head may mention it, however garbled.
	const auto marked = [](std::string_view raw) { return ContainsFolded(raw, "quoted-printable"); };
	const auto end = std::remove_if(fParameters.begin(), fParameters.end(), marked);
	fHeadChanged = fHeadChanged || end != fParameters.end();
	fParameters.erase(end, fParameters.end());
	if (marked(fPrefix)) {
		fPrefix.erase(0, fPrefix.rfind('.') + 1);  // only a group can: the name is known
		fHeadChanged = true;
	}
}

std::string ContentLine::Text() const
{
	std::string text = fHeadChanged ? fPrefix : fHead;
	if (fHeadChanged) {
		for (const std::string& parameter : fParameters)
			text.append(";").append(parameter);
		// A quote left open by a dropped parameter would hide the colon.
		if (std::count(text.begin(), text.end(), '"') % 2 != 0)
			text = Unquoted(text);
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

