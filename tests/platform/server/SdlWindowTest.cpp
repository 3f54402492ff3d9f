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

struct Rgb {
	int red, green, blue;
	bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c)
{
	return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

const Rgb kRed{255, 0, 0}, kBlue{0, 0, 255};

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
	}
};

// A red field under a 20 pixel menu bar whose File menu has Open, Close (Ctrl+W,
// quits the window) and Quit (Ctrl+Q, quits the application). Counts its
// QuitRequested calls in a counter that outlives it, the moves reported to it, and
// keeps the last Open or alert answer it got. With closeOnClick, a button press on
// the field quits the window at once, so the release comes after it is gone.
class TestWindow : public BWindow {
public:
	TestWindow(BRect frame, std::atomic<int>* quitRequests, bool closeOnClick = false)
		: BWindow(frame, "test", B_TITLED_WINDOW, 0), fQuitRequests(quitRequests)
	{
		AddChild(new Field(Bounds(), closeOnClick));
		auto* bar = new BMenuBar(BRect(0, 0, Bounds().right, 19), "bar");
		BMenu* file = new BMenu("File");
		file->AddItem(new BMenuItem("Open", new BMessage('open')));
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
	void MessageReceived(BMessage* message) override
	{
		if (message->what != 'open' && message->what != 'answ')
			return BWindow::MessageReceived(message);
		lastWhat = message->what;
		lastWhich = message->GetInt32("which", -1);
	}

	std::atomic<int> moves{0};
	std::atomic<uint32> lastWhat{0};
	std::atomic<int32> lastWhich{-2};

private:
	class Field : public BView {
	public:
		Field(BRect frame, bool closeOnClick)
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

// Polls for up to five seconds: the desktop answers in its own time.
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

bool PopupOpen() { return OpenPopupFrame().IsValid(); }

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

	void StartApplication()
	{
		fRunReturned = false;
		std::promise<void> ready;
		std::future<void> started = ready.get_future();
		fAppThread = std::thread([this, &ready] {
			BApplication app("application/x-vnd.cvab-sdl-test");
			ready.set_value();
			app.Run();
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

	// A window shown and, at the point given, on the screen.
	TestWindow* Show(BRect frame, std::atomic<int>* asked, BPoint redAt, bool closeOnClick = false)
	{
		auto* window = new TestWindow(frame, asked, closeOnClick);
		window->Show();
		EXPECT_TRUE(ScreenShows(int(redAt.x), int(redAt.y), kRed));
		return window;
	}

	// A pixel of the X root window, as the X server holds it now.
	Rgb ScreenPixel(int x, int y)
	{
		const long pixel = fScreen->Pixel(x, y);
		if (pixel < 0)
			return {-1, -1, -1};
		return {int((pixel >> 16) & 0xff), int((pixel >> 8) & 0xff), int(pixel & 0xff)};
	}
	bool ScreenShows(int x, int y, Rgb colour)
	{
		return Eventually([&] { return ScreenPixel(x, y) == colour; });
	}

	std::unique_ptr<XScreen> fScreen;
	std::thread fAppThread;
	std::atomic<bool> fRunReturned{false};
	std::atomic<int> fAsked{0};
};

// The decoration goes above and to the left; the frame is the content's, and what
// the window draws lands there, pixel for pixel, when first shown, reopened at the
// frame it reported, moved by the program and redrawn.
TEST_F(SdlWindowTest, TheContentLandsAtTheFrameAskedForAndItsDrawingReachesTheScreen)
{
	BRect frame(100, 100, 399, 299);
	for (int opening = 0; opening < 2; opening++) {
		SCOPED_TRACE(opening == 0 ? "first opening" : "reopened at the frame reported");
		auto* window = new TestWindow(frame, &fAsked);
		auto* mark = new MarkView(window->Bounds().InsetByCopy(0, 10).OffsetToCopy(0, 20));
		window->AddChild(mark);
		window->Show();
		EXPECT_TRUE(ScreenShows(100, 120, kBlue)) << ScreenPixel(100, 120);
		EXPECT_TRUE(ScreenShows(399, 299, kRed)) << ScreenPixel(399, 299);
		EXPECT_EQ(ScreenPixel(119, 139), kBlue);
		EXPECT_EQ(ScreenPixel(120, 139), kRed);
		EXPECT_EQ(ScreenPixel(250, 160), (Rgb{0, 0, 0}));
		EXPECT_EQ(ScreenPixel(250, 159), kRed);
		EXPECT_EQ(ScreenPixel(250, 161), kRed);
		EXPECT_NE(ScreenPixel(99, 120), kBlue);
		EXPECT_NE(ScreenPixel(400, 299), kRed);
		EXPECT_NE(ScreenPixel(399, 300), kRed);
		snooze(300000);  // the window manager's own configuring settles
		ASSERT_TRUE(window->Lock());
		EXPECT_EQ(window->Frame(), BRect(100, 100, 399, 299));
		EXPECT_EQ(window->moves.load(), 0) << "the manager's placement is not a move";
		frame = window->Frame();
		if (opening == 0) {
			window->Quit();
			continue;
		}
		// A move by the program puts the content there too, and so does a redraw.
		window->MoveTo(200, 150);
		mark->SetViewColor(0, 255, 0);
		mark->Invalidate();
		window->Unlock();
		EXPECT_TRUE(ScreenShows(200, 170, kBlue)) << ScreenPixel(200, 170);
		EXPECT_TRUE(ScreenShows(350, 300, (Rgb{0, 255, 0}))) << ScreenPixel(350, 300);
		EXPECT_NE(ScreenPixel(199, 170), kBlue);
		snooze(300000);
		ASSERT_TRUE(window->Lock());
		EXPECT_EQ(window->Frame(), BRect(200, 150, 499, 349));
		window->Quit();
	}
}

TEST_F(SdlWindowTest, MenusOpenInPopupsAboveTheWindowAndMenusAndAlertsTakeClicksAndKeys)
{
	TestWindow* window = Show(BRect(100, 120, 399, 319), &fAsked, BPoint(200, 170));

	// The "File" title sits at the left of the bar.
	fScreen->Click(100 + 14, 120 + 10);
	BRect popup;
	ASSERT_TRUE(Eventually([&] { return (popup = OpenPopupFrame()).IsValid(); }));
	EXPECT_GE(popup.top, 120 + 19) << "the menu opens below its title";
	// The popup covers the red field with the menu's own colours.
	const int insideX = int(popup.left) + 4, insideY = int(popup.top) + 9;
	EXPECT_TRUE(ScreenShows(insideX, insideY, Rgb{232, 232, 232}))
		<< ScreenPixel(insideX, insideY);
	fScreen->Click(int(popup.left) + 20, int(popup.top) + 1 + 8);  // the first row: Open
	EXPECT_TRUE(Eventually([&] { return window->lastWhat.load() == uint32('open'); }));
	EXPECT_TRUE(Eventually([] { return !PopupOpen(); }));
	EXPECT_TRUE(ScreenShows(insideX, insideY, kRed)) << "the popup is gone from the screen";

	// F10 opens it from the keyboard alone, and Escape closes it.
	fScreen->TypeKeysym(XK_F10);
	EXPECT_TRUE(Eventually(PopupOpen));
	fScreen->TypeKeysym(XK_Escape);
	EXPECT_TRUE(Eventually([] { return !PopupOpen(); }));

	// An alert takes a click on its button, and Enter for the rightmost.
	auto ask = [window] {
		auto* alert = new BAlert("Question", "Keep going?", "Stop", "Go on");
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
	const int x = int((first.left + first.right) / 2), y = int((first.top + first.bottom) / 2);
	ASSERT_TRUE(Eventually([&] {
		return ScreenPixel(x, y - 6) != kRed && ScreenPixel(x, y - 6) != Rgb{-1, -1, -1};
	}));
	fScreen->Click(x, y);
	EXPECT_TRUE(Eventually([&] { return window->lastWhich.load() == 0; }));
	ask();
	snooze(300000);  // on screen and focused before the key comes
	fScreen->TypeKeysym(XK_Return);
	EXPECT_TRUE(Eventually([&] { return window->lastWhich.load() == 1; }));

	// Opened by a click, the keyboard drives the menu, with the desktop's focus on
	// the popup.
	fScreen->Click(100 + 14, 120 + 10);
	ASSERT_TRUE(Eventually(PopupOpen));
	fScreen->TypeKeysym(XK_Down);  // the first item
	fScreen->TypeKeysym(XK_Down);  // Close
	fScreen->TypeKeysym(XK_Return);
	EXPECT_TRUE(Eventually([this] { return fAsked.load() == 1; }));
	EXPECT_TRUE(Eventually([] { return !PopupOpen(); }));
}

TEST_F(SdlWindowTest, KeysAndClicksThatCloseWindowsLeaveTheRestWorking)
{
	std::atomic<int> secondAsked{0}, clickedAsked{0};
	Show(BRect(100, 100, 399, 299), &fAsked, BPoint(250, 200));
	Show(BRect(450, 100, 749, 299), &secondAsked, BPoint(600, 200));

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
	Show(BRect(450, 100, 749, 299), &clickedAsked, BPoint(600, 200), true);
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
	EXPECT_EQ(fAsked.load(), 1);
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
	for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
		SCOPED_TRACE(strsignal(signal));
		if (signal != SIGTERM)
			StartApplication();
		fAsked = 0;
		Show(BRect(100, 100, 399, 299), &fAsked, BPoint(250, 200));
		kill(getpid(), signal);
		ASSERT_TRUE(RunReturns());
		EXPECT_EQ(fAsked.load(), 1);
	}
}

}  // namespace
