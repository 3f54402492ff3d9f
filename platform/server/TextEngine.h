// The one text engine of the platform, on Pango: fonts found through fontconfig
// with a fallback per run to any installed font that covers the text, text shaped
// by HarfBuzz and ordered by the Unicode bidirectional algorithm. Metrics are
// hinted and glyph positions whole pixels, so that where Liberation Sans covers
// the text its advances and baselines are those of FreeType's own hinting at 10
// pixels to the em. It measures texts and keeps the layouts of the texts drawn
// lately (a bounded number, whatever the data behind them).
// Threading: any thread. Pango is not thread-safe, so every use of its objects,
// here and in TextLayout, happens under the engine's one lock.
#ifndef _SERVER_TEXT_ENGINE_H
#define _SERVER_TEXT_ENGINE_H

#include "GlyphImages.h"

#include <SupportDefs.h>

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TextLayout;

typedef struct _PangoAnalysis PangoAnalysis;
typedef struct _PangoAttrList PangoAttrList;
typedef struct _PangoContext PangoContext;
typedef struct _PangoFontDescription PangoFontDescription;
typedef struct _PangoFontMap PangoFontMap;
typedef struct _PangoGlyphString PangoGlyphString;
typedef struct _PangoLayout PangoLayout;

// A font as the interface kit names it: family, style ("Regular", "Bold
// Italic"...) and size in pixels to the em.
struct TextFont {
	const char* family;
	const char* style;
	float size;
};

struct TextMetrics {
	float ascent = 0;   // whole pixels, of the font itself (not of its fallbacks)
	float descent = 0;
	float leading = 0;
};

class TextEngine {
public:
	// Told of every line drawn, with its left edge and baseline in the painter's
	// coordinates; for tests that check what reached the screen.
	using DrawObserver = std::function<void(const TextLayout& layout, int32 line, float x,
		float baseline)>;

	static TextEngine& Default();

	std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(fLock); }

	// Whether an installed font has this family (case ignored).
	bool HasFamily(const char* family);
	TextMetrics Metrics(const TextFont& font);
	// The laid-out line of a text, shared and kept while it is among the texts
	// used lately; the same text in the same font gives the same layout.
	std::shared_ptr<const TextLayout> Line(const TextFont& font, std::string_view text);
	float Width(const TextFont& font, std::string_view text);

	void SetDrawObserver(DrawObserver observer);
	void NoteDrawn(const TextLayout& layout, int32 line, float x, float baseline);

	// For TextLayout, under the lock: the context layouts are made in, the
	// description of a font (owned by the engine), the glyphs' images, and how
	// the library shapes a run of text of one script (a GUnicodeScript) in the
	// font itself: null when the font does not cover the script.
	PangoContext* Context() const { return fContext; }
	const PangoFontDescription* Description(const TextFont& font);
	const PangoAnalysis* PlainAnalysis(const TextFont& font, int32 script);
	GlyphImages& Glyphs() { return fGlyphs; }
	// A glyph string to shape into, used again and again.
	PangoGlyphString* ScratchGlyphs() { return fScratchGlyphs; }
	// The attributes every layout's valid UTF-8 text gets (the caller's to free).
	static PangoAttrList* AttributesFor(std::string_view text);

	static constexpr size_t kKeptLines = 4096;

private:
	struct Font {
		PangoFontDescription* description;
		TextMetrics metrics;
		int32 id;
	};
	struct Kept {
		int32 font;
		std::shared_ptr<const TextLayout> layout;
	};
	// A kept line by its font and its text (the layout's own, while it is kept).
	struct KeptKey {
		int32 font;
		std::string_view text;
		bool operator==(const KeptKey& other) const
		{
			return font == other.font && text == other.text;
		}
	};
	struct KeptKeyHash {
		size_t operator()(const KeptKey& key) const
		{
			return std::hash<std::string_view>()(key.text) ^ (size_t)key.font;
		}
	};

	// Made once and kept to the process's end: windows draw up to the last moment.
	TextEngine();
	Font& _FontFor(const TextFont& font);
	PangoLayout* _PlainSample(const PangoFontDescription* description, const char* family,
		int32 script);

	std::recursive_mutex fLock;
	PangoFontMap* fFontMap = nullptr;
	PangoContext* fContext = nullptr;
	std::map<std::string, Font> fFonts;
	Font* fLastFont = nullptr;  // the font asked for last, and its names
	std::string fLastFamily;
	std::string fLastStyle;
	float fLastSize = 0;
	std::vector<std::string> fFamilies;  // lower case, listed at the first question
	std::list<Kept> fKept;  // most recently used first
	std::unordered_map<KeptKey, std::list<Kept>::iterator, KeptKeyHash> fKeptByKey;
	std::map<std::pair<int32, int32>, PangoLayout*> fPlainSamples;  // by font and script
	GlyphImages fGlyphs;
	PangoGlyphString* fScratchGlyphs = nullptr;
	DrawObserver fObserver;
};

#endif
