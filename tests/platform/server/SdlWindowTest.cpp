// Real windows on the sdl backend, on the private X desktop sdl_desktop.sh starts
// (a virtual X server with a window manager that decorates windows, as on a
// user's desktop): what a window drew is read back from the X screen, and input
// comes through the X server's test devices (xdotool), so the whole path to and
// from the display is checked: placement under the decoration, menus, and windows
// closed by their own keys and clicks. Skipped without a display.
#include <Application.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <View.h>
#include <Window.h>

#include <OS.h>

#include "DisplayServer.h"
#include "MenuPopup.h"
#include "WindowServerLink.h"
#include "XScreen.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

namespace {

// Input as if from the devices: xdotool's arguments ("key ctrl+w", "keyup ctrl+w").
void Xdo(const std::string& arguments)
{
	EXPECT_EQ(system(("xdotool " + arguments).c_str()), 0) << arguments;
}

void Click(int x, int y)
{
	Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

// Colours as the X screen holds them, 0xRRGGBB.
constexpr long kRed = 0xff0000, kGreen = 0x00ff00, kBlue = 0x0000ff, kMenu = 0xe8e8e8;

// A red field under a 20 pixel menu bar whose File menu has Open, Close (Ctrl+W,
// quits the window) and Quit (Ctrl+Q, quits the application); the field has a
// blue 20 x 20 block in its bottom right corner.
// Counts its QuitRequested calls in a counter that outlives it and the moves
// reported to it, and notes Open. With closeOnClick, a button press on the field
// quits the window at once, so the release comes after it is gone.
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
		if (message->what != 'open')
			return BWindow::MessageReceived(message);
		opened = true;
	}

