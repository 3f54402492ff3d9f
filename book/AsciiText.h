// The book's exact rule for comparing text: ASCII letters match without regard
// to case, every other byte (UTF-8 included) only itself, whatever the locale.
// The nickname look-ups, sorting and the contact readers compare through these,
// so a name that matches in one of them matches in all. The searches a person
// types (Find, the mail query) follow SearchKey.h, which is this rule on ASCII.
// Threading: pure functions; safe from any thread.
#ifndef _ASCII_TEXT_H
#define _ASCII_TEXT_H

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

constexpr char FoldAscii(char c)
{
	return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char UpperAscii(char c)
{
	return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// How many bytes text starts with that are ASCII (below 0x80): its size when
// all are. Word at a time, and inline: the searches' fast path for ASCII asks
// it of every field.
inline size_t AsciiLength(std::string_view text)
{
	constexpr uint64_t kHighBits = 0x8080808080808080u;
	size_t i = 0;
	for (uint64_t word; i + sizeof(word) <= text.size(); i += sizeof(word)) {
		memcpy(&word, text.data() + i, sizeof(word));
		if ((word & kHighBits) != 0)
			break;
	}
	while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
		i++;
	return i;
}

inline bool IsAscii(std::string_view text)
{
	return AsciiLength(text) == text.size();
}

// text with its ASCII capitals (or small letters) changed.
std::string FoldAscii(std::string_view text);
std::string UpperAscii(std::string_view text);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Negative, zero or positive as a sorts before, equal to or after b: folded
// bytes in unsigned order, a prefix first.
int CompareIgnoringCase(std::string_view a, std::string_view b);

// Whether text contains folded, which is already folded (FoldAscii): the form
// for a search that tries one word against many texts.
bool ContainsFolded(std::string_view text, std::string_view folded);

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

#endif
