#include "Framebuffer.h"

#include <string.h>

Framebuffer::Framebuffer(int32 width, int32 height, uint32 fill)
{
	Resize(width, height, fill);
}

void Framebuffer::Resize(int32 width, int32 height, uint32 fill)
{
	fWidth = std::max<int32>(width, 0);
	fHeight = std::max<int32>(height, 0);
	fPixels.assign((size_t)fWidth * fHeight, fill);
}

void Framebuffer::CopyFrom(const Framebuffer& source, const PixelRect& rect)
{
	const PixelRect clipped = rect.Intersect(Bounds()).Intersect(source.Bounds());
	if (!clipped.IsValid())
		return;
	for (int32 y = clipped.top; y <= clipped.bottom; y++) {
		memcpy(Row(y) + clipped.left, source.Row(y) + clipped.left,
			sizeof(uint32) * clipped.Width());
	}
}

void Framebuffer::Blit(const Framebuffer& source, int32 x, int32 y)
{
	const PixelRect target = source.Bounds().Offset(x, y).Intersect(Bounds());
	if (!target.IsValid())
		return;
	for (int32 row = target.top; row <= target.bottom; row++) {
		memcpy(Row(row) + target.left, source.Row(row - y) + (target.left - x),
			sizeof(uint32) * target.Width());
	}
}
