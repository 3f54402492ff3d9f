#include "LegacyText.h"

#include <Utf8.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <math.h>

namespace legacy {

namespace {

std::mutex sFacesLock;
std::map<std::string, std::unique_ptr<Face>> sFaces;

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

Face* Face::For(const std::string& family, const std::string& style)
{
	std::lock_guard<std::mutex> lock(sFacesLock);
	const std::string key = family + "\n" + style;
	auto found = sFaces.find(key);
	if (found != sFaces.end())
		return found->second.get();
	static FT_Library library = nullptr;
	if (library == nullptr) {
		FcInit();
		FT_Init_FreeType(&library);
	}
	const std::string name = family + ":style=" + style;
	FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str()));
	FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
	FcDefaultSubstitute(pattern);
	FcResult result;
	FcPattern* match = FcFontMatch(nullptr, pattern, &result);
	FcChar8* file = nullptr;
	FT_Face face = nullptr;
	if (match == nullptr || FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch
		|| FT_New_Face(library, reinterpret_cast<const char*>(file), 0, &face) != 0)
		face = nullptr;
	if (match != nullptr)
		FcPatternDestroy(match);
	FcPatternDestroy(pattern);
	if (face == nullptr)
		return nullptr;
	return sFaces.emplace(key, std::unique_ptr<Face>(new Face(face))).first->second.get();
}

void Face::_SelectSize(float size)
{
	if (size != fSelectedSize) {
		FT_Set_Char_Size(fFace, 0, lroundf(size * 64), 72, 72);
		fSelectedSize = size;
	}
}

float Face::Ascent(float size)
{
	std::lock_guard<std::mutex> lock(fMutex);
	_SelectSize(size);
	return fFace->size->metrics.ascender / 64.0f;
}

const Face::Glyph* Face::GlyphFor(uint32 codepoint, float size)
{
	const uint64 key = ((uint64)lroundf(size * 64) << 32) | codepoint;
	std::lock_guard<std::mutex> lock(fMutex);
	auto found = fGlyphs.find(key);
	if (found != fGlyphs.end())
		return found->second.get();
	_SelectSize(size);
	auto glyph = std::make_unique<Glyph>();
	const FT_UInt index = FT_Get_Char_Index(fFace, codepoint);
	if (FT_Load_Glyph(fFace, index, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
		const FT_GlyphSlot slot = fFace->glyph;
		glyph->bearingX = slot->bitmap_left;
		glyph->bearingY = slot->bitmap_top;
		glyph->width = (int32)slot->bitmap.width;
		glyph->height = (int32)slot->bitmap.rows;
		glyph->advance = (int32)((slot->advance.x + 32) >> 6);
		glyph->coverage.resize((size_t)glyph->width * glyph->height);
		for (int32 y = 0; y < glyph->height; y++) {
			const uint8* source = slot->bitmap.buffer + (ptrdiff_t)y * slot->bitmap.pitch;
			std::copy(source, source + glyph->width, glyph->coverage.data() + y * glyph->width);
		}
	}
	return fGlyphs.emplace(key, std::move(glyph)).first->second.get();
}

int32 DrawString(Framebuffer& target, const PixelRect& clip, Face* face, float size,
	const char* text, int32 length, int32 x, int32 y, uint32 color)
{
	const char* p = text;
	const char* end = text + length;
	int32 pen = x;
	while (p < end) {
		const Face::Glyph* glyph = face->GlyphFor(utf8::Decode(p, end), size);
		const PixelRect box = {pen + glyph->bearingX, y - glyph->bearingY,
			pen + glyph->bearingX + glyph->width - 1, y - glyph->bearingY + glyph->height - 1};
		const PixelRect area = box.Intersect(clip);
		for (int32 row = area.top; area.IsValid() && row <= area.bottom; row++) {
			const uint8* coverage = glyph->coverage.data() + (size_t)(row - box.top) * glyph->width;
			uint32* pixels = target.Row(row);
			for (int32 column = area.left; column <= area.right; column++) {
				const uint8 amount = coverage[column - box.left];
				if (amount != 0)
					pixels[column] = Blend(pixels[column], color, amount);
			}
		}
		pen += glyph->advance;
	}
	return pen - x;
}

}  // namespace legacy
