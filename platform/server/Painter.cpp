#include "Painter.h"

#include "TextLayout.h"

#include <pango/pango.h>

#include <math.h>
#include <stdlib.h>

Painter::Painter(Framebuffer& target, int32 scale)
	: fTarget(target), fScale(scale == 2 ? 2 : 1)
{
	ClearClip();
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
	fClip.clear();
	for (const PixelRect& rect : rects) {
		const PixelRect clipped = _ToDevice(rect).Intersect(fTarget.Bounds());
		if (clipped.IsValid())
			fClip.push_back(clipped);
	}
}

bool Painter::MayShowText(int32 x, int32 y, float size) const
{
	const int32 reach = (int32)ceilf(size);
	const PixelRect text = _ToDevice({x - reach, y - 2 * reach, INT32_MAX / 4, y + reach});
	for (const PixelRect& clip : fClip) {
		if (text.Intersect(clip).IsValid())
			return true;
	}
	return false;
}

void Painter::ClearClip()
{
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

namespace {

uint32 Blend(uint32 background, uint32 color, uint32 coverage)
{
	if (coverage == 255)
		return color;
	const uint32 inverse = 255 - coverage;
	uint32 result = 0xff000000u;
	for (int32 shift = 0; shift <= 16; shift += 8) {
		const uint32 bg = (background >> shift) & 0xff;
		const uint32 fg = (color >> shift) & 0xff;
		result |= (((fg * coverage + bg * inverse + 127) / 255) & 0xff) << shift;
	}
	return result;
}

// A premultiplied colour pixel over an opaque one.
uint32 Over(uint32 background, uint32 pixel)
{
	const uint32 inverse = 255 - (pixel >> 24);
	uint32 result = 0xff000000u;
	for (int32 shift = 0; shift <= 16; shift += 8) {
		const uint32 bg = (background >> shift) & 0xff;
		const uint32 fg = (pixel >> shift) & 0xff;
		result |= std::min<uint32>(255, fg + (bg * inverse + 127) / 255) << shift;
	}
	return result;
}

}  // namespace

// In the buffer's pixels: the pen's x and the baseline's row.
void Painter::_DrawGlyph(const GlyphImages::Image& image, int32 penX, int32 baseline,
	uint32 color)
{
	const PixelRect box = {penX + image.left, baseline + image.top,
		penX + image.left + image.width - 1, baseline + image.top + image.height - 1};
	if (!box.IsValid())
		return;
	for (const PixelRect& clip : fClip) {
		const PixelRect area = box.Intersect(clip);
		for (int32 y = area.top; area.IsValid() && y <= area.bottom; y++) {
			uint32* row = fTarget.Row(y) + area.left;
			const size_t first = (size_t)(y - box.top) * image.width + (area.left - box.left);
			const int32 count = area.Width();
			if (image.color) {
				const uint32* pixels = image.pixels.data() + first;
				for (int32 i = 0; i < count; i++) {
					if (pixels[i] != 0)
						row[i] = Over(row[i], pixels[i]);
				}
			} else {
				const uint8* coverage = image.coverage.data() + first;
				for (int32 i = 0; i < count; i++) {
					if (coverage[i] != 0)
						row[i] = Blend(row[i], color, coverage[i]);
				}
			}
		}
	}
}

// What no installed font can show: a hollow box the height of a capital, so the
// gap shows (API pixels).
void Painter::_DrawMissingGlyph(int32 x, int32 baseline, int32 advance, float size, uint32 color)
{
	const int32 height = std::max<int32>(2, (int32)lroundf(size * 0.7f));
	const int32 width = std::max<int32>(2, advance - 2);
	StrokeRect({x + 1, baseline - height, x + width, baseline - 1}, color);
}

void Painter::DrawText(const TextLayout& layout, int32 line, int32 x, int32 y, uint32 color,
	float visibleLeft, float visibleRight)
{
	if (fClip.empty())
		return;
	TextEngine& engine = TextEngine::Default();
	auto lock = engine.Lock();
	for (const TextLayout::GlyphRun& run : layout.GlyphRuns()) {
		if (run.line != line)
			continue;
		for (const TextLayout::Glyph& glyph : run.glyphs) {
			// Positions are whole pixels: the engine rounds them.
			if (x + PANGO_PIXELS(glyph.clusterLeft) < visibleLeft
				|| x + PANGO_PIXELS(glyph.clusterRight) > visibleRight + 1
				|| glyph.id == PANGO_GLYPH_EMPTY)
				continue;
			const int32 penX = x + PANGO_PIXELS(glyph.x);
			const int32 baseline = y + PANGO_PIXELS(glyph.y);
			if (glyph.id & PANGO_GLYPH_UNKNOWN_FLAG) {
				_DrawMissingGlyph(penX, baseline, PANGO_PIXELS(glyph.advance), layout.FontSize(),
					color);
				continue;
			}
			_DrawGlyph(engine.Glyphs().Get(run.font, glyph.id, fScale), penX * fScale,
				baseline * fScale, color);
		}
	}
	engine.NoteDrawn(layout, line, (float)x, (float)y);
}
