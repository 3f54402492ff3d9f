// One font file opened with FreeType, with its cache of rendered glyphs per size.
// Threading: any thread; an internal mutex guards FreeType and the cache, and
// returned glyphs stay valid for the face's lifetime.
#ifndef _SERVER_FONT_FACE_H
#define _SERVER_FONT_FACE_H

#include <SupportDefs.h>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

struct FT_FaceRec_;
struct FT_LibraryRec_;

class FontFace {
public:
	struct Glyph {
		int32 bearingX = 0;  // from the pen to the bitmap's left column
		int32 bearingY = 0;  // from the baseline up to the bitmap's top row
		int32 width = 0;
		int32 height = 0;
		int32 advance = 0;   // whole pixels
		std::vector<uint8> coverage;  // width * height, 0 to 255
	};
	struct Metrics {
		float ascent = 0;
		float descent = 0;
		float leading = 0;
	};

	// Takes the FreeType library from the engine, which outlives every face.
	static std::unique_ptr<FontFace> Open(FT_LibraryRec_* library, const std::string& path,
		int32 index, const std::string& family, const std::string& style);
	~FontFace();

	const std::string& Family() const { return fFamily; }
	const std::string& Style() const { return fStyle; }

	// The glyph for a character; falls back to the fallback face and then to a
	// hollow box, so it never returns null.
	const Glyph* GlyphFor(uint32 codepoint, float size);
	Metrics MetricsFor(float size);
	bool HasGlyph(uint32 codepoint);

	void SetFallback(FontFace* fallback) { fFallback = fallback; }

private:
	FontFace(FT_FaceRec_* face, const std::string& family, const std::string& style);
	const Glyph* RenderLocked(uint32 codepoint, float size, uint64 key);
	void SelectSizeLocked(float size);

	FT_FaceRec_* fFace;
	std::string fFamily;
	std::string fStyle;
	FontFace* fFallback = nullptr;
	std::mutex fMutex;
	float fSelectedSize = -1;
	std::unordered_map<uint64, std::unique_ptr<Glyph>> fGlyphs;
};

#endif
