// Draws into a framebuffer in whole-pixel coordinates, clipped to a set of rectangles:
// fills, one-pixel lines with both end points, rectangle frames, inversion and text.
// Coordinates are the API's; at a scale of 2 each of their pixels covers 2 x 2
// pixels of the buffer, and text is rasterised at twice its size where the text
// engine placed it at its own size, so that what was measured is what is drawn.
// Text goes through a cairo image surface over the buffer, made again whenever
// the buffer is.
// Threading: used by one thread at a time (the window thread that owns the buffer).
#ifndef _SERVER_PAINTER_H
#define _SERVER_PAINTER_H

#include "Framebuffer.h"

#include <vector>

class TextLayout;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

class Painter {
public:
	// scale is 1 or 2: the buffer's pixels to one of the coordinates'.
	explicit Painter(Framebuffer& target, int32 scale = 1);
	~Painter();

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
	cairo_t* _Cairo();
	void _ReleaseCairo();

	Framebuffer& fTarget;
	const int32 fScale;
	std::vector<PixelRect> fClip;  // in the buffer's pixels
	std::vector<PixelRect> fNextClip;
	// Text's drawing context, for the buffer's pixels as they were when it was made.
	cairo_surface_t* fSurface = nullptr;
	cairo_t* fCairo = nullptr;
	const uint32* fSurfacePixels = nullptr;
	int32 fSurfaceWidth = 0;
	int32 fSurfaceHeight = 0;
	bool fClipChanged = true;
};

#endif
