// Text laid out by the platform's text library (Pango): its lines, its runs of
// one font and direction with their glyphs in the order they are drawn, where
// the caret stands for an offset, which offset a point is nearest, how the caret
// moves on screen, and the extents of a range of text. The direction of each
// paragraph comes from its first strong character; mixed text is ordered by the
// bidirectional algorithm.
// Offsets are bytes of the text as given (malformed bytes included: each is a
// character of its own and draws as the replacement mark); Breaks() converts
// them to character indexes and tells the cluster boundaries.
// x is measured from the layout's left edge, where a single line starts; a line
// is placed by its caller, who chooses the baseline of each.
// A text laid out as one line is shaped as the library's layout shapes it (its
// items of one script, direction and font, in the bidirectional order; text of
// the font's own script as one run), without the rest of the layout, which is
// made when a question needs it: lists show many lines and ask only their width.
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

typedef struct _PangoFont PangoFont;
typedef struct _PangoGlyphString PangoGlyphString;
typedef struct _PangoLayout PangoLayout;

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

	// What the painter draws, in Pango units (whole pixels): each glyph placed
	// from the layout's left edge and its line's baseline, with the extent of
	// the cluster it belongs to.
	struct Glyph {
		uint32 id;  // the font's, or the library's marks for empty and unknown
		int32 x;
		int32 y;
		int32 advance;
		int32 clusterLeft;
		int32 clusterRight;
	};
	struct GlyphRun {
		PangoFont* font;  // a reference held
		int32 line;
		int32 start;  // the layout's own text
		int32 end;
		bool rightToLeft;
		std::vector<Glyph> glyphs;
	};
	const std::vector<GlyphRun>& GlyphRuns() const { return fGlyphRuns; }

private:
	struct Line {
		int32 start;  // in the layout's own text
		int32 length;
		int32 left;  // Pango units
		int32 width;
	};

	TextLayout(const TextLayout&) = delete;
	TextLayout& operator=(const TextLayout&) = delete;

	bool _ShapeAsOneRun(const TextFont& font);
	bool _ShapeItems();
	PangoLayout* _Pango() const;
	void _TakeLines();
	void _TakeGlyphRuns();
	void _AddGlyphRun(PangoFont* font, int32 line, int32 start, int32 end, bool rightToLeft,
		const PangoGlyphString* glyphs, int32 left);
	int32 _ToLayout(int32 offset) const;
	int32 _FromLayout(int32 index) const;
	int32 _Clamp(int32 line) const;

	// The text the library lays out: the text itself, or with its malformed bytes
	// repaired.
	const std::string& _Shown() const { return fRepaired.empty() ? fText : fRepaired; }

	std::string fText;
	std::string fRepaired;
	const PangoFontDescription* fDescription;  // the engine's
	float fFontSize;
	float fWrapWidth;
	std::vector<int32> fToLayout;    // per byte of fText; empty when the same text
	std::vector<int32> fFromLayout;  // per byte of fRepaired
	mutable PangoLayout* fLayout = nullptr;
	std::vector<Line> fLines;
	std::vector<GlyphRun> fGlyphRuns;
	mutable std::unique_ptr<TextBreaks> fBreaks;
};

#endif
