// Text laid out by the platform's text library: its lines, its runs of one font
// and direction in the order they are drawn, where the caret stands for an
// offset, which offset a point is nearest, how the caret moves on screen, and
// the extents of a range of text. The direction of each paragraph comes from its
// first strong character; mixed text is ordered by the bidirectional algorithm.
// Offsets are bytes of the text as given (malformed bytes included: each is a
// character of its own and draws as the replacement mark); Breaks() converts
// them to character indexes and tells the cluster boundaries.
// x is measured from the layout's left edge, where a single line starts; a line
// is placed by its caller, who chooses the baseline of each.
// Threading: any thread; every call takes the text engine's lock. A layout does
// not change once made.
#ifndef _SERVER_TEXT_LAYOUT_H
#define _SERVER_TEXT_LAYOUT_H

#include "TextBreaks.h"
#include "TextEngine.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

typedef struct _PangoLayout PangoLayout;
typedef struct _cairo cairo_t;

class TextLayout {
public:
	// Laid out as one line, a line break included (drawn as a mark).
	static constexpr float kOneLine = -2;
	// Lines end only at line breaks.
	static constexpr float kNoWrap = -1;

	// With a wrap width above 0, lines also break between words (or inside a word
	// too long for a line), and each paragraph keeps to the side its direction
	// starts from.
	TextLayout(const TextFont& font, std::string_view text, float wrapWidth = kNoWrap);
	~TextLayout();

	const std::string& Text() const { return fText; }
	float FontSize() const { return fFontSize; }
	// The widest line's advance, in whole pixels.
	float Width() const;

	int32 CountLines() const { return (int32)fLines.size(); }
	// A line's text is [LineStart, LineEnd): the line break that ends it is not
	// part of it, the spaces a wrap broke after are.
	int32 LineStart(int32 line) const;
	int32 LineEnd(int32 line) const;
	// The line holding offset; at a wrap, the line that starts there.
	int32 LineAt(int32 offset) const;
	float LineLeft(int32 line) const;
	float LineWidth(int32 line) const;

	// Where the caret stands for offset (snapped to a cluster boundary): the
	// edge of the text in the direction of its paragraph.
	float CaretX(int32 offset) const;
	// The cluster boundary on line nearest to x.
	int32 OffsetAt(int32 line, float x) const;
	// The caret's next place to the right or left on screen, moving over one
	// cluster in text of either direction and to the next or previous line at
	// the ends; offset itself at the start or end of the text.
	int32 MoveVisually(int32 offset, bool right) const;

	// The parts of lines that show the text [start, end), from left to right
	// within each line; a range taking in a line's end reaches the end of the
	// line's side.
	struct Span {
		int32 line;
		float left;
		float right;  // exclusive
	};
	std::vector<Span> RangeSpans(int32 start, int32 end) const;

	// A run of one font and one direction, as drawn.
	struct Run {
		int32 start;  // the text it shows
		int32 end;
		bool rightToLeft;
		std::string family;  // of the font that covers it
		float left;  // from the layout's left edge
		float width;
		int32 glyphs;
		int32 missingGlyphs;  // no font had them: drawn as the empty box
	};
	std::vector<Run> Runs(int32 line) const;

	// Cluster boundaries and character indexes of the text.
	const TextBreaks& Breaks() const;

	// Draws line with the layout's left edge at x and the line's baseline at y
	// (the context's user space), in the context's source colour. Only the clusters whose
	// advance lies wholly within [visibleLeft, visibleRight] are drawn.
	void Draw(cairo_t* context, int32 line, double x, double y, double visibleLeft = -1e9,
		double visibleRight = 1e9) const;

private:
	struct Line {
		int32 start;  // in the layout's own text
		int32 length;
		int32 left;  // Pango units
		int32 width;
	};

	TextLayout(const TextLayout&) = delete;
	TextLayout& operator=(const TextLayout&) = delete;

	void _SetAttributes(std::string_view text);
	void _TakeLines();
	int32 _ToLayout(int32 offset) const;
	int32 _FromLayout(int32 index) const;
	int32 _Clamp(int32 line) const;

	PangoLayout* fLayout = nullptr;
	std::string fText;
	float fFontSize;
	std::vector<int32> fToLayout;    // per byte of fText; empty when the same text
	std::vector<int32> fFromLayout;  // per byte of the layout's text
	std::vector<Line> fLines;
	mutable std::unique_ptr<TextBreaks> fBreaks;
};

#endif
