// The headless screen at a device scale of 2: a window's frame on the device, its
// fills and its text drawn at twice the size, input scaled back to the API's
// coordinates; and how the scale is chosen from the desktop's settings.
#include "WindowTestSupport.h"

#include <DeviceScale.h>
#include <Font.h>
#include <Painter.h>
#include <TextEngine.h>
#include <TextLayout.h>
#include <Screen.h>

#include <stdlib.h>

namespace {

const uint32 kWhite = PackColor(255, 255, 255);

// A blue block and a line of text on white; records its clicks.
class MarkedView : public RecordingView {
public:
	explicit MarkedView(BRect frame) : RecordingView(frame, "marked") { SetViewColor(255, 255, 255); }
	void Draw(BRect) override
	{
		SetHighColor(0, 0, 255);
		FillRect(BRect(10, 10, 19, 14));
		SetHighColor(0, 0, 0);
		DrawString("Ho", BPoint(30, 40));
	}
};

// The box of the pixels within area that are not white.
PixelRect InkBox(const Framebuffer& frame, const PixelRect& area)
{
	PixelRect box{area.right, area.bottom, area.left - 1, area.top - 1};
	for (int32 y = area.top; y <= area.bottom; y++) {
		for (int32 x = area.left; x <= area.right; x++) {
			if (frame.PixelAt(x, y) != kWhite)
				box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
					std::max(box.bottom, y)};
		}
	}
	return box;
}

class ScaleTest : public WindowTest {
protected:
	void SetUp() override
	{
		setenv("CVAB_SCALE", "2", 1);
		unsetenv("CVAB_SCREEN_SIZE");
		WindowTest::SetUp();
	}
};

TEST_F(ScaleTest, AWindowDrawsAtTwiceItsSizeAndTakesClicksInItsOwnCoordinates)
{
	BWindow* window = Open(BRect(100, 100, 299, 199));
	auto* view = new MarkedView(BRect(0, 0, 199, 99));
	Locked(window, [&] { window->AddChild(view); });
	Settle();
	// The API sees what it asked for; the device has twice the pixels.
	EXPECT_EQ(BScreen().Frame(), BRect(0, 0, 1023, 767));
	EXPECT_EQ(Locked(window, [&] { return window->Frame(); }), BRect(100, 100, 299, 199));
	Framebuffer picture;
	ASSERT_TRUE(Screen::WindowPicture(window, picture));
	EXPECT_EQ(picture.Width(), 400);
	EXPECT_EQ(picture.Height(), 200);

	// The block covers the doubled pixels exactly, at the doubled place on the screen.
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel(200 + 20, 200 + 20), 0, 0, 255));
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel(200 + 39, 200 + 29), 0, 0, 255));
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel(200 + 19, 200 + 20), 255, 255, 255));
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel(200 + 40, 200 + 29), 255, 255, 255));
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel(200 + 20, 200 + 30), 255, 255, 255));

	// The text is rasterised at twice the size: about twice as tall as at scale 1,
	// standing on the doubled baseline. (How smooth it is is left to the eye.)
	Framebuffer small(100, 50, kWhite);
	Painter(small).DrawText(*TextEngine::Default().Line(be_plain_font->EngineFont(), "Ho"), 0,
		30, 40, PackColor(0, 0, 0));
	const PixelRect smallInk = InkBox(small, small.Bounds());
	const PixelRect ink = InkBox(picture, {50, 50, 120, 90});
	ASSERT_TRUE(smallInk.IsValid() && ink.IsValid());
	EXPECT_NEAR(ink.Height(), 2 * smallInk.Height(), 2);
	EXPECT_EQ(ink.bottom, 2 * 40 - 1);

	// A click at a device point arrives at half of it, in the view's coordinates.
	ClickAt(BPoint(200 + 31, 200 + 25));
	Locked(window, [&] {
		ASSERT_FALSE(view->mouse.empty());
		EXPECT_EQ(view->mouse.back().hook, "up");
		EXPECT_EQ(view->mouse.back().where, BPoint(15, 12));
	});
}

TEST(DeviceScaleChoice, AnOverrideWinsThenGdkScaleThenTheServersDpi)
{
	EXPECT_EQ(DeviceScale::FromSettings("2", nullptr, nullptr, true), 2);
	EXPECT_EQ(DeviceScale::FromSettings(nullptr, "2", "Xft.dpi: 192", true), 1);
	EXPECT_EQ(DeviceScale::FromSettings("1", "2", "Xft.dpi: 192", false), 1);
	EXPECT_EQ(DeviceScale::FromSettings("9", "3", nullptr, false), 2);
	EXPECT_EQ(DeviceScale::FromSettings(nullptr, "1", "Xft.dpi: 192", false), 1);
	EXPECT_EQ(DeviceScale::FromSettings(nullptr, "two", "Xft.dpi: 192", false), 2);
	EXPECT_EQ(DeviceScale::FromSettings(nullptr, nullptr,
		"Xft.antialias:\t1\n! a comment\nXft.dpi:\t144\n", false), 2);
	EXPECT_EQ(DeviceScale::FromSettings(nullptr, nullptr, "Xft.dpi: 120\n", false), 1);
	EXPECT_EQ(DeviceScale::FromSettings(nullptr, nullptr, "", false), 1);
}

}  // namespace
