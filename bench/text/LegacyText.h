// The text path the platform had before its text engine, kept here as the
// benchmarks' baseline: one FreeType face per family and style found through
// fontconfig, a cache of rendered glyphs per code point and size behind a
// mutex, and glyphs blended side by side into the buffer, one code point each.
// Threading: any thread; the face's mutex guards FreeType and the cache.
#ifndef _CVAB_BENCH_LEGACY_TEXT_H
#define _CVAB_BENCH_LEGACY_TEXT_H

#include <Framebuffer.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

struct FT_FaceRec_;
struct FT_LibraryRec_;

namespace legacy {

class Face {
public:
	struct Glyph {
		int32 bearingX = 0;
		int32 bearingY = 0;
		int32 width = 0;
		int32 height = 0;
		int32 advance = 0;
		std::vector<uint8> coverage;
	};

	// The face of a family and style, opened once; null when fontconfig has none.
	static Face* For(const std::string& family, const std::string& style);

	const Glyph* GlyphFor(uint32 codepoint, float size);
	float Ascent(float size);

private:
	explicit Face(FT_FaceRec_* face) : fFace(face) {}
	void _SelectSize(float size);

	FT_FaceRec_* fFace;
	std::mutex fMutex;
	float fSelectedSize = -1;
	std::unordered_map<uint64, std::unique_ptr<Glyph>> fGlyphs;
};

// Draws UTF-8 text with its baseline at y from x, clipped to clip; the advance.
int32 DrawString(Framebuffer& target, const PixelRect& clip, Face* face, float size,
	const char* text, int32 length, int32 x, int32 y, uint32 color);

}  // namespace legacy

#endif
