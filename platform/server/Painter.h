// Draws into a framebuffer in whole-pixel coordinates, clipped to a set of rectangles:
// fills, one-pixel lines with both end points, rectangle frames, inversion and text.
// Threading: used by one thread at a time (the window thread that owns the buffer).
#ifndef _SERVER_PAINTER_H
#define _SERVER_PAINTER_H

#include "Framebuffer.h"

#include <vector>

class FontFace;

class Painter {
public:
	explicit Painter(Framebuffer& target);

	// Drawing is limited to these rectangles (and always to the buffer).
	void SetClip(const std::vector<PixelRect>& rects);
	void ClearClip();
	const std::vector<PixelRect>& Clip() const { return fClip; }

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
	void PlotClipped(int32 x, int32 y, uint32 color);
	void BlendGlyphRow(uint32* row, int32 x0, int32 x1, const uint8* coverage, int32 glyphX,
		uint32 color);

	Framebuffer& fTarget;
	std::vector<PixelRect> fClip;
};

// Measures UTF-8 text the way DrawString advances over it.
int32 MeasureString(FontFace* face, float size, const char* text, int32 length);

#endif
