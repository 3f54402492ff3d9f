// TextRanges: the pieces of a text that a screen reader asks for around a
// character offset (a character, a word, a sentence, a line, a paragraph), as
// ATK defines them: with a START boundary, from the boundary at or before the
// offset to the next one; with an END boundary, from the one before it to the
// one at or after it; and the pieces just before and after those. Offsets are
// characters (code points, a malformed byte counting as one), as ATK's are.
// Words are runs of letters and digits; sentences end after '.', '!' or '?' and
// the spaces that follow; lines start where the layout's lines start.
// Threading: a plain value.
#ifndef _CVAB_TEXT_RANGES_H
#define _CVAB_TEXT_RANGES_H

#include "TextBreaks.h"

#include <string>
#include <string_view>
#include <vector>

namespace BPrivate {

class TextRanges {
public:
	enum Boundary {
		kCharacter,
		kWordStart,
		kWordEnd,
		kSentenceStart,
		kSentenceEnd,
		kLineStart,
		kLineEnd,
		kParagraph,
	};
	enum Which { kBefore, kAt, kAfter };

	// lineStarts: the byte offsets where lines after the first start (a text
	// without them has its paragraphs as lines).
	explicit TextRanges(std::string_view text, std::vector<int32> lineStarts = {});

	int32 CountCharacters() const { return fBreaks.CountCharacters(); }
	int32 ToCharacter(int32 byteOffset) const { return fBreaks.CharacterIndex(byteOffset); }
	int32 ToByte(int32 character) const;
	// The text of [start, end) in characters; end -1 for the end.
	std::string Between(int32 start, int32 end) const;

	// The piece around, before or after offset: [*start, *end) in characters
	// (empty at offset where there is none).
	void Piece(Boundary boundary, Which which, int32 offset, int32* start, int32* end) const;

private:
	std::vector<int32> _Boundaries(Boundary boundary) const;
	bool _IsBoundary(Boundary boundary, int32 character, bool sentenceEnded) const;
	bool _IsLineStart(int32 character) const;
	uint32 _CodePoint(int32 character) const;

	std::string fText;
	TextBreaks fBreaks;
	std::vector<int32> fLineStarts;  // characters, in order
};

}  // namespace BPrivate

#endif
