// Real windows on the sdl backend, under a virtual X server (CTest starts this
// program through xvfb-run): what the window drew is read back from the X
// screen itself, and input comes from the X server's own test devices, so the
// whole path to and from the display is checked, menus and alerts included.
#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <Invoker.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <View.h>
#include <Window.h>

#include <OS.h>

#include "MenuPopup.h"
#include "WindowServerLink.h"
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

// A menu bar over a red field; records the commands that reach it.
class MenuWindow : public BWindow {
public:
	MenuWindow() : BWindow(BRect(100, 120, 399, 319), "menus", B_TITLED_WINDOW, 0)
	{
		auto* field = new BView(Bounds(), "field", B_FOLLOW_ALL, B_WILL_DRAW);
		field->SetViewColor(255, 0, 0);
		AddChild(field);
		auto* bar = new BMenuBar(BRect(0, 0, Bounds().right, 19), "bar");
		BMenu* file = new BMenu("File");
		file->AddItem(new BMenuItem("Open", new BMessage('open')));
		file->AddItem(new BMenuItem("Close", new BMessage('clos')));
		bar->AddItem(file);
		AddChild(bar);
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'open' || message->what == 'clos' || message->what == 'answ') {
			lastWhat = message->what;
			lastWhich = message->GetInt32("which", -1);
			return;
		}
		BWindow::MessageReceived(message);
	}

	std::atomic<uint32> lastWhat{0};
	std::atomic<int32> lastWhich{-2};
};

// The screen frame of the open menu's popup window, or an invalid rect.
BRect OpenPopupFrame()
{
	for (const BMessenger& messenger : BPrivate::WindowServerLink::Windows()) {
		if (!messenger.LockTarget())
			continue;
		BLooper* looper = nullptr;
		messenger.Target(&looper);
		auto* popup = dynamic_cast<BPrivate::MenuPopup*>(looper);
		const BRect frame = popup != nullptr && !popup->IsHidden() ? popup->Frame() : BRect();
		looper->Unlock();
		if (frame.IsValid())
			return frame;
	}
	return BRect();
}

template <typename Condition>
bool Eventually(Condition condition)
{
	for (int attempt = 0; attempt < 100; attempt++) {
		if (condition())
			return true;
		snooze(50000);
	}
	return false;
}

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

TEST_F(SdlWindowTest, AMenuOpensInAPopupAboveTheWindowAndAClickThereChoosesAnItem)
{
	auto* window = new MenuWindow();
	window->Show();
	const Rgb red{255, 0, 0};
	ASSERT_TRUE(ScreenShows(200, 170, red));

	// The "File" title sits at the left of the bar.
	fScreen->Click(100 + 14, 120 + 10);
	BRect popup;
	ASSERT_TRUE(Eventually([&] { return (popup = OpenPopupFrame()).IsValid(); }));
	EXPECT_GE(popup.top, 120 + 19) << "the menu opens below its title";
	// The popup covers the red field with the menu's own colours.
	const int insideX = int(popup.left) + 4;
	const int insideY = int(popup.top) + 9;
	EXPECT_TRUE(Eventually([&] { return ScreenPixel(insideX, insideY) == Rgb{232, 232, 232}; }))
		<< ScreenPixel(insideX, insideY);

	// The second row: Close.
	fScreen->Click(int(popup.left) + 20, int(popup.top) + 1 + 16 + 8);
	EXPECT_TRUE(Eventually([&] { return window->lastWhat.load() == uint32('clos'); }));
	EXPECT_TRUE(Eventually([] { return !OpenPopupFrame().IsValid(); }));
	EXPECT_TRUE(ScreenShows(insideX, insideY, red)) << "the popup is gone from the screen";

	// Opened again, the keyboard drives it, even with the desktop's focus on the popup.
	fScreen->Click(100 + 14, 120 + 10);
	ASSERT_TRUE(Eventually([] { return OpenPopupFrame().IsValid(); }));
	fScreen->TypeKeysym(0xff54);  // Down: the first item
	fScreen->TypeKeysym(0xff0d);  // Return
	EXPECT_TRUE(Eventually([&] { return window->lastWhat.load() == uint32('open'); }));
	EXPECT_TRUE(Eventually([] { return !OpenPopupFrame().IsValid(); }));

	// F10 opens it from the keyboard alone, and Escape closes it.
	fScreen->TypeKeysym(0xffc7);  // F10
	EXPECT_TRUE(Eventually([] { return OpenPopupFrame().IsValid(); }));
	fScreen->TypeKeysym(0xff1b);  // Escape
	EXPECT_TRUE(Eventually([] { return !OpenPopupFrame().IsValid(); }));

	ASSERT_TRUE(window->Lock());
	window->Quit();
}

TEST_F(SdlWindowTest, AnAlertTakesAClickOnItsButtonAndEnterForTheRightmost)
{
	auto* window = new MenuWindow();
	window->Show();
	ASSERT_TRUE(ScreenShows(200, 170, Rgb{255, 0, 0}));

	auto ask = [window] {
		auto* alert = new BAlert("Question", "Keep going?", "Stop", "Go on");
		BRect button;
		if (alert->Lock()) {
			BButton* first = alert->ButtonAt(0);
			button = first->Bounds();
			alert->Unlock();
		}
		alert->Go(new BInvoker(new BMessage('answ'), window));
		return alert;
	};
	BAlert* alert = ask();
	BRect first;
	ASSERT_TRUE(Eventually([&] {
		if (!alert->Lock())
			return false;
		BButton* button = alert->ButtonAt(0);
		first = button->ConvertToScreen(button->Bounds());
		const bool shown = !alert->IsHidden();
		alert->Unlock();
		return shown;
	}));
	const int x = int((first.left + first.right) / 2);
	const int y = int((first.top + first.bottom) / 2);
	ASSERT_TRUE(Eventually([&] { return ScreenPixel(x, y - 6) != Rgb{255, 0, 0}
		&& ScreenPixel(x, y - 6) != Rgb{-1, -1, -1}; }));
	fScreen->Click(x, y);
	EXPECT_TRUE(Eventually([&] { return window->lastWhich.load() == 0; }));

	window->lastWhich = -2;
	ask();
	snooze(300000);  // on screen and focused before the key comes
	fScreen->TypeKeysym(0xff0d);  // Return
	EXPECT_TRUE(Eventually([&] { return window->lastWhich.load() == 1; }));

	ASSERT_TRUE(window->Lock());
	window->Quit();
}

}  // namespace
