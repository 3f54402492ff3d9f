// The shared fonts, string widths and heights.
#include <Font.h>

#include <gtest/gtest.h>

#include <string.h>

namespace {

TEST(SharedFonts, PlainBoldAndFixedAreTheLiberationFacesAtTenAndOnlyKnownFamiliesAreTaken)
{
	font_family family;
	font_style style;
	be_plain_font->GetFamilyAndStyle(&family, &style);
	EXPECT_STREQ(family, "Liberation Sans");
	EXPECT_EQ(be_plain_font->Size(), 10);
	be_bold_font->GetFamilyAndStyle(&family, &style);
	EXPECT_STREQ(style, "Bold");
	be_fixed_font->GetFamilyAndStyle(&family, &style);
	EXPECT_STREQ(family, "Liberation Mono");
	BFont copy;
	EXPECT_EQ(copy, *be_plain_font);
	copy.SetSize(12);
	EXPECT_NE(copy, *be_plain_font);
	copy.SetSize(-3);  // refused
	EXPECT_EQ(copy.Size(), 12);
	// An unknown family is refused and leaves the font as it was.
	EXPECT_EQ(copy.SetFamilyAndStyle("No Such Family 12345", "Regular"), B_NAME_NOT_FOUND);
	copy.GetFamilyAndStyle(&family, nullptr);
	EXPECT_STREQ(family, "Liberation Sans");
	EXPECT_EQ(copy.SetFamilyAndStyle("Liberation Mono", "Regular"), B_OK);
	EXPECT_EQ(copy.StringWidth("iii"), copy.StringWidth("WWW"));
}

TEST(StringWidths, AddUpFollowFaceAndSizeAndCountMalformedBytesAsMarks)
{
	const BFont plain(be_plain_font);
	EXPECT_EQ(plain.StringWidth(""), 0);
	EXPECT_EQ(plain.StringWidth(nullptr), 0);
	EXPECT_EQ(plain.StringWidth("Nickname"),
		plain.StringWidth("Nick") + plain.StringWidth("name"));
	EXPECT_EQ(plain.StringWidth("Nickname", 4), plain.StringWidth("Nick"));
	EXPECT_GT(plain.StringWidth("WWW"), plain.StringWidth("iii"));
	EXPECT_GT(be_bold_font->StringWidth("Last Name"), plain.StringWidth("Last Name"));
	EXPECT_EQ(be_fixed_font->StringWidth("iii"), be_fixed_font->StringWidth("WWW"));
	BFont large(plain);
	large.SetSize(20);
	EXPECT_GT(large.StringWidth("Address"), 1.7f * plain.StringWidth("Address"));
	// A length past the end of the text stops at its end.
	EXPECT_EQ(plain.StringWidth("ab", 10), plain.StringWidth("ab"));
	// Malformed bytes measure as replacement marks.
	const float mark = plain.StringWidth("\xef\xbf\xbd");
	EXPECT_GT(mark, 0);
	EXPECT_EQ(plain.StringWidth("\xff\xfe"), 2 * mark);
	EXPECT_EQ(plain.StringWidth("a\xc3"), plain.StringWidth("a") + mark);
}

TEST(FontHeights, TenPixelFaceHasPlausibleMetrics)
{
	font_height height;
	be_plain_font->GetHeight(&height);
	EXPECT_GT(height.ascent, 7);
	EXPECT_LT(height.ascent, 11);
	EXPECT_GT(height.descent, 1);
	EXPECT_LT(height.descent, 4);
	EXPECT_GE(height.leading, 0);
	BFont large(be_plain_font);
	large.SetSize(20);
	font_height big;
	large.GetHeight(&big);
	EXPECT_NEAR(big.ascent, 2 * height.ascent, 1.5);
}

}  // namespace
