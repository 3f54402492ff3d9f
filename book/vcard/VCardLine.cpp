#include "VCardLine.h"

#include "ABookRecord.h"
#include "AsciiText.h"
#include "ContactText.h"

#include <algorithm>

namespace {

// The parts of text split at sep outside double quotes; the quotes are kept
// or dropped.
std::vector<std::string> SplitOutsideQuotes(std::string_view text, char sep, bool keepQuotes)
{
	std::vector<std::string> parts(1);
	bool quoted = false;
	for (const char c : text) {
		if (c == '"')
			quoted = !quoted;
		if (c == sep && !quoted)
			parts.emplace_back();
		else if (c != '"' || keepQuotes)
			parts.back() += c;
	}
	return parts;
}

std::string Unquoted(std::string_view raw)
{
	std::string text(raw);
	text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
	return text;
}

// A parameter from its text without quotes; a bare one is a TYPE.
vcard_parameter ParameterOf(std::string_view text)
{
	const size_t equals = text.find('=');
	vcard_parameter parameter;
	parameter.name = equals == std::string_view::npos ? "TYPE"
		: UpperAscii(TrimSpace(text.substr(0, equals)));
	const std::string_view values = equals == std::string_view::npos ? text
		: text.substr(equals + 1);
	parameter.values = SplitOutsideQuotes(values, ',', false);
	return parameter;
}

// A property's name as read: without its group (item1.EMAIL is an EMAIL),
// trimmed, in upper case.
std::string NameOf(std::string_view name)
{
	if (const size_t dot = name.rfind('.'); dot != std::string_view::npos)
		name.remove_prefix(dot + 1);
	return UpperAscii(TrimSpace(name));
}

}  // namespace

std::optional<VCardLine> VCardLine::Parse(std::string_view text)
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
	VCardLine line;
	line.fHead = text.substr(0, colon);
	line.fValue = text.substr(colon + 1);
	line.fHeadChanged = false;
	if (line.fHead.find_first_of(";\"") == std::string::npos) {
		line.fName = NameOf(line.fHead);  // most lines: no parameters
		return line;
	}
	const std::vector<std::string> head = SplitOutsideQuotes(line.fHead, ';', false);
	line.fName = NameOf(head[0]);
	for (size_t i = 1; i < head.size(); i++) {
		if (!TrimSpace(head[i]).empty())  // "N;;X=1:" or a ';' before the colon
			line.fParameters.push_back(ParameterOf(head[i]));
	}
	return line;
}


VCardLine::VCardLine(std::string name, std::vector<std::string> parameters, std::string value)
	: fPrefix(name),
	  fName(UpperAscii(name)),
	  fRawParameters(std::move(parameters)),
	  fValue(std::move(value))
{
	for (const std::string& raw : fRawParameters)
		fParameters.push_back(ParameterOf(Unquoted(raw)));
}

std::string_view VCardLine::Label() const
{
	const std::string& head = fHeadChanged ? fPrefix : fHead;
	return std::string_view(head).substr(0, UTF8CutLength(head.data(), head.size(), 60));
}

const vcard_parameter* VCardLine::Parameter(std::string_view name) const
{
	for (const vcard_parameter& parameter : fParameters) {
		if (parameter.name == name)
			return &parameter;
	}
	return nullptr;
}

std::string_view VCardLine::FirstValue(std::string_view name) const
{
	const vcard_parameter* parameter = Parameter(name);
	return parameter == nullptr || parameter->values.empty() ? std::string_view()
		: TrimSpace(parameter->values[0]);
}

bool VCardLine::HasType(std::string_view type) const
{
	for (const vcard_parameter& parameter : fParameters) {
		if (parameter.name != "TYPE")
			continue;
		for (const std::string& value : parameter.values) {
			if (EqualsIgnoringCase(TrimSpace(value), type))
				return true;
		}
	}
	return false;
}

// The raw parameters, split from the head as read, quotes kept.
void VCardLine::_SplitHead()
{
	if (fHeadChanged)
		return;
	std::vector<std::string> head = SplitOutsideQuotes(fHead, ';', true);
	fPrefix = head[0];
	fRawParameters.clear();
	for (size_t i = 1; i < head.size(); i++) {
		if (!TrimSpace(Unquoted(head[i])).empty())
			fRawParameters.push_back(std::move(head[i]));
	}
	fHeadChanged = true;
}

void VCardLine::RemoveParameter(std::string_view name)
{
	if (Parameter(name) == nullptr)
		return;
	_SplitHead();
	for (size_t i = fParameters.size(); i-- > 0;) {
		if (fParameters[i].name == name) {
			fParameters.erase(fParameters.begin() + static_cast<ptrdiff_t>(i));
			fRawParameters.erase(fRawParameters.begin() + static_cast<ptrdiff_t>(i));
		}
	}
}

void VCardLine::AddParameter(std::string raw)
{
	_SplitHead();
	fParameters.push_back(ParameterOf(Unquoted(raw)));
	fRawParameters.push_back(std::move(raw));
}

void VCardLine::DropQuotedPrintableMarks()
{
	const auto marked = [](std::string_view raw) { return ContainsFolded(raw, "quoted-printable"); };
	if (!marked(fHead) && !fHeadChanged)
		return;
	_SplitHead();
	for (size_t i = fRawParameters.size(); i-- > 0;) {
		if (marked(fRawParameters[i])) {
			fParameters.erase(fParameters.begin() + static_cast<ptrdiff_t>(i));
			fRawParameters.erase(fRawParameters.begin() + static_cast<ptrdiff_t>(i));
		}
	}
	if (marked(fPrefix))
		fPrefix.erase(0, fPrefix.rfind('.') + 1);  // only a group can: the name is known
}

std::string VCardLine::Text() const
{
	std::string text = fHeadChanged ? fPrefix : fHead;
	if (fHeadChanged) {
		for (const std::string& parameter : fRawParameters)
			text.append(";").append(parameter);
		// A quote left open by a dropped parameter would hide the colon.
		if (std::count(text.begin(), text.end(), '"') % 2 != 0)
			text = Unquoted(text);
	}
	return text.append(":").append(fValue);
}
