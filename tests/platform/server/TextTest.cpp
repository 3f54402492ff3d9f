// Font lookup, glyph cache, text drawing at a baseline and malformed UTF-8.
#include <FontEngine.h>
#include <Painter.h>
#include <Utf8.h>

#include <gtest/gtest.h>

#include <string.h>

namespace {

const uint32 kWhite = PackColor(255, 255, 255);

FontFace* Sans()
{
	return FontEngine::Default().FaceFor("Liberation Sans", "Regular");
}

// The box of the pixels that are not white.
PixelRect InkBox(const Framebuffer& frame)
{
	PixelRect box{frame.Width(), frame.Height(), -1, -1};
	for (int32 y = 0; y < frame.Height(); y++) {
		for (int32 x = 0; x < frame.Width(); x++) {
			if (frame.PixelAt(x, y) != kWhite)
				box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
					std::max(box.bottom, y)};
		}
	}
	return box;
}

TEST(Utf8Decoding, MalformedInputGivesTheReplacementAByte)
{
	// Sequences of every length are typed and stepped over in the text view tests.
	const char text[] = "\xf0\x9f\x98\x80";
	const char* p = text;
	EXPECT_EQ(utf8::Decode(p, text + 4), 0x1f600u);
	// Malformed input gives the replacement and moves on by one byte.
	for (const char* bad : {"\xff", "\x80", "\xc3", "\xe2\x82", "\xc0\xaf", "\xed\xa0\x80",
			 "\xf4\x90\x80\x80", "\xc3\x41"}) {
		const char* p = bad;
		const char* end = bad + strlen(bad);
		EXPECT_EQ(utf8::Decode(p, end), utf8::kReplacement) << (int)(uint8)bad[0];
		EXPECT_EQ(p, bad + 1);
	}
	EXPECT_EQ(utf8::CharLength("\xe2\x82\xac!", 0, 4), 3);
	EXPECT_EQ(utf8::CharLength("\xe2\x82", 0, 2), 1);
}

TEST(FontLookup, FacesAndGlyphsAreFoundOnceAndWhatIsMissingFallsBack)
{
	FontFace* sans = Sans();
	ASSERT_NE(sans, nullptr);
	EXPECT_EQ(sans->Family(), "Liberation Sans");
	FontFace* missing = FontEngine::Default().FaceFor("No Such Family 12345", "Regular");
	ASSERT_NE(missing, nullptr);
	EXPECT_NE(missing->Family(), "No Such Family 12345");
	// The same request returns the same face, so glyphs are cached once, per size.
	EXPECT_EQ(FontEngine::Default().FaceFor("Liberation Sans", "Regular"), sans);
	const FontFace::Glyph* small = sans->GlyphFor('W', 10);
	EXPECT_EQ(sans->GlyphFor('W', 10), small);
	EXPECT_GT(sans->GlyphFor('W', 20)->advance, small->advance);
	EXPECT_GT(small->advance, sans->GlyphFor('i', 10)->advance);
	// What the face lacks comes from the fallback (a Braille pattern from DejaVu).
	EXPECT_TRUE(sans->HasGlyph(0x283f) || !sans->GlyphFor(0x283f, 10)->coverage.empty());
}

TEST(TextDrawing, InkSitsOnTheBaselineInTheColourAndInTheClipAndMalformedBytesShow)
{
	Framebuffer frame(60, 30, kWhite);
	Painter painter(frame);
	const uint32 red = PackColor(255, 0, 0);
	const int32 advance = painter.DrawString(Sans(), 10, "HH", 2, 5, 20, red);
	EXPECT_EQ(advance, MeasureString(Sans(), 10, "HH", 2));
	const PixelRect ink = InkBox(frame);
	ASSERT_TRUE(ink.IsValid());
	EXPECT_EQ(ink.bottom, 19);  // flat-bottomed capitals end on the row above the baseline
	EXPECT_GE(ink.left, 5);
	EXPECT_LE(ink.left, 6);
	EXPECT_GE(ink.top, 11);
	EXPECT_LE(ink.right, 5 + advance);
	// Smoothed ink blends the text colour over the background: red stays full, and
	// the stems come close to pure red.
	int32 darkest = 255;
	for (int32 y = ink.top; y <= ink.bottom; y++) {
		for (int32 x = ink.left; x <= ink.right; x++) {
			const uint32 pixel = frame.PixelAt(x, y);
			EXPECT_EQ((pixel >> 16) & 0xff, 255u);
			darkest = std::min<int32>(darkest, (pixel >> 8) & 0xff);
		}
	}
	EXPECT_LT(darkest, 64);

	Framebuffer clipped(60, 30, kWhite);
	Painter clipping(clipped);
	clipping.SetClip({{0, 0, 9, 29}});
	clipping.DrawString(Sans(), 10, "WWWW", 4, 2, 20, PackColor(0, 0, 0));
	EXPECT_TRUE(InkBox(clipped).IsValid());
	EXPECT_LE(InkBox(clipped).right, 9);

	// Each malformed byte draws one replacement mark, never nothing.
	for (const char* bad : {"\xff", "\xc3", "\xed\xa0\x80"}) {
		Framebuffer marks(40, 30, kWhite);
		const int32 advance = Painter(marks).DrawString(Sans(), 10, bad, (int32)strlen(bad),
			5, 20, PackColor(0, 0, 0));
		EXPECT_TRUE(InkBox(marks).IsValid());
		EXPECT_EQ(advance, (int32)strlen(bad) * MeasureString(Sans(), 10, "\xef\xbf\xbd", 3));
	}
}

}  // namespace
