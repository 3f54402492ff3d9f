#include "Painter.h"

#include "TextLayout.h"

#include <cairo.h>
#include <stdlib.h>

Painter::Painter(Framebuffer& target, int32 scale)
	: fTarget(target), fScale(scale == 2 ? 2 : 1)
{
	ClearClip();
}

Painter::~Painter()
{
	_ReleaseCairo();
}

PixelRect Painter::_ToDevice(const PixelRect& rect) const
{
	if (fScale == 1)
		return rect;
	return {rect.left * fScale, rect.top * fScale, (rect.right + 1) * fScale - 1,
		(rect.bottom + 1) * fScale - 1};
}

void Painter::SetClip(const std::vector<PixelRect>& rects)
{
	fNextClip.clear();
	for (const PixelRect& rect : rects) {
		const PixelRect clipped = _ToDevice(rect).Intersect(fTarget.Bounds());
		if (clipped.IsValid())
			fNextClip.push_back(clipped);
	}
	// Views set the clip before every call; text's context is clipped anew only
	// when it changed.
	if (fNextClip != fClip) {
		fClip.swap(fNextClip);
		fClipChanged = true;
	}
}

void Painter::ClearClip()
{
	fClipChanged = true;
	fClip.assign(1, fTarget.Bounds());
	if (!fClip.front().IsValid())
		fClip.clear();
}

void Painter::FillRect(const PixelRect& rect, uint32 color)
{
	_FillDevice(_ToDevice(rect), color);
}

void Painter::_FillDevice(const PixelRect& rect, uint32 color)
{
	for (const PixelRect& clip : fClip) {
		const PixelRect area = rect.Intersect(clip);
		if (!area.IsValid())
			continue;
		for (int32 y = area.top; y <= area.bottom; y++) {
			uint32* row = fTarget.Row(y);
			std::fill(row + area.left, row + area.right + 1, color);
		}
	}
}

void Painter::FillRect(const PixelRect& rect, const uint8 pattern[8], uint32 high, uint32 low)
{
	bool allHigh = true;
	bool allLow = true;
	for (int32 i = 0; i < 8; i++) {
		allHigh = allHigh && pattern[i] == 0xff;
		allLow = allLow && pattern[i] == 0;
	}
	if (allHigh || allLow) {
		FillRect(rect, allHigh ? high : low);
		return;
	}
	// The pattern's cells grow with the scale, so it looks the same.
	const int32 shift = fScale == 2 ? 1 : 0;
	const PixelRect device = _ToDevice(rect);
	for (const PixelRect& clip : fClip) {
		const PixelRect area = device.Intersect(clip);
		if (!area.IsValid())
			continue;
		for (int32 y = area.top; y <= area.bottom; y++) {
			uint32* row = fTarget.Row(y);
			const uint8 bits = pattern[(y >> shift) & 7];
			for (int32 x = area.left; x <= area.right; x++)
				row[x] = (bits >> (7 - ((x >> shift) & 7))) & 1 ? high : low;
		}
	}
}

void Painter::_PlotClipped(int32 x, int32 y, uint32 color)
{
	for (const PixelRect& clip : fClip) {
		if (clip.Contains(x, y)) {
			fTarget.Row(y)[x] = color;
			return;
		}
	}
}

namespace {

// Bresenham from the first point, so both end points are plotted.
template <typename Plot>
void WalkLine(int32 x0, int32 y0, int32 x1, int32 y1, Plot plot)
{
	const int32 dx = abs(x1 - x0);
	const int32 dy = -abs(y1 - y0);
	const int32 stepX = x0 < x1 ? 1 : -1;
	const int32 stepY = y0 < y1 ? 1 : -1;
	int32 error = dx + dy;
	int32 x = x0;
	int32 y = y0;
	while (true) {
		plot(x, y);
		if (x == x1 && y == y1)
			break;
		const int32 doubled = 2 * error;
		if (doubled >= dy) {
			error += dy;
			x += stepX;
		}
		if (doubled <= dx) {
			error += dx;
			y += stepY;
		}
	}
}

}  // namespace

