#include "FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <math.h>

namespace {

uint64 GlyphKey(uint32 codepoint, float size)
{
	return ((uint64)lroundf(size * 64) << 32) | codepoint;
}

int32 SizeIn26_6(float size)
{
	return (int32)lroundf(size * 64);
}

}  // namespace

std::unique_ptr<FontFace> FontFace::Open(FT_LibraryRec_* library, const std::string& path,
	int32 index, const std::string& family, const std::string& style)
{
	FT_Face face = nullptr;
	if (FT_New_Face(library, path.c_str(), index, &face) != 0)
		return nullptr;
	return std::unique_ptr<FontFace>(new FontFace(face, family, style));
}

FontFace::FontFace(FT_FaceRec_* face, const std::string& family, const std::string& style)
	: fFace(face), fFamily(family), fStyle(style)
{
}

FontFace::~FontFace()
{
	FT_Done_Face(fFace);
}

void FontFace::SelectSizeLocked(float size)
{
	if (size == fSelectedSize)
		return;
	// Pixels to the em: a 10-point font is 10 pixels high on this screen.
	FT_Set_Char_Size(fFace, 0, SizeIn26_6(size), 72, 72);
	fSelectedSize = size;
}

bool FontFace::HasGlyph(uint32 codepoint)
{
	std::lock_guard<std::mutex> lock(fMutex);
	return FT_Get_Char_Index(fFace, codepoint) != 0;
}

const FontFace::Glyph* FontFace::GlyphFor(uint32 codepoint, float size)
{
	const uint64 key = GlyphKey(codepoint, size);
	{
		std::lock_guard<std::mutex> lock(fMutex);
		auto found = fGlyphs.find(key);
		if (found != fGlyphs.end())
			return found->second.get();
		if (FT_Get_Char_Index(fFace, codepoint) != 0 || fFallback == nullptr)
			return RenderLocked(codepoint, size, key);
	}
	// Not in this face: the fallback's glyph, remembered here for next time.
	const Glyph* borrowed = fFallback->GlyphFor(codepoint, size);
	std::lock_guard<std::mutex> lock(fMutex);
	auto inserted = fGlyphs.try_emplace(key, std::make_unique<Glyph>(*borrowed));
	return inserted.first->second.get();
}

const FontFace::Glyph* FontFace::RenderLocked(uint32 codepoint, float size, uint64 key)
{
	SelectSizeLocked(size);
	auto glyph = std::make_unique<Glyph>();
	const FT_UInt index = FT_Get_Char_Index(fFace, codepoint);
	if (index != 0 && FT_Load_Glyph(fFace, index, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
		const FT_GlyphSlot slot = fFace->glyph;
		const FT_Bitmap& bitmap = slot->bitmap;
		glyph->bearingX = slot->bitmap_left;
		glyph->bearingY = slot->bitmap_top;
		glyph->width = (int32)bitmap.width;
		glyph->height = (int32)bitmap.rows;
		glyph->advance = (int32)((slot->advance.x + 32) >> 6);
		glyph->coverage.resize((size_t)glyph->width * glyph->height);
		for (int32 y = 0; y < glyph->height; y++) {
			const uint8* source = bitmap.buffer + (ptrdiff_t)y * bitmap.pitch;
			for (int32 x = 0; x < glyph->width; x++) {
				glyph->coverage[(size_t)y * glyph->width + x] = bitmap.pixel_mode
					== FT_PIXEL_MODE_MONO ? ((source[x >> 3] >> (7 - (x & 7))) & 1) * 255
					: source[x];
			}
		}
	} else {
		// No font has it: a hollow box the height of a capital, so the gap shows.
		const int32 height = std::max<int32>(2, (int32)lroundf(size * 0.7f));
		const int32 width = std::max<int32>(2, (int32)lroundf(size * 0.5f));
		glyph->bearingX = 1;
		glyph->bearingY = height;
		glyph->width = width;
		glyph->height = height;
		glyph->advance = width + 2;
		glyph->coverage.assign((size_t)width * height, 0);
		for (int32 y = 0; y < height; y++) {
			for (int32 x = 0; x < width; x++) {
				if (y == 0 || y == height - 1 || x == 0 || x == width - 1)
					glyph->coverage[(size_t)y * width + x] = 255;
			}
		}
	}
	const Glyph* result = glyph.get();
	fGlyphs.emplace(key, std::move(glyph));
	return result;
}

FontFace::Metrics FontFace::MetricsFor(float size)
{
	std::lock_guard<std::mutex> lock(fMutex);
	SelectSizeLocked(size);
	const FT_Size_Metrics& metrics = fFace->size->metrics;
	Metrics result;
	result.ascent = metrics.ascender / 64.0f;
	result.descent = -metrics.descender / 64.0f;
	result.leading = std::max(0.0f, metrics.height / 64.0f - result.ascent - result.descent);
	return result;
}
