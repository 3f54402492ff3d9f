#include "GlyphImages.h"

#include <cairo-ft.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <math.h>

GlyphImages::~GlyphImages()
{
	for (auto& [key, device] : fDevices) {
		cairo_scaled_font_destroy(device.font);
		g_object_unref(key.first);
	}
}

// The font at scale times its size in device pixels, with what the text engine
// asked of it (hinting, smoothing); one image of it is one of the device.
cairo_scaled_font_t* GlyphImages::_DeviceFont(PangoFont* font, int32 scale)
{
	const auto key = std::make_pair(font, scale);
	auto found = fDevices.find(key);
	if (found != fDevices.end())
		return found->second.font;
	cairo_scaled_font_t* user = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
	cairo_matrix_t matrix;
	cairo_scaled_font_get_font_matrix(user, &matrix);
	cairo_matrix_scale(&matrix, scale, scale);
	cairo_matrix_t identity;
	cairo_matrix_init_identity(&identity);
	cairo_font_options_t* options = cairo_font_options_create();
	cairo_scaled_font_get_font_options(user, options);
	cairo_scaled_font_t* device = cairo_scaled_font_create(cairo_scaled_font_get_font_face(user),
		&matrix, &identity, options);
	cairo_font_options_destroy(options);
	bool color = false;
	if (FT_Face face = cairo_ft_scaled_font_lock_face(device)) {
		color = FT_HAS_COLOR(face);
		cairo_ft_scaled_font_unlock_face(device);
	}
	g_object_ref(font);
	fDevices.emplace(key, Device{device, color});
	fDeviceNumbers.emplace(device, (uint32)fDeviceNumbers.size());
	return device;
}

const GlyphImages::Image& GlyphImages::Get(PangoFont* font, uint32 glyph, int32 scale)
{
	cairo_scaled_font_t* device = _DeviceFont(font, scale);
	const uint64 key = ((uint64)fDeviceNumbers[device] << 32) | glyph;
	auto found = fImages.find(key);
	if (found != fImages.end())
		return found->second;
	if (fImages.size() >= kKept)
		fImages.clear();
	const bool color = fDevices[std::make_pair(font, scale)].color;
	return fImages.emplace(key, _Render(device, glyph, color)).first->second;
}

GlyphImages::Image GlyphImages::_Render(cairo_scaled_font_t* font, uint32 glyph, bool color)
{
	Image image;
	cairo_glyph_t drawn = {glyph, 0, 0};
	cairo_text_extents_t extents;
	cairo_scaled_font_glyph_extents(font, &drawn, 1, &extents);
	if (extents.width <= 0 || extents.height <= 0)
		return image;
	// A pixel to spare on every side of the ink cairo reports.
	image.left = (int32)floor(extents.x_bearing) - 1;
	image.top = (int32)floor(extents.y_bearing) - 1;
	image.width = (int32)ceil(extents.x_bearing + extents.width) + 1 - image.left;
	image.height = (int32)ceil(extents.y_bearing + extents.height) + 1 - image.top;
	image.color = color;
	cairo_surface_t* surface = cairo_image_surface_create(color ? CAIRO_FORMAT_ARGB32
		: CAIRO_FORMAT_A8, image.width, image.height);
	cairo_t* context = cairo_create(surface);
	cairo_set_scaled_font(context, font);
	drawn.x = -image.left;
	drawn.y = -image.top;
	cairo_show_glyphs(context, &drawn, 1);
	cairo_destroy(context);
	cairo_surface_flush(surface);
	const uint8* data = cairo_image_surface_get_data(surface);
	const int stride = cairo_image_surface_get_stride(surface);
	for (int32 row = 0; row < image.height; row++) {
		const uint8* source = data + (ptrdiff_t)row * stride;
		if (color) {
			const uint32* pixels = reinterpret_cast<const uint32*>(source);
			image.pixels.insert(image.pixels.end(), pixels, pixels + image.width);
		} else {
			image.coverage.insert(image.coverage.end(), source, source + image.width);
		}
	}
	cairo_surface_destroy(surface);
	_Crop(image);
	return image;
}

// Down to the pixels that show, as the blending goes over every one kept.
void GlyphImages::_Crop(Image& image)
{
	const auto shows = [&](int32 x, int32 y) {
		const size_t at = (size_t)y * image.width + x;
		return image.color ? image.pixels[at] != 0 : image.coverage[at] != 0;
	};
	int32 left = image.width, top = image.height, right = -1, bottom = -1;
	for (int32 y = 0; y < image.height; y++) {
		for (int32 x = 0; x < image.width; x++) {
			if (shows(x, y)) {
				left = std::min(left, x);
				right = std::max(right, x);
				top = std::min(top, y);
				bottom = std::max(bottom, y);
			}
		}
	}
	Image cropped;
	cropped.color = image.color;
	if (right >= left) {
		cropped.left = image.left + left;
		cropped.top = image.top + top;
		cropped.width = right - left + 1;
		cropped.height = bottom - top + 1;
		for (int32 y = top; y <= bottom; y++) {
			const size_t from = (size_t)y * image.width + left;
			if (image.color) {
				cropped.pixels.insert(cropped.pixels.end(), image.pixels.begin() + from,
					image.pixels.begin() + from + cropped.width);
			} else {
				cropped.coverage.insert(cropped.coverage.end(), image.coverage.begin() + from,
					image.coverage.begin() + from + cropped.width);
			}
		}
	}
	image = std::move(cropped);
}
