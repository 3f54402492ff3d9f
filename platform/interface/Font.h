// Fonts: family, style and size, measured and drawn through the platform's text
// engine, which falls back per run to any installed font that covers the text.
// Threading: a plain value; the shared fonts (be_plain_font...) are read-only.
#ifndef _FONT_H
#define _FONT_H

#include <SupportDefs.h>

#define B_FONT_FAMILY_LENGTH 63
#define B_FONT_STYLE_LENGTH 63
typedef char font_family[B_FONT_FAMILY_LENGTH + 1];
typedef char font_style[B_FONT_STYLE_LENGTH + 1];

// Which parts of a font BView::SetFont takes over.
enum {
	B_FONT_FAMILY_AND_STYLE = 0x00000001,
	B_FONT_SIZE = 0x00000002,
	B_FONT_ALL = 0x000000ff,
};

struct font_height {
	float ascent;
	float descent;
	float leading;
};

struct TextFont;

class BFont {
public:
	BFont();
	BFont(const BFont& font) = default;
	explicit BFont(const BFont* font);
	BFont& operator=(const BFont& font) = default;

	// Fails with B_NAME_NOT_FOUND for a family that no installed font provides.
	status_t SetFamilyAndStyle(const font_family family, const font_style style);
	void GetFamilyAndStyle(font_family* family, font_style* style) const;
	void SetSize(float size);
	float Size() const { return fSize; }

	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;
	void GetHeight(font_height* height) const;

	bool operator==(const BFont& other) const;
	bool operator!=(const BFont& other) const { return !(*this == other); }

	// The font as the text engine takes it; for the interface kit's drawing code.
	TextFont EngineFont() const;

	constexpr BFont(const char* family, const char* style, float size)
		: fFamily(), fStyle(), fSize(size)
	{
		for (int32 i = 0; i < B_FONT_FAMILY_LENGTH && family[i] != '\0'; i++)
			fFamily[i] = family[i];
		for (int32 i = 0; i < B_FONT_STYLE_LENGTH && style[i] != '\0'; i++)
			fStyle[i] = style[i];
	}

private:
	font_family fFamily;
	font_style fStyle;
	float fSize;
};

extern const BFont* be_plain_font;
extern const BFont* be_bold_font;
extern const BFont* be_fixed_font;

#endif
