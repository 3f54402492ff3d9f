// Glyphs as cairo renders them through FreeType (hinted outlines smoothed in
// grey; colour bitmaps, such as emoji, scaled to the font's size), rendered once
// per font, glyph and device scale and kept for the painter to blend. Keeping a
// font's images keeps the font itself, so a font's address names it for good.
// Threading: under the text engine's lock.
#ifndef _SERVER_GLYPH_IMAGES_H
#define _SERVER_GLYPH_IMAGES_H

#include <SupportDefs.h>

#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

typedef struct _PangoFont PangoFont;
typedef struct _cairo_scaled_font cairo_scaled_font_t;

class GlyphImages {
public:
	struct Image {
		int32 left = 0;  // from the pen to the image's left column, device pixels
		int32 top = 0;   // from the baseline to its top row (negative above)
		int32 width = 0;
		int32 height = 0;
		bool color = false;           // pixels premultiplied 0xAARRGGBB, else coverage
		std::vector<uint8> coverage;  // width * height
		std::vector<uint32> pixels;   // width * height
	};

	~GlyphImages();

	// The glyph of font at scale (1 or 2) device pixels to the font's one.
	const Image& Get(PangoFont* font, uint32 glyph, int32 scale);

	// Beyond this many images all are dropped and rendered again as needed.
	static constexpr size_t kKept = 8192;

private:
	cairo_scaled_font_t* _DeviceFont(PangoFont* font, int32 scale);
	static Image _Render(cairo_scaled_font_t* font, uint32 glyph, bool color);
	static void _Crop(Image& image);

	struct Device {
		cairo_scaled_font_t* font;
		bool color;
	};
	std::map<std::pair<PangoFont*, int32>, Device> fDevices;
	std::unordered_map<uint64, Image> fImages;  // by device font number and glyph
	std::map<cairo_scaled_font_t*, uint32> fDeviceNumbers;
};

#endif
