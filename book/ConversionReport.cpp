#include "ConversionReport.h"

#include "ABookRecord.h"

void ConversionReport::AddLoss(int32 line, std::string_view item, std::string_view property,
	std::string_view text)
{
	fNotes.push_back({line, std::string(item), std::string(property), std::string(text), false});
	fLosses++;
}

void ConversionReport::AddMalformed(int32 line, std::string_view item, std::string_view text)
{
	fNotes.push_back({line, std::string(item), std::string(), std::string(text), true});
}

std::string ConversionReport::Describe(std::string_view source) const
{
	std::string out;
	for (const conversion_note& note : fNotes) {
		out.append(source);
		if (note.line > 0)
			out.append(":").append(std::to_string(note.line));
		out.append(": ");
		if (!note.item.empty())
			out.append(note.item).append(": ");
		if (!note.property.empty())
			out.append(note.property).append(": ");
		out.append(note.text).append("\n");
	}
	return out;
}

std::string QuoteValue(std::string_view value)
{
	constexpr size_t kShown = 60;
	const size_t kept = UTF8CutLength(value.data(), value.size(), kShown);
	std::string out = "\"";
	for (const char c : value.substr(0, kept))
		out += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
	out += kept < value.size() ? "...\"" : "\"";
	return out;
}
