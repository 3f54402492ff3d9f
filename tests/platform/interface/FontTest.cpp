// The shared fonts, string widths and heights.
#include <Font.h>

#include <gtest/gtest.h>

#include <string.h>

TEST(Fonts, SharedFacesAtTenUnknownFamiliesRefusedAndWidthsAndHeightsFollowFaceAndSize)
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
	BFont copy(be_plain_font);
	EXPECT_EQ(copy, *be_plain_font);
	// An unknown family is refused and leaves the font as it was.
	EXPECT_EQ(copy.SetFamilyAndStyle("No Such Family 12345", "Regular"), B_NAME_NOT_FOUND);
	copy.GetFamilyAndStyle(&family, nullptr);
	EXPECT_STREQ(family, "Liberation Sans");
	EXPECT_EQ(copy.SetFamilyAndStyle("Liberation Mono", "Regular"), B_OK);
	EXPECT_EQ(copy.StringWidth("iii"), copy.StringWidth("WWW"));

	const BFont& plain = *be_plain_font;
	EXPECT_EQ(plain.StringWidth("Nickname"), plain.StringWidth("Nick") + plain.StringWidth("name"));
	EXPECT_EQ(plain.StringWidth("Nickname", 4), plain.StringWidth("Nick"));
	EXPECT_GT(plain.StringWidth("WWW"), plain.StringWidth("iii"));
	EXPECT_GT(be_bold_font->StringWidth("Last Name"), plain.StringWidth("Last Name"));
	// Malformed bytes measure as replacement marks.
	const float mark = plain.StringWidth("\xef\xbf\xbd");
	EXPECT_EQ(plain.StringWidth("\xff\xfe"), 2 * mark);
	EXPECT_EQ(plain.StringWidth("a\xc3"), plain.StringWidth("a") + mark);

	font_height height;
	plain.GetHeight(&height);
	EXPECT_GT(height.ascent, 7);
	EXPECT_LT(height.ascent, 11);
	BFont large(plain);
	large.SetSize(20);
	EXPECT_NE(large, plain);
	EXPECT_GT(large.StringWidth("Address"), 1.7f * plain.StringWidth("Address"));
	font_height big;
	large.GetHeight(&big);
	EXPECT_NEAR(big.ascent, 2 * height.ascent, 1.5);
}
