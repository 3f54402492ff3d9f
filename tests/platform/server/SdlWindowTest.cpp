// Real windows on the sdl backend, on a private virtual X server with a window
// manager that decorates them, as on a user's desktop: what the window drew is read
// back from the X screen itself, and input comes from the X server's own test
// devices, so the whole path to and from the display is checked: menus, alerts,
// placement under the decoration, windows closed by their own keys and clicks, and
// the signals that end a program.
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

#include "DisplayServer.h"
#include "MenuPopup.h"
#include "WindowServerLink.h"
#include "XDesktop.h"
#include "XScreen.h"

#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <thread>
#include <type_traits>
#include <unistd.h>

namespace {

// One desktop for the whole program: the display server, once started, stays.
XDesktop* sDesktop = nullptr;

class DesktopEnvironment : public testing::Environment {
public:
	void SetUp() override { sDesktop = new XDesktop(); }
	void TearDown() override
	{
		delete sDesktop;
		sDesktop = nullptr;
	}
};

[[maybe_unused]] testing::Environment* const sEnvironment
	= testing::AddGlobalTestEnvironment(new DesktopEnvironment);

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

// A red window under a File menu whose Close (Ctrl+W) quits it and whose Quit
// (Ctrl+Q) quits the application. Counts its QuitRequested calls in a counter that
// outlives it, and the moves reported to it.
class CountingWindow : public BWindow {
public:
	CountingWindow(BRect frame, std::atomic<int>* quitRequests, bool closeOnClick = false)
		: BWindow(frame, "counting", B_TITLED_WINDOW, 0), fQuitRequests(quitRequests)
	{
		auto* field = new ClosingField(Bounds(), closeOnClick);
		AddChild(field);
		auto* bar = new BMenuBar(BRect(0, 0, Bounds().right, 19), "bar");
		BMenu* file = new BMenu("File");
		file->AddItem(new BMenuItem("Close", new BMessage(B_QUIT_REQUESTED), 'W'));
		auto* quit = new BMenuItem("Quit", new BMessage(B_QUIT_REQUESTED), 'Q');
		quit->SetTarget(be_app);
		file->AddItem(quit);
		bar->AddItem(file);
		AddChild(bar);
	}

	bool QuitRequested() override
	{
		(*fQuitRequests)++;
		return true;
	}

	void FrameMoved(BPoint) override { moves++; }

	std::atomic<int> moves{0};

private:
	// Red; with closeOnClick, a button press on it quits the window at once, so
	// the release comes after the window is gone.
	class ClosingField : public BView {
	public:
		ClosingField(BRect frame, bool closeOnClick)
			: BView(frame, "field", B_FOLLOW_ALL, B_WILL_DRAW), fCloseOnClick(closeOnClick)
		{
			SetViewColor(255, 0, 0);
		}
		void MouseDown(BPoint) override
		{
			if (fCloseOnClick)
				Window()->PostMessage(B_QUIT_REQUESTED);
		}

	private:
		bool fCloseOnClick;
	};

	std::atomic<int>* fQuitRequests;
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

// Agrees to quit without asking its windows.
class HastyApplication : public BApplication {
public:
	HastyApplication() : BApplication("application/x-vnd.cvab-sdl-hasty") {}
	bool QuitRequested() override { return true; }
};

class SdlWindowTest : public testing::Test {
protected:
	void SetUp() override
	{
		if (sDesktop == nullptr || !sDesktop->IsRunning())
			GTEST_SKIP() << (sDesktop != nullptr ? sDesktop->Problem() : "no desktop");
		fScreen = std::make_unique<XScreen>();
		ASSERT_TRUE(fScreen->IsOpen());
		setenv("CVAB_BACKEND", "sdl", 1);
		StartApplication();
	}

	void TearDown() override
	{
		if (fAppThread.joinable()) {
			if (!fRunReturned)
				be_app->PostMessage(B_QUIT_REQUESTED);
			fAppThread.join();
		}
	}

	template <typename App = BApplication>
	void StartApplication()
	{
		fRunReturned = false;
		std::promise<void> ready;
		std::future<void> started = ready.get_future();
		fAppThread = std::thread([this, &ready] {
			std::unique_ptr<BApplication> app;
			if constexpr (std::is_same_v<App, BApplication>)
				app = std::make_unique<BApplication>("application/x-vnd.cvab-sdl-test");
			else
				app = std::make_unique<App>();
			ready.set_value();
			app->Run();
			fRunReturned = true;
		});
		started.wait();
	}

