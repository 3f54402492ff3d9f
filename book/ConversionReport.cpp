#include "ConversionReport.h"

#include "ABookRecord.h"
#include "ContactText.h"

namespace {

// A note is UTF-8 text whatever the input was: other bytes (a property name
// in a legacy set) show as Windows-1252, the likeliest reading.
std::string Readable(std::string_view text)
{
	std::string converted;
	size_t dropped = 0;
	if (!IsValidUTF8(text) && ConvertToUTF8("WINDOWS-1252", text, &converted, &dropped))
		return converted;
	return std::string(text);
}

}  // namespace

void ConversionReport::Add(note_kind kind, int32 line, std::string_view item,
	std::string_view property, std::string_view text)
{
	fNotes.push_back({line, Readable(item), Readable(property), Readable(text), kind});
	fCounts[static_cast<int>(kind)]++;
}

std::string ConversionReport::DescribeNote(std::string_view source, const conversion_note& note)
{
	std::string out(source);
	if (note.line > 0)
		out.append(source.empty() ? "line " : ":").append(std::to_string(note.line));
	if (!out.empty())
		out.append(": ");
	if (!note.item.empty())
		out.append(note.item).append(": ");
	if (!note.property.empty())
		out.append(note.property).append(": ");
	return out.append(note.text);
}

std::string ConversionReport::Describe(std::string_view source) const
{
	std::string out;
	for (const conversion_note& note : fNotes)
		out.append(DescribeNote(source, note)).append("\n");
	return out;
}

std::string QuoteValue(std::string_view value)
{
	// A note is UTF-8 text whatever the input was: other bytes show as
	// Windows-1252, the likeliest reading.
	std::string converted;
	size_t dropped = 0;
	if (!IsValidUTF8(value) && ConvertToUTF8("WINDOWS-1252", value, &converted, &dropped))
		value = converted;
	constexpr size_t kShown = 60;
	const size_t kept = UTF8CutLength(value.data(), value.size(), kShown);
	std::string out = "\"";
	for (const char c : value.substr(0, kept))
		out += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
	out += kept < value.size() ? "...\"" : "\"";
	return out;
}
