// Alerts on the headless screen: Go returning the chosen index from a window's
// handler and before the application runs, Enter and shortcut keys, modality and
// layout. (The asynchronous form, its index reported through an invoker for a click
// or a shortcut, is what the book window's save questions use and test.)
#include "WindowTestSupport.h"

#include <Alert.h>
#include <Button.h>
#include <Message.h>
#include <OS.h>
#include <TextView.h>

#include <future>

namespace {

const uint32 kAsk = 'ask!';

// Asks a question from its own handler, as an application's window would.
class AskingWindow : public BWindow {
public:
	AskingWindow() : BWindow(BRect(20, 20, 219, 219), "asking", B_TITLED_WINDOW, 0) {}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == kAsk) {
			auto* alert = new BAlert("Question", "Save the changes?", "Cancel", "Don't save",
				"Save", B_WIDTH_AS_USUAL, B_WARNING_ALERT);
			alert->SetShortcut(0, B_ESCAPE);
			shown.store(alert);
			answers.push_back(alert->Go());
			shown.store(nullptr);
			if (lastAnswer != nullptr)
				lastAnswer->store(answers.back());
			return;
		}
		BWindow::MessageReceived(message);
	}
	void MouseClicked() { clicks++; }

	std::atomic<BAlert*> shown{nullptr};
	std::vector<int32> answers;
	std::atomic<int32> clicks{0};
	std::atomic<int32>* lastAnswer = nullptr;  // outlives the window
};

class ClickCounter : public BView {
public:
	explicit ClickCounter(BRect frame)
		: BView(frame, "counter", B_FOLLOW_ALL_SIDES, B_WILL_DRAW)
	{
	}
	void MouseDown(BPoint) override { static_cast<AskingWindow*>(Window())->MouseClicked(); }
};

// The middle of a button of an alert, on the screen.
BPoint ButtonCentre(BAlert* alert, int32 index)
{
	return Locked(alert, [=] { return Centre(alert->ButtonAt(index)); });
}

class AlertTest : public WindowTest {
protected:
	void SetUp() override
	{
		WindowTest::SetUp();
		fAsking = new AskingWindow();
		fAsking->AddChild(new ClickCounter(fAsking->Bounds()));
		Open(BRect(), fAsking);
	}

	// Posts the question and waits until its alert is on screen.
	BAlert* Ask()
	{
		fAsking->PostMessage(kAsk);
		for (int i = 0; i < 500 && fAsking->shown.load() == nullptr; i++)
			snooze(2000);
		Settle();
		return fAsking->shown.load();
	}

	// Only once Go has returned: until then the asking window stays locked.
	std::vector<int32> Answers()
	{
		return Locked(fAsking, [this] { return fAsking->answers; });
	}

	AskingWindow* fAsking = nullptr;
};

TEST_F(AlertTest, GoInAHandlerReturnsTheButtonChosenByClickEnterOrShortcutWhileOthersWait)
{
	BAlert* alert = Ask();
	ASSERT_NE(alert, nullptr);
	// The asking window is blocked in Go, yet the screen counts as idle, and the
	// alert keeps the input from the other windows.
	ClickAt(BPoint(30, 30));
	EXPECT_EQ(fAsking->clicks.load(), 0);
	// A release off the button chooses nothing: still waiting in Go.
	Drag({ButtonCentre(alert, 0), ButtonCentre(alert, 0) + BPoint(0, 60)});
	EXPECT_NE(fAsking->shown.load(), nullptr);
	ClickAt(ButtonCentre(alert, 1));
	EXPECT_EQ(Answers(), std::vector<int32>{1});
	EXPECT_EQ(fAsking->shown.load(), nullptr);
	// Gone, and the window takes clicks again.
	ClickAt(BPoint(30, 30));
	EXPECT_EQ(fAsking->clicks.load(), 1);

	// Enter chooses the rightmost button, a shortcut its own.
	ASSERT_NE(Ask(), nullptr);
	Key("\n");
	ASSERT_EQ(Answers(), (std::vector<int32>{1, 2}));
	ASSERT_NE(Ask(), nullptr);
	Key("\x1b");
	EXPECT_EQ(Answers(), (std::vector<int32>{1, 2, 0}));
}

TEST_F(AlertTest, QuittingTheApplicationClosesTheAlertBeforeTheWindowWaitingOnIt)
{
	std::atomic<int32> answer{-2};
	fAsking->lastAnswer = &answer;
	ASSERT_NE(Ask(), nullptr);
	fWindows.clear();
	// The asking window holds its lock while it waits; quitting it first would hang.
	be_app->PostMessage(B_QUIT_REQUESTED);
	fAppThread.join();
	EXPECT_EQ(answer.load(), -1);
}

// A long text wraps in a taller window above the buttons and is drawn. (How the
// buttons and icons look is left to the eye.)
TEST_F(AlertTest, ALongTextWrapsAboveTheButtonsInATallerWindowAndIsDrawn)
{
	auto* usual = new BAlert("t", "Short.", "OK");
	const float shortHeight = usual->Bounds().Height();
	usual->Quit();

	auto* longAlert = new BAlert("Message",
		"Error registering Corvane Address Book as a Word Services server.  This will "
		"prevent the Look Up E-Mail Address menu item from showing up in client "
		"applications.",
		"OK", "Cancel");
	const BRect text = Locked(longAlert, [=] {
		const BRect frame = longAlert->TextView()->Frame();
		EXPECT_GE(longAlert->TextView()->CountLines(), 3);
		EXPECT_LT(frame.bottom, longAlert->ButtonAt(0)->Frame().top);
		EXPECT_LE(frame.right, longAlert->Bounds().right);
		EXPECT_GT(longAlert->Bounds().Height(), shortHeight);
		return frame;
	});
	longAlert->Go(nullptr);
	Settle();
	EXPECT_GT(CountPixels(longAlert, BRect(text.left, text.top, text.left + 29, text.top + 12),
		[](rgb_color c) { return c.red < 100; }), 0);
	Key("\n");
}

// Go works before the application runs, as a constructor showing an error would.
TEST(AlertBeforeRun, GoFromTheApplicationsThreadBeforeRunReturnsTheChoice)
{
	Screen::Use();
	std::atomic<BAlert*> shown{nullptr};
	std::promise<int32> answer;
	std::thread appThread([&] {
		BApplication app("application/x-vnd.cvab-alert-test");
		auto* alert = new BAlert("Message", "Unable to initiate Word Services session",
			"OK", nullptr, nullptr, B_WIDTH_AS_USUAL, B_INFO_ALERT);
		shown.store(alert);
		answer.set_value(alert->Go());
		app.PostMessage(B_QUIT_REQUESTED);
		app.Run();
	});
	for (int i = 0; i < 500 && shown.load() == nullptr; i++)
		snooze(2000);
	ASSERT_TRUE(Screen::WaitForIdle());
	Screen::Click(ButtonCentre(shown.load(), 0));
	std::future<int32> result = answer.get_future();
	ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
	EXPECT_EQ(result.get(), 0);
	appThread.join();
}

}  // namespace