void Painter::StrokeLine(int32 x0, int32 y0, int32 x1, int32 y1, uint32 color)
{
	// Horizontal and vertical lines are rectangles; others are walked point by point.
	if (y0 == y1) {
		FillRect({std::min(x0, x1), y0, std::max(x0, x1), y0}, color);
		return;
	}
	if (x0 == x1) {
		FillRect({x0, std::min(y0, y1), x0, std::max(y0, y1)}, color);
		return;
	}
	if (fScale != 1) {
		WalkLine(x0, y0, x1, y1, [this, color](int32 x, int32 y) { FillRect({x, y, x, y}, color); });
		return;
	}
	WalkLine(x0, y0, x1, y1, [this, color](int32 x, int32 y) { _PlotClipped(x, y, color); });
}

void Painter::StrokeRect(const PixelRect& rect, uint32 color)
{
	if (!rect.IsValid())
		return;
	FillRect({rect.left, rect.top, rect.right, rect.top}, color);
	if (rect.bottom != rect.top)
		FillRect({rect.left, rect.bottom, rect.right, rect.bottom}, color);
	if (rect.bottom - rect.top > 1) {
		FillRect({rect.left, rect.top + 1, rect.left, rect.bottom - 1}, color);
		FillRect({rect.right, rect.top + 1, rect.right, rect.bottom - 1}, color);
	}
}

void Painter::InvertRect(const PixelRect& rect)
{
	const PixelRect device = _ToDevice(rect);
	for (const PixelRect& clip : fClip) {
		const PixelRect area = device.Intersect(clip);
		if (!area.IsValid())
			continue;
		for (int32 y = area.top; y <= area.bottom; y++) {
			uint32* row = fTarget.Row(y);
			for (int32 x = area.left; x <= area.right; x++)
				row[x] ^= 0x00ffffffu;
		}
	}
}

// --- text

cairo_t* Painter::_Cairo()
{
	const uint32* pixels = fTarget.Data();
	if (fCairo == nullptr || pixels != fSurfacePixels || fTarget.Width() != fSurfaceWidth
		|| fTarget.Height() != fSurfaceHeight) {
		_ReleaseCairo();
		if (fTarget.Width() <= 0 || fTarget.Height() <= 0)
			return nullptr;
		// The buffer's opaque 0xAARRGGBB pixels are what cairo's ARGB32 holds.
		fSurface = cairo_image_surface_create_for_data(reinterpret_cast<uint8*>(fTarget.Row(0)),
			CAIRO_FORMAT_ARGB32, fTarget.Width(), fTarget.Height(), fTarget.Width() * 4);
		fCairo = cairo_create(fSurface);
		fSurfacePixels = pixels;
		fSurfaceWidth = fTarget.Width();
		fSurfaceHeight = fTarget.Height();
		fClipChanged = true;
	}
	if (fClipChanged) {
		cairo_identity_matrix(fCairo);
		cairo_reset_clip(fCairo);
		for (const PixelRect& rect : fClip)
			cairo_rectangle(fCairo, rect.left, rect.top, rect.Width(), rect.Height());
		cairo_clip(fCairo);
		cairo_scale(fCairo, fScale, fScale);
		fClipChanged = false;
	}
	return fCairo;
}

void Painter::_ReleaseCairo()
{
	if (fCairo != nullptr)
		cairo_destroy(fCairo);
	if (fSurface != nullptr)
		cairo_surface_destroy(fSurface);
	fCairo = nullptr;
	fSurface = nullptr;
	fSurfacePixels = nullptr;
}

void Painter::DrawText(const TextLayout& layout, int32 line, int32 x, int32 y, uint32 color,
	float visibleLeft, float visibleRight)
{
	if (fClip.empty())
		return;
	cairo_t* context = _Cairo();
	if (context == nullptr)
		return;
	// The other primitives write the pixels directly.
	cairo_surface_mark_dirty(fSurface);
	cairo_set_source_rgb(context, ((color >> 16) & 0xff) / 255.0, ((color >> 8) & 0xff) / 255.0,
		(color & 0xff) / 255.0);
	layout.Draw(context, line, x, y, visibleLeft, visibleRight);
	cairo_surface_flush(fSurface);
}
