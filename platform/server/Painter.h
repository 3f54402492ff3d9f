// Draws into a framebuffer in whole-pixel coordinates, clipped to a set of rectangles:
// fills, one-pixel lines with both end points, rectangle frames, inversion and text.
// Coordinates are the API's; at a scale of 2 each of their pixels covers 2 x 2
// pixels of the buffer, and text is rasterised at twice its size where the text
// engine placed it at its own size, so that what was measured is what is drawn.
// Glyphs are blended in from the images the text engine keeps of them.
// Threading: used by one thread at a time (the window thread that owns the buffer).
#ifndef _SERVER_PAINTER_H
#define _SERVER_PAINTER_H

#include "Framebuffer.h"
#include "GlyphImages.h"

#include <vector>

class TextLayout;

class Painter {
public:
	// scale is 1 or 2: the buffer's pixels to one of the coordinates'.
	explicit Painter(Framebuffer& target, int32 scale = 1);

	// Drawing is limited to these rectangles (and always to the buffer).
	void SetClip(const std::vector<PixelRect>& rects);
	void ClearClip();
	// Whether a line of text of that size, its left edge at x and its baseline
	// at y, may show through the clip (its marks and taller fallback fonts
	// reach past the size; nothing of it lies left of x).
	bool MayShowText(int32 x, int32 y, float size) const;

	void FillRect(const PixelRect& rect, uint32 color);
	// Set bits of the 8 x 8 pattern take high, clear bits low; the pattern is
	// anchored at the buffer's origin.
	void FillRect(const PixelRect& rect, const uint8 pattern[8], uint32 high, uint32 low);
	void StrokeLine(int32 x0, int32 y0, int32 x1, int32 y1, uint32 color);
	void StrokeRect(const PixelRect& rect, uint32 color);
	void InvertRect(const PixelRect& rect);
	// Draws a line of a layout with the layout's left edge at x and the line's
	// baseline at y. Only clusters wholly within [visibleLeft, visibleRight] are
	// drawn.
	void DrawText(const TextLayout& layout, int32 line, int32 x, int32 y, uint32 color,
		float visibleLeft = -1e9f, float visibleRight = 1e9f);

private:
	Painter(const Painter&) = delete;
	Painter& operator=(const Painter&) = delete;

	PixelRect _ToDevice(const PixelRect& rect) const;
	void _FillDevice(const PixelRect& area, uint32 color);
	void _PlotClipped(int32 x, int32 y, uint32 color);
	void _DrawGlyph(const GlyphImages::Image& image, int32 penX, int32 baseline, uint32 color);
	void _DrawMissingGlyph(int32 x, int32 baseline, int32 advance, float size, uint32 color);

	Framebuffer& fTarget;
	const int32 fScale;
	std::vector<PixelRect> fClip;  // in the buffer's pixels
};

#endif
