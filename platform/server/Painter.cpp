#include "Painter.h"

#include <Utf8.h>

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

}  // namespace

void Painter::_BlendGlyphRow(uint32* row, int32 x0, int32 x1, const uint8* coverage,
	int32 glyphX, uint32 color)
{
	for (int32 x = x0; x <= x1; x++) {
		const uint8 amount = coverage[x - glyphX];
		if (amount != 0)
			row[x] = Blend(row[x], color, amount);
	}
}

// In the buffer's pixels: the pen's x and the baseline's row.
inline void Painter::_DrawGlyph(const FontFace::Glyph* glyph, int32 penX, int32 baseline,
	uint32 color)
{
	const PixelRect box = {penX + glyph->bearingX, baseline - glyph->bearingY,
		penX + glyph->bearingX + glyph->width - 1, baseline - glyph->bearingY + glyph->height - 1};
	if (!box.IsValid())
		return;
	for (const PixelRect& clip : fClip) {
		const PixelRect area = box.Intersect(clip);
		if (!area.IsValid())
			continue;
		for (int32 row = area.top; row <= area.bottom; row++) {
			const uint8* coverage = glyph->coverage.data() + (size_t)(row - box.top) * glyph->width;
			_BlendGlyphRow(fTarget.Row(row), area.left, area.right, coverage, box.left, color);
		}
	}
}

int32 Painter::DrawString(FontFace* face, float size, const char* text, int32 length, int32 x,
	int32 y, uint32 color)
{
	if (face == nullptr || text == nullptr)
		return 0;
	if (fScale != 1)
		return _DrawScaledString(face, size, text, length, x, y, color);
	const char* p = text;
	const char* end = text + length;
	int32 pen = x;
	while (p < end) {
		const FontFace::Glyph* glyph = face->GlyphFor(utf8::Decode(p, end), size);
		_DrawGlyph(glyph, pen, y, color);
		pen += glyph->advance;
	}
	return pen - x;
}

// Glyphs rasterised at the scaled size, so they stay sharp, each placed where the
// unscaled text puts it: what the views measured is where the text lands.
int32 Painter::_DrawScaledString(FontFace* face, float size, const char* text, int32 length,
	int32 x, int32 y, uint32 color)
{
	const char* p = text;
	const char* end = text + length;
	int32 pen = x;
	while (p < end) {
		const uint32 codepoint = utf8::Decode(p, end);
		_DrawGlyph(face->GlyphFor(codepoint, size * fScale), pen * fScale, y * fScale, color);
		pen += face->GlyphFor(codepoint, size)->advance;
	}
	return pen - x;
}

int32 MeasureString(FontFace* face, float size, const char* text, int32 length)
{
	if (face == nullptr || text == nullptr)
		return 0;
	const char* p = text;
	const char* end = text + length;
	int32 width = 0;
	while (p < end)
		width += face->GlyphFor(utf8::Decode(p, end), size)->advance;
	return width;
}
