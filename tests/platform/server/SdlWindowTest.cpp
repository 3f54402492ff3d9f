// A real window on the sdl backend, under a virtual X server (CTest starts this
// program through xvfb-run): what the window drew is read back from the X
// screen itself, so the whole path to the display is checked, not a copy of it.
#include <Application.h>
#include <View.h>
#include <Window.h>

#include <OS.h>

#include "XScreen.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <memory>
#include <thread>

namespace {

// Red fill with a one-pixel black line across it and a blue block in the corner.
class MarkView : public BView {
public:
	explicit MarkView(BRect frame)
		: BView(frame, "mark", B_FOLLOW_ALL, B_WILL_DRAW)
	{
		SetViewColor(255, 0, 0);
	}

	void Draw(BRect) override
	{
		SetHighColor(0, 0, 0);
		StrokeLine(BPoint(0, 40), BPoint(Bounds().right, 40));
		SetHighColor(0, 0, 255);
		FillRect(BRect(0, 0, 19, 19));
		drawn = true;
	}

	std::atomic<bool> drawn{false};
};

struct Rgb {
	int red, green, blue;
	bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c)
{
	return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

class SdlWindowTest : public testing::Test {
protected:
	void SetUp() override
	{
		if (getenv("DISPLAY") == nullptr)
			GTEST_SKIP() << "no X display: CTest runs this under xvfb-run";
		fScreen = std::make_unique<XScreen>();
		ASSERT_TRUE(fScreen->IsOpen());
		setenv("CVAB_BACKEND", "sdl", 1);
		std::promise<void> ready;
		std::future<void> started = ready.get_future();
		fAppThread = std::thread([&ready] {
			BApplication app("application/x-vnd.cvab-sdl-test");
			ready.set_value();
			app.Run();
		});
		started.wait();
	}

	void TearDown() override
	{
		if (fAppThread.joinable()) {
			be_app->PostMessage(B_QUIT_REQUESTED);
			fAppThread.join();
		}
	}

	// A pixel of the X root window, as the X server holds it now.
	Rgb ScreenPixel(int x, int y)
	{
		const long pixel = fScreen->Pixel(x, y);
		if (pixel < 0)
			return {-1, -1, -1};
		return {int((pixel >> 16) & 0xff), int((pixel >> 8) & 0xff), int(pixel & 0xff)};
	}

	// Waits, up to a few seconds, until the screen shows colour at a point.
	bool ScreenShows(int x, int y, Rgb colour)
	{
		for (int attempt = 0; attempt < 100; attempt++) {
			if (ScreenPixel(x, y) == colour)
				return true;
			snooze(50000);
		}
		return false;
	}

	std::unique_ptr<XScreen> fScreen;
	std::thread fAppThread;
};

TEST_F(SdlWindowTest, WhatTheWindowDrewReachesTheScreen)
{
	// Without a window manager the window lands where the program put it.
	auto* window = new BWindow(BRect(100, 120, 299, 219), "sdl", B_TITLED_WINDOW, 0);
	auto* view = new MarkView(window->Bounds());
	window->AddChild(view);
	window->Show();

	const Rgb red{255, 0, 0}, black{0, 0, 0}, blue{0, 0, 255};
	EXPECT_TRUE(ScreenShows(100 + 100, 120 + 70, red)) << ScreenPixel(200, 190);
	EXPECT_EQ(ScreenPixel(100 + 100, 120 + 40), black);
	EXPECT_EQ(ScreenPixel(100 + 100, 120 + 39), red);
	EXPECT_EQ(ScreenPixel(100 + 100, 120 + 41), red);
	EXPECT_EQ(ScreenPixel(100 + 10, 120 + 10), blue);
	EXPECT_EQ(ScreenPixel(100 + 20, 120 + 10), red);
	// Outside the window the screen is untouched.
	EXPECT_NE(ScreenPixel(100 + 250, 120 + 70), red);
	EXPECT_TRUE(view->drawn);

	// A change redrawn by the program reaches the screen too.
	ASSERT_TRUE(window->Lock());
	view->SetViewColor(0, 255, 0);
	view->Invalidate();
	window->Unlock();
	EXPECT_TRUE(ScreenShows(100 + 100, 120 + 70, Rgb{0, 255, 0}));

	ASSERT_TRUE(window->Lock());
	window->Quit();
}

}  // namespace
