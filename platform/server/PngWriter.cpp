#include "PngWriter.h"

#include <errno.h>
#include <png.h>
#include <stdio.h>

#include <vector>

status_t WritePng(const Framebuffer& frame, const char* path)
{
	if (frame.Width() <= 0 || frame.Height() <= 0)
		return B_BAD_VALUE;
	FILE* file = fopen(path, "wb");
	if (file == nullptr)
		return status_from_errno(errno);
	png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
	png_infop info = png ? png_create_info_struct(png) : nullptr;
	if (png == nullptr || info == nullptr) {
		png_destroy_write_struct(&png, &info);
		fclose(file);
		return B_NO_MEMORY;
	}
	std::vector<png_byte> row((size_t)frame.Width() * 3);
	if (setjmp(png_jmpbuf(png))) {
		png_destroy_write_struct(&png, &info);
		fclose(file);
		return B_ERROR;
	}
	png_init_io(png, file);
	png_set_IHDR(png, info, frame.Width(), frame.Height(), 8, PNG_COLOR_TYPE_RGB,
		PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
	png_write_info(png, info);
	for (int32 y = 0; y < frame.Height(); y++) {
		const uint32* pixels = frame.Row(y);
		for (int32 x = 0; x < frame.Width(); x++) {
			row[x * 3] = (pixels[x] >> 16) & 0xff;
			row[x * 3 + 1] = (pixels[x] >> 8) & 0xff;
			row[x * 3 + 2] = pixels[x] & 0xff;
		}
		png_write_row(png, row.data());
	}
	png_write_end(png, info);
	png_destroy_write_struct(&png, &info);
	return fclose(file) == 0 ? B_OK : status_from_errno(errno);
}
