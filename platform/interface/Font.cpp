#include <Font.h>

#include <TextEngine.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

namespace {

// Liberation Sans keeps the metrics of the face the application's coordinates were
// laid out for; 10 pixels to the em.
constinit const BFont sPlainFont("Liberation Sans", "Regular", 10);
constinit const BFont sBoldFont("Liberation Sans", "Bold", 10);
constinit const BFont sFixedFont("Liberation Mono", "Regular", 10);

}  // namespace

const BFont* be_plain_font = &sPlainFont;
const BFont* be_bold_font = &sBoldFont;
const BFont* be_fixed_font = &sFixedFont;

BFont::BFont()
	: BFont(*be_plain_font)
{
}

BFont::BFont(const BFont* font)
	: BFont(font != nullptr ? *font : *be_plain_font)
{
}

status_t BFont::SetFamilyAndStyle(const font_family family, const font_style style)
{
	if (family != nullptr) {
		if (!TextEngine::Default().HasFamily(family))
			return B_NAME_NOT_FOUND;
		snprintf(fFamily, sizeof(fFamily), "%s", family);
	}
	if (style != nullptr)
		snprintf(fStyle, sizeof(fStyle), "%s", style);
	return B_OK;
}

void BFont::GetFamilyAndStyle(font_family* family, font_style* style) const
{
	if (family != nullptr)
		snprintf(*family, sizeof(font_family), "%s", fFamily);
	if (style != nullptr)
		snprintf(*style, sizeof(font_style), "%s", fStyle);
}

void BFont::SetSize(float size)
{
	if (size > 0 && isfinite(size))
		fSize = size;
}

TextFont BFont::EngineFont() const
{
	return TextFont{fFamily, fStyle, fSize};
}

float BFont::StringWidth(const char* string) const
{
	return string != nullptr ? StringWidth(string, (int32)strlen(string)) : 0;
}

float BFont::StringWidth(const char* string, int32 length) const
{
	if (string == nullptr || length <= 0)
		return 0;
	return TextEngine::Default().Width(EngineFont(),
		std::string_view(string, strnlen(string, (size_t)length)));
}

void BFont::GetHeight(font_height* height) const
{
	if (height == nullptr)
		return;
	const TextMetrics metrics = TextEngine::Default().Metrics(EngineFont());
	*height = font_height{metrics.ascent, metrics.descent, metrics.leading};
}

bool BFont::operator==(const BFont& other) const
{
	return strcmp(fFamily, other.fFamily) == 0 && strcmp(fStyle, other.fStyle) == 0
		&& fSize == other.fSize;
}
