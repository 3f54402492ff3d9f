// The text engine: Latin metrics equal to FreeType's own hinting, the ink on the
// baseline, malformed bytes, fallback to any font that covers a script, the
// bidirectional order, and clusters with their carets.
#include <Painter.h>
#include <TextEngine.h>
#include <TextLayout.h>
#include <Utf8.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <string.h>

namespace {

const uint32 kWhite = PackColor(255, 255, 255);
const TextFont kSans{"Liberation Sans", "Regular", 10};
const TextFont kBold{"Liberation Sans", "Bold", 10};

float Width(const TextFont& font, const char* text)
{
	return TextEngine::Default().Width(font, text);
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

// One line of text drawn into a white frame, its baseline at y.
Framebuffer Drawn(const TextFont& font, const char* text, int32 x = 5, int32 y = 20,
	int32 scale = 1)
{
	Framebuffer frame(200 * scale, 30 * scale, kWhite);
	Painter painter(frame, scale);
	painter.DrawText(*TextEngine::Default().Line(font, text), 0, x, y, PackColor(0, 0, 0));
	return frame;
}

// The metrics FreeType gives the face itself at 10 pixels to the em, hinted for
// grey smoothing, as the plain FreeType path used them.
class FreeTypeFace {
public:
	explicit FreeTypeFace(const char* name)
	{
		FT_Init_FreeType(&fLibrary);
		FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name));
		FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
		FcDefaultSubstitute(pattern);
		FcResult result;
		FcPattern* found = FcFontMatch(nullptr, pattern, &result);
		FcChar8* file = nullptr;
		FcPatternGetString(found, FC_FILE, 0, &file);
		FT_New_Face(fLibrary, reinterpret_cast<const char*>(file), 0, &fFace);
		FT_Set_Char_Size(fFace, 0, 10 * 64, 72, 72);
		FcPatternDestroy(found);
		FcPatternDestroy(pattern);
	}
	~FreeTypeFace()
	{
		FT_Done_Face(fFace);
		FT_Done_FreeType(fLibrary);
	}
	int32 Advance(uint32 codepoint)
	{
		FT_Load_Glyph(fFace, FT_Get_Char_Index(fFace, codepoint), FT_LOAD_TARGET_NORMAL);
		return (int32)((fFace->glyph->advance.x + 32) >> 6);
	}
	float Ascent() const { return fFace->size->metrics.ascender / 64.0f; }
	float Descent() const { return -fFace->size->metrics.descender / 64.0f; }

private:
	FT_Library fLibrary = nullptr;
	FT_Face fFace = nullptr;
};

std::string Utf8Of(uint32 codepoint)
{
	char bytes[4];
	const int32 length = codepoint < 0x80 ? 1 : 2;
	if (length == 1) {
		bytes[0] = (char)codepoint;
	} else {
		bytes[0] = (char)(0xc0 | (codepoint >> 6));
		bytes[1] = (char)(0x80 | (codepoint & 0x3f));
	}
	return std::string(bytes, (size_t)length);
}