	// Waits for the application's Run to return, and its thread to end.
	bool RunReturns()
	{
		if (!Eventually([this] { return fRunReturned.load(); }))
			return false;
		fAppThread.join();
		return true;
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
	std::atomic<bool> fRunReturned{false};
};

TEST_F(SdlWindowTest, WhatTheWindowDrewReachesTheScreen)
{
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

TEST_F(SdlWindowTest, TheContentLandsAtTheFrameAskedForAndStaysThereWhenReopened)
{
	// The decoration goes above and to the left; the frame is the content's.
	BRect frame(100, 100, 399, 299);
	const Rgb red{255, 0, 0}, blue{0, 0, 255};
	std::atomic<int> asked{0};
	for (int opening = 0; opening < 2; opening++) {
		SCOPED_TRACE(opening == 0 ? "first opening" : "reopened at the frame reported");
		auto* window = new CountingWindow(frame, &asked);
		auto* mark = new MarkView(window->Bounds().InsetByCopy(0, 10).OffsetToCopy(0, 20));
		window->AddChild(mark);
		window->Show();
		EXPECT_TRUE(ScreenShows(100, 120, blue)) << ScreenPixel(100, 120);
		EXPECT_TRUE(ScreenShows(399, 299, red)) << ScreenPixel(399, 299);
		EXPECT_NE(ScreenPixel(99, 120), blue);
		EXPECT_NE(ScreenPixel(400, 299), red);
		EXPECT_NE(ScreenPixel(399, 300), red);
		snooze(300000);  // the window manager's own configuring settles
		ASSERT_TRUE(window->Lock());
		EXPECT_EQ(window->Frame(), BRect(100, 100, 399, 299));
		EXPECT_EQ(window->moves.load(), 0) << "the manager's placement is not a move";
		frame = window->Frame();
		if (opening == 0) {
			window->Quit();
			continue;
		}
		// A move by the program puts the content there too.
		window->MoveTo(200, 150);
		window->Unlock();
		EXPECT_TRUE(ScreenShows(200, 170, blue)) << ScreenPixel(200, 170);
		EXPECT_NE(ScreenPixel(199, 170), blue);
		snooze(300000);
		ASSERT_TRUE(window->Lock());
		EXPECT_EQ(window->Frame(), BRect(200, 150, 499, 349));
		window->Quit();
	}
}

TEST_F(SdlWindowTest, KeysAndClicksThatCloseWindowsLeaveTheRestWorking)
{
	const Rgb red{255, 0, 0};
	std::atomic<int> firstAsked{0}, secondAsked{0}, clickedAsked{0};
	auto* first = new CountingWindow(BRect(100, 100, 399, 299), &firstAsked);
	first->Show();
	ASSERT_TRUE(ScreenShows(250, 200, red));
	auto* second = new CountingWindow(BRect(450, 100, 749, 299), &secondAsked);
	second->Show();
	ASSERT_TRUE(ScreenShows(600, 200, red));

	// Ctrl+W closes one of two windows; its keys are released after it went (the
	// desktop then reports them for a window that is gone), and more input follows.
	fScreen->Click(600, 200);
	snooze(200000);
	fScreen->PressKeysym(XK_w, true, true);
	ASSERT_TRUE(Eventually([&] { return secondAsked.load() == 1; }));
	snooze(200000);
	fScreen->PressKeysym(XK_w, false, true);
	fScreen->TypeKeysym(XK_a);
	fScreen->Click(600, 200);
	fScreen->Click(250, 200);
	fScreen->TypeKeysym(XK_Tab);

	// A click that closes its window: the button's release finds it gone.
	auto* clicked = new CountingWindow(BRect(450, 100, 749, 299), &clickedAsked, true);
	clicked->Show();
	ASSERT_TRUE(ScreenShows(600, 200, red));
	fScreen->Click(600, 200);
	ASSERT_TRUE(Eventually([&] { return clickedAsked.load() == 1; }));
	fScreen->Click(600, 200);
	fScreen->TypeKeysym(XK_b);

	// Ctrl+Q in the last window quits the application; input goes on arriving.
	fScreen->Click(250, 200);
	snooze(200000);
	fScreen->PressKeysym(XK_q, true, true);
	ASSERT_TRUE(RunReturns());
	fScreen->PressKeysym(XK_q, false, true);
	EXPECT_EQ(firstAsked.load(), 1);
	fScreen->TypeKeysym(XK_c);
	fScreen->Click(250, 200);
	snooze(300000);
	// The display server lived through it all and still answers.
	EXPECT_TRUE(DisplayServer::Get().ScreenFrame().IsValid());
	EXPECT_EQ(secondAsked.load(), 1);
	EXPECT_EQ(clickedAsked.load(), 1);
}

TEST_F(SdlWindowTest, EachEndingSignalQuitsTheApplicationThroughItsWindow)
{
	const int signals[] = {SIGTERM, SIGINT, SIGHUP};
	std::atomic<int> asked[3] = {0, 0, 0};
	for (int i = 0; i < 3; i++) {
		SCOPED_TRACE(strsignal(signals[i]));
		if (i > 0)
			StartApplication();
		auto* window = new CountingWindow(BRect(100, 100, 399, 299), &asked[i]);
		window->Show();
		ASSERT_TRUE(ScreenShows(250, 200, Rgb{255, 0, 0}));
		kill(getpid(), signals[i]);
		ASSERT_TRUE(RunReturns());
		EXPECT_EQ(asked[i].load(), 1);
	}
}

}  // namespace
