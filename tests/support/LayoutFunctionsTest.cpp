// Centring a frame on the (headless, 1024 x 768) main screen in whole pixels,
// and copying up to a tab.
#include "LayoutFunctions.h"

#include "HeadlessScreen.h"

#include <Screen.h>

#include <gtest/gtest.h>

#include <cstring>

TEST(LayoutFunctionsTest, CenterOnScreenKeepsWholePixelSizesAndMayGoNegative)
{
	BPrivate::HeadlessScreen::Use();
	const BRect screen = BScreen(B_MAIN_SCREEN_ID).Frame();
	ASSERT_EQ(screen, BRect(0, 0, 1023, 767));
	// Half the screen's extent less half the frame's, each halved in integers.
	EXPECT_EQ(CenterOnScreen(BRect(0, 0, 199, 99)), BRect(412, 334, 611, 433));
	EXPECT_EQ(CenterOnScreen(BRect(500, 600, 700.75f, 700.5f)), BRect(411, 333, 611, 433));
	EXPECT_EQ(CenterOnScreen(BRect(0, 0, 1023, 767)), screen);
	EXPECT_EQ(CenterOnScreen(BRect(10, 10, 2057, 1545)), BRect(-512, -384, 1535, 1151));
}

TEST(LayoutFunctionsTest, CopyUntilTabStopsAtTheTabOrMaxAndAddsNoTerminator)
{
	auto copied = [](const char* src, int32 max) {
		char dst[16];
		memset(dst, '#', sizeof(dst));
		CopyUntilTab(dst, src, max);
		return std::string(dst, sizeof(dst));
	};
	const std::string untouched(16, '#');
	EXPECT_EQ(copied("\tabc", 10), untouched);
	EXPECT_EQ(copied("ab\tcd", 10), "ab" + untouched.substr(2));
	EXPECT_EQ(copied("abcdef", 4), "abcd" + untouched.substr(4));
	EXPECT_EQ(copied("abcdef", 0), untouched);
	// A short text's terminator is copied, and nothing past it is read.
	EXPECT_EQ(copied("ab", 10), std::string("ab\0", 3) + untouched.substr(3));
}