TEST(Utf8Decoding, MalformedInputGivesTheReplacementAByte)
{
	const char text[] = "\xf0\x9f\x98\x80";
	const char* p = text;
	EXPECT_EQ(utf8::Decode(p, text + 4), 0x1f600u);
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

// Every printable character of ASCII and Latin-1, regular and bold: the advance
// FreeType's hinting gave, and the same ascent and descent. (The soft hyphen
// is invisible unless a line breaks there, as Unicode has it.)
TEST(LatinMetrics, AdvancesAndBaselinesAreFreeTypesOwn)
{
	for (const auto& [font, name] : {std::pair{kSans, "Liberation Sans:style=Regular"},
			 std::pair{kBold, "Liberation Sans:style=Bold"}}) {
		FreeTypeFace face(name);
		std::string all;
		int32 sum = 0;
		for (uint32 c = 0x20; c <= 0xff; c++) {
			if ((c >= 0x7f && c < 0xa0) || c == 0xad)
				continue;
			const std::string text = Utf8Of(c);
			EXPECT_EQ(Width(font, text.c_str()), face.Advance(c)) << name << " U+" << std::hex << c;
			all += text;
			sum += face.Advance(c);
		}
		// No kerning or ligatures change the sum of a line's advances.
		EXPECT_EQ(Width(font, all.c_str()), sum) << name;
		for (const char* word : {"AV", "AY", "To", "LT", "fi", "fl", "WAVY LATTE Tofu affluent"}) {
			float letters = 0;
			for (const char* p = word; *p != '\0'; p++)
				letters += Width(font, std::string(1, *p).c_str());
			EXPECT_EQ(Width(font, word), letters) << word;
		}
		const TextMetrics metrics = TextEngine::Default().Metrics(font);
		EXPECT_EQ(metrics.ascent, face.Ascent()) << name;
		EXPECT_EQ(metrics.descent, face.Descent()) << name;
	}
}

TEST(TextDrawing, InkSitsOnTheBaselineInTheColourAndInTheClipAtBothScales)
{
	for (const int32 scale : {1, 2}) {
		const Framebuffer frame = Drawn(kSans, "HH", 5, 20, scale);
		const PixelRect ink = InkBox(frame);
		ASSERT_TRUE(ink.IsValid());
		// Flat-bottomed capitals end on the row above the baseline.
		EXPECT_EQ(ink.bottom, 20 * scale - 1) << scale;
		EXPECT_GE(ink.left, 5 * scale);
		EXPECT_LE(ink.left, 6 * scale);
		EXPECT_LE(ink.right, (5 + (int32)Width(kSans, "HH")) * scale);
		EXPECT_NEAR(ink.Height(), 7 * scale, scale);
	}
	Framebuffer frame(60, 30, kWhite);
	Painter painter(frame);
	painter.DrawText(*TextEngine::Default().Line(kSans, "HH"), 0, 5, 20, PackColor(255, 0, 0));
	// Smoothed ink blends the text colour over the background: red stays full,
	// and the stems come close to pure red.
	int32 darkest = 255;
	const PixelRect ink = InkBox(frame);
	for (int32 y = ink.top; y <= ink.bottom; y++) {
		for (int32 x = ink.left; x <= ink.right; x++) {
			EXPECT_EQ((frame.PixelAt(x, y) >> 16) & 0xff, 255u);
			darkest = std::min<int32>(darkest, (frame.PixelAt(x, y) >> 8) & 0xff);
		}
	}
	EXPECT_LT(darkest, 64);

	Framebuffer clipped(60, 30, kWhite);
	Painter clipping(clipped);
	clipping.SetClip({{0, 0, 9, 29}});
	clipping.DrawText(*TextEngine::Default().Line(kSans, "WWWW"), 0, 2, 20, PackColor(0, 0, 0));
	EXPECT_TRUE(InkBox(clipped).IsValid());
	EXPECT_LE(InkBox(clipped).right, 9);
}

TEST(TextDrawing, EachMalformedByteIsOneReplacementMark)
{
	const float mark = Width(kSans, "\xef\xbf\xbd");
	EXPECT_GT(mark, 0);
	for (const char* bad : {"\xff", "\xc3", "\xed\xa0\x80", "a\xe2\x82z"}) {
		const int32 bytes = (int32)strlen(bad);
		const int32 marks = bad[0] == 'a' ? 2 : bytes;
		const float letters = bad[0] == 'a' ? Width(kSans, "az") : 0;
		EXPECT_EQ(Width(kSans, bad), letters + marks * mark) << bad;
		EXPECT_TRUE(InkBox(Drawn(kSans, bad)).IsValid());
		const auto layout = TextEngine::Default().Line(kSans, bad);
		// Offsets stay those of the bytes given.
		EXPECT_EQ(layout->LineEnd(0), bytes);
		EXPECT_EQ(layout->Breaks().CountCharacters(), bad[0] == 'a' ? 4 : bytes);
	}
}

}  // namespace
