// Looks at a rectangle of the X screen for the desktop checks: prints how many of
// its pixels are dark and the longest run of dark pixels within one row (an
// underline makes a long one), and saves it as a PNG when given a file.
// Usage: x_region X Y WIDTH HEIGHT [PICTURE.png]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
	if (argc < 5) {
		std::fprintf(stderr, "usage: x_region X Y WIDTH HEIGHT [PICTURE.png]\n");
		return 64;
	}
	const int x = std::atoi(argv[1]);
	const int y = std::atoi(argv[2]);
	const int width = std::atoi(argv[3]);
	const int height = std::atoi(argv[4]);
	Display* display = XOpenDisplay(nullptr);
	XImage* image = display != nullptr && width > 0 && height > 0
		? XGetImage(display, DefaultRootWindow(display), x, y, (unsigned)width, (unsigned)height,
			AllPlanes, ZPixmap)
		: nullptr;
	if (image == nullptr) {
		std::fprintf(stderr, "cannot read the screen there\n");
		return 1;
	}
	std::vector<unsigned char> rgb(size_t(width) * height * 3);
	int dark = 0;
	int longest = 0;
	for (int row = 0; row < height; row++) {
		int run = 0;
		for (int column = 0; column < width; column++) {
			const unsigned long pixel = XGetPixel(image, column, row);
			unsigned char* out = &rgb[(size_t(row) * width + column) * 3];
			out[0] = (pixel >> 16) & 0xff;
			out[1] = (pixel >> 8) & 0xff;
			out[2] = pixel & 0xff;
			const bool isDark = std::max({out[0], out[1], out[2]}) < 110;
			dark += isDark;
			run = isDark ? run + 1 : 0;
			longest = std::max(longest, run);
		}
	}
	XDestroyImage(image);
	XCloseDisplay(display);
	std::printf("dark=%d run=%d\n", dark, longest);
	if (argc > 5) {
		png_image picture{};
		picture.version = PNG_IMAGE_VERSION;
		picture.width = (png_uint_32)width;
		picture.height = (png_uint_32)height;
		picture.format = PNG_FORMAT_RGB;
		if (!png_image_write_to_file(&picture, argv[5], 0, rgb.data(), 0, nullptr))
			std::fprintf(stderr, "cannot write %s\n", argv[5]);
	}
	return 0;
}
