// Draws into a framebuffer in whole-pixel coordinates, clipped to a set of rectangles:
// fills, one-pixel lines with both end points, rectangle frames, inversion and text.
// Coordinates are the API's; at a scale of 2 each of their pixels covers 2 x 2
// pixels of the buffer, and text is rasterised at twice its size.
// Threading: used by one thread at a time (the window thread that owns the buffer).
#ifndef _SERVER_PAINTER_H
#define _SERVER_PAINTER_H

#include "FontFace.h"
#include "Framebuffer.h"

#include <vector>

class Painter {
public:
	// scale is 1 or 2: the buffer's pixels to one of the coordinates'.
	explicit Painter(Framebuffer& target, int32 scale = 1);

	// Drawing is limited to these rectangles (and always to the buffer).
	void SetClip(const std::vector<PixelRect>& rects);
	void ClearClip();

	void FillRect(const PixelRect& rect, uint32 color);
	// Set bits of the 8 x 8 pattern take high, clear bits low; the pattern is
	// anchored at the buffer's origin.
	void FillRect(const PixelRect& rect, const uint8 pattern[8], uint32 high, uint32 low);
	void StrokeLine(int32 x0, int32 y0, int32 x1, int32 y1, uint32 color);
	void StrokeRect(const PixelRect& rect, uint32 color);
	void InvertRect(const PixelRect& rect);
	// Draws UTF-8 text with its baseline at y, starting at x; returns the advance.
	// Malformed bytes draw as the replacement mark.
	int32 DrawString(FontFace* face, float size, const char* text, int32 length, int32 x,
		int32 y, uint32 color);

private:
	PixelRect _ToDevice(const PixelRect& rect) const;
	void _FillDevice(const PixelRect& area, uint32 color);
	void _PlotClipped(int32 x, int32 y, uint32 color);
	void _DrawGlyph(const FontFace::Glyph* glyph, int32 penX, int32 baseline, uint32 color);
	void _BlendGlyphRow(uint32* row, int32 x0, int32 x1, const uint8* coverage,
		int32 glyphX, uint32 color);
	int32 _DrawScaledString(FontFace* face, float size, const char* text, int32 length,
		int32 x, int32 y, uint32 color);

	Framebuffer& fTarget;
	const int32 fScale;
	std::vector<PixelRect> fClip;  // in the buffer's pixels
};

// Measures UTF-8 text the way DrawString advances over it.
int32 MeasureString(FontFace* face, float size, const char* text, int32 length);

#endif