	std::atomic<int> moves{0};
	std::atomic<bool> opened{false};

private:
	class Field : public BView {
	public:
		Field(BRect frame, bool closeOnClick)
			: BView(frame, "field", B_FOLLOW_ALL, B_WILL_DRAW), fCloseOnClick(closeOnClick)
		{
			SetViewColor(255, 0, 0);
		}
		void Draw(BRect) override
		{
			const BRect bounds = Bounds();
			SetHighColor(0, 0, 255);
			FillRect(BRect(bounds.right - 19, bounds.bottom - 19, bounds.right, bounds.bottom));
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

bool ScreenShows(int x, int y, long colour)
{
	return Eventually([&] { return XScreenPixel(x, y) == colour; });
}

class SdlWindowTest : public testing::Test {
protected:
	void SetUp() override
	{
		if (getenv("DISPLAY") == nullptr)
			GTEST_SKIP() << "no X display (sdl_desktop.sh starts one)";
		setenv("CVAB_BACKEND", "sdl", 1);
		std::promise<void> ready;
		fAppThread = std::thread([this, &ready] {
			BApplication app("application/x-vnd.cvab-sdl-test");
			ready.set_value();
			app.Run();
			fRunReturned = true;
		});
		ready.get_future().wait();
	}

	void TearDown() override
	{
		if (!fAppThread.joinable())
			return;
		if (!fRunReturned)
			be_app->PostMessage(B_QUIT_REQUESTED);
		fAppThread.join();
	}

	// A window shown and, at the point given, on the screen.
	TestWindow* Show(BRect frame, std::atomic<int>* asked, BPoint redAt, bool closeOnClick = false)
	{
		auto* window = new TestWindow(frame, asked, closeOnClick);
		window->Show();
		EXPECT_TRUE(ScreenShows(int(redAt.x), int(redAt.y), kRed));
		return window;
	}

	std::thread fAppThread;
	std::atomic<bool> fRunReturned{false};
	std::atomic<int> fAsked{0};
};

// The decoration goes above and to the left; the frame is the content's, and what
// the window draws lands there, pixel for pixel, when shown, moved and redrawn.
TEST_F(SdlWindowTest, TheContentLandsAtTheFrameAskedForAndItsDrawingReachesTheScreen)
{
	TestWindow* window = Show(BRect(100, 100, 399, 299), &fAsked, BPoint(100, 130));
	EXPECT_TRUE(ScreenShows(399, 299, kBlue)) << std::hex << XScreenPixel(399, 299);
	EXPECT_EQ(XScreenPixel(379, 280), kRed);
	EXPECT_NE(XScreenPixel(99, 130), kRed);
	EXPECT_NE(XScreenPixel(400, 299), kBlue);
	EXPECT_NE(XScreenPixel(399, 300), kBlue);
	snooze(300000);  // the window manager's own configuring settles
	ASSERT_TRUE(window->Lock());
	EXPECT_EQ(window->Frame(), BRect(100, 100, 399, 299));
	EXPECT_EQ(window->moves.load(), 0) << "the manager's placement is not a move";
	window->MoveTo(200, 150);
	window->ChildAt(0)->SetViewColor(0, 255, 0);
	window->Unlock();
	EXPECT_TRUE(ScreenShows(499, 349, kBlue)) << std::hex << XScreenPixel(499, 349);
	EXPECT_TRUE(ScreenShows(200, 180, kGreen)) << std::hex << XScreenPixel(200, 180);
	EXPECT_NE(XScreenPixel(199, 180), kGreen);
	snooze(300000);
	ASSERT_TRUE(window->Lock());
	EXPECT_EQ(window->Frame(), BRect(200, 150, 499, 349));
	window->Quit();
}

TEST_F(SdlWindowTest, MenusOpenInPopupsAboveTheWindowAndTakeClicksAndKeys)
{
	TestWindow* window = Show(BRect(100, 120, 399, 319), &fAsked, BPoint(200, 170));

	// The "File" title sits at the left of the bar.
	Click(100 + 14, 120 + 10);
	BRect popup;
	ASSERT_TRUE(Eventually([&] { return (popup = OpenPopupFrame()).IsValid(); }));
	EXPECT_GE(popup.top, 120 + 19) << "the menu opens below its title";
	// The popup covers the red field with the menu's own colours.
	const int insideX = int(popup.left) + 4, insideY = int(popup.top) + 9;
	EXPECT_TRUE(ScreenShows(insideX, insideY, kMenu)) << std::hex << XScreenPixel(insideX, insideY);
	Click(int(popup.left) + 20, int(popup.top) + 1 + 8);  // the first row: Open
	EXPECT_TRUE(Eventually([&] { return window->opened.load(); }));
	EXPECT_TRUE(Eventually([] { return !PopupOpen(); }));
	EXPECT_TRUE(ScreenShows(insideX, insideY, kRed)) << "the popup is gone from the screen";

	// Opened by a click, the keyboard drives the menu, with the desktop's focus on
	// the popup: the first item, then Close.
	Click(100 + 14, 120 + 10);
	ASSERT_TRUE(Eventually(PopupOpen));
	Xdo("key Down Down Return");
	EXPECT_TRUE(Eventually([this] { return fAsked.load() == 1; }));
	EXPECT_TRUE(Eventually([] { return !PopupOpen(); }));
}

// The desktop reports a key's release, and a click's, for a window that is gone
// by then; the display server and the other windows go on.
TEST_F(SdlWindowTest, KeysAndClicksThatCloseWindowsLeaveTheRestWorking)
{
	std::atomic<int> secondAsked{0}, clickedAsked{0};
	Show(BRect(100, 100, 399, 299), &fAsked, BPoint(250, 200));
	Show(BRect(450, 100, 749, 299), &secondAsked, BPoint(600, 200));

	// Ctrl+W closes one of two windows; its keys are released after it went.
	Click(600, 200);
	snooze(200000);
	Xdo("keydown ctrl+w");
	ASSERT_TRUE(Eventually([&] { return secondAsked.load() == 1; }));
	snooze(200000);
	Xdo("keyup ctrl+w");
	Xdo("key a");
	Click(600, 200);
	Click(250, 200);
	Xdo("key Tab");

	// A click that closes its window: the button's release finds it gone.
	Show(BRect(450, 100, 749, 299), &clickedAsked, BPoint(600, 200), true);
	Click(600, 200);
	ASSERT_TRUE(Eventually([&] { return clickedAsked.load() == 1; }));
	Click(600, 200);
	Xdo("key b");

	// Ctrl+Q in the last window quits the application; input goes on arriving.
	Click(250, 200);
	snooze(200000);
	Xdo("keydown ctrl+q");
	ASSERT_TRUE(Eventually([this] { return fRunReturned.load(); }));
	fAppThread.join();
	Xdo("keyup ctrl+q");
	EXPECT_EQ(fAsked.load(), 1);
	Xdo("key c");
	Click(250, 200);
	snooze(300000);
	// The display server lived through it all and still answers.
	EXPECT_TRUE(DisplayServer::Get().ScreenFrame().IsValid());
	EXPECT_EQ(secondAsked.load(), 1);
	EXPECT_EQ(clickedAsked.load(), 1);
}

}  // namespace
