#include "AsciiText.h"

std::string FoldAscii(std::string_view text)
{
	std::string folded(text);
	for (char& c : folded)
		c = FoldAscii(c);
	return folded;
}

std::string UpperAscii(std::string_view text)
{
	std::string upper(text);
	for (char& c : upper)
		c = UpperAscii(c);
	return upper;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
	return a.size() == b.size() && CompareIgnoringCase(a, b) == 0;
}

int CompareIgnoringCase(std::string_view a, std::string_view b)
{
	const size_t shorter = a.size() < b.size() ? a.size() : b.size();
	for (size_t i = 0; i < shorter; i++) {
		const auto l = static_cast<unsigned char>(FoldAscii(a[i]));
		const auto r = static_cast<unsigned char>(FoldAscii(b[i]));
		if (l != r)
			return static_cast<int>(l) - static_cast<int>(r);
	}
	if (a.size() == b.size())
		return 0;
	return a.size() < b.size() ? -1 : 1;
}

bool ContainsFolded(std::string_view text, std::string_view folded)
{
	if (folded.size() > text.size())
		return false;
	const size_t last = text.size() - folded.size();
	for (size_t start = 0; start <= last; start++) {
		size_t i = 0;
		while (i < folded.size() && FoldAscii(text[start + i]) == folded[i])
			i++;
		if (i == folded.size())
			return true;
	}
	return false;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
	return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
	return text.size() >= suffix.size()
		&& EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}
