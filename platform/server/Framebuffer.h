// A 32-bit pixel buffer (0xAARRGGBB per pixel, rows packed) and whole-pixel rectangles.
// Threading: a plain value; its owner serialises access.
#ifndef _SERVER_FRAMEBUFFER_H
#define _SERVER_FRAMEBUFFER_H

#include <SupportDefs.h>

#include <algorithm>
#include <vector>

// Inclusive edges, like the interface kit's rectangles.
struct PixelRect {
	int32 left = 0;
	int32 top = 0;
	int32 right = -1;
	int32 bottom = -1;

	bool IsValid() const { return left <= right && top <= bottom; }
	int32 Width() const { return right - left + 1; }
	int32 Height() const { return bottom - top + 1; }
	PixelRect Intersect(const PixelRect& o) const
	{
		return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
			std::min(bottom, o.bottom)};
	}
	PixelRect Offset(int32 dx, int32 dy) const
	{
		return {left + dx, top + dy, right + dx, bottom + dy};
	}
	bool Contains(int32 x, int32 y) const
	{
		return x >= left && x <= right && y >= top && y <= bottom;
	}
	bool operator==(const PixelRect& o) const
	{
		return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
	}
};

inline uint32 PackColor(uint8 red, uint8 green, uint8 blue)
{
	return 0xff000000u | ((uint32)red << 16) | ((uint32)green << 8) | blue;
}

class Framebuffer {
public:
	Framebuffer() = default;
	Framebuffer(int32 width, int32 height, uint32 fill = 0xffffffffu);

	void Resize(int32 width, int32 height, uint32 fill = 0xffffffffu);
	int32 Width() const { return fWidth; }
	int32 Height() const { return fHeight; }
	PixelRect Bounds() const { return {0, 0, fWidth - 1, fHeight - 1}; }

	uint32* Row(int32 y) { return fPixels.data() + (size_t)y * fWidth; }
	const uint32* Row(int32 y) const { return fPixels.data() + (size_t)y * fWidth; }
	uint32 PixelAt(int32 x, int32 y) const { return Row(y)[x]; }
	const uint32* Data() const { return fPixels.data(); }

	// Copies rect of source (same coordinates in both) into this buffer, clipped to both.
	void CopyFrom(const Framebuffer& source, const PixelRect& rect);
	// Copies all of source with its origin at (x, y) here, clipped.
	void Blit(const Framebuffer& source, int32 x, int32 y);

private:
	int32 fWidth = 0;
	int32 fHeight = 0;
	std::vector<uint32> fPixels;
};

#endif
