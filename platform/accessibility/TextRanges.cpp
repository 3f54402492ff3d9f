#include "TextRanges.h"

#include <glib.h>

#include <algorithm>

namespace BPrivate {

TextRanges::TextRanges(std::string_view text, std::vector<int32> lineStarts)
	: fText(text),
	  fBreaks(text)
{
	if (lineStarts.empty()) {
		for (size_t i = 0; i < fText.size(); i++) {
			if (fText[i] == '\n')
				lineStarts.push_back((int32)i + 1);
		}
	}
	for (int32 start : lineStarts)
		fLineStarts.push_back(ToCharacter(start));
}

int32 TextRanges::ToByte(int32 character) const
{
	return fBreaks.CharacterOffset(std::clamp(character, (int32)0, CountCharacters()));
}

std::string TextRanges::Between(int32 start, int32 end) const
{
	const int32 count = CountCharacters();
	if (end < 0 || end > count)
		end = count;
	start = std::clamp(start, (int32)0, end);
	const int32 from = ToByte(start);
	return fText.substr((size_t)from, (size_t)(ToByte(end) - from));
}

uint32 TextRanges::_CodePoint(int32 character) const
{
	const int32 from = ToByte(character);
	const gunichar c = g_utf8_get_char_validated(fText.data() + from,
		(gssize)(ToByte(character + 1) - from));
	return c < 0x110000 ? (uint32)c : 0xfffd;
}

namespace {

bool EndsSentence(uint32 c)
{
	return c == '.' || c == '!' || c == '?';
}

}  // namespace

bool TextRanges::_IsLineStart(int32 character) const
{
	return std::binary_search(fLineStarts.begin(), fLineStarts.end(), character);
}

// Whether a boundary of the kind stands before character i (not the first).
bool TextRanges::_IsBoundary(Boundary boundary, int32 i, bool sentenceEnded) const
{
	const uint32 before = _CodePoint(i - 1);
	const uint32 here = _CodePoint(i);
	const bool word = g_unichar_isalnum(here);
	const bool wordBefore = g_unichar_isalnum(before);
	switch (boundary) {
		case kCharacter:
			return true;
		case kWordStart:
			return word && !wordBefore;
		case kWordEnd:
			return !word && wordBefore;
		case kSentenceStart:
			return sentenceEnded && g_unichar_isspace(before) && !g_unichar_isspace(here);
		case kSentenceEnd:
			return EndsSentence(before) && !EndsSentence(here);
		case kLineStart:
			return _IsLineStart(i);
		case kLineEnd:
			return here == '\n' ? _IsLineStart(i + 1) : _IsLineStart(i) && before != '\n';
		case kParagraph:
			return before == '\n';
	}
	return false;
}

// Every boundary of the kind, from 0 to the end, in order.
std::vector<int32> TextRanges::_Boundaries(Boundary boundary) const
{
	const int32 count = CountCharacters();
	std::vector<int32> found{0};
	bool sentenceEnded = false;  // a '.', '!' or '?', and only spaces since
	for (int32 i = 1; i < count; i++) {
		const uint32 before = _CodePoint(i - 1);
		if (EndsSentence(before))
			sentenceEnded = true;
		else if (!g_unichar_isspace(before))
			sentenceEnded = false;
		if (_IsBoundary(boundary, i, sentenceEnded))
			found.push_back(i);
	}
	if (count > 0)
		found.push_back(count);
	return found;
}

void TextRanges::Piece(Boundary boundary, Which which, int32 offset, int32* start,
	int32* end) const
{
	const int32 count = CountCharacters();
	offset = std::clamp(offset, (int32)0, count);
	const std::vector<int32> bounds = _Boundaries(boundary);
	const int32 pieces = (int32)bounds.size() - 1;
	if (pieces <= 0) {
		*start = *end = offset;
		return;
	}
	// START boundaries (and characters) hold their first offset, END ones their last.
	const bool ends = boundary == kWordEnd || boundary == kSentenceEnd || boundary == kLineEnd;
	int32 piece = 0;
	while (piece < pieces - 1 && (ends ? bounds[piece + 1] < offset : bounds[piece + 1] <= offset))
		piece++;
	piece += which == kBefore ? -1 : which == kAfter ? 1 : 0;
	if (piece < 0 || piece >= pieces) {
		*start = *end = offset;
		return;
	}
	*start = bounds[piece];
	*end = bounds[piece + 1];
}

}  // namespace BPrivate
