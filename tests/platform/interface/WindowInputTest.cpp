// Input and window behaviour on the headless screen: clicks reaching the deepest
// view, transit codes, capture, focus and Tab, size limits, activation, modality,
// closing and quitting, pulses and odd frames. (A drag tracked through GetMouse and
// the cursors are the column header tests'.)
#include "WindowTestSupport.h"

#include <AppDefs.h>
#include <Button.h>
#include <OS.h>

#include "WindowServerLink.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <future>
#include <limits>
#include <unistd.h>

namespace {

using InputTest = WindowTest;

// What happened to a window, kept where it outlives the window.
struct Fate {
	std::atomic<int> asked{0};
	bool deleted = false;
};

// A window whose hooks are recorded; it agrees to quit unless told otherwise.
class RecordingWindow : public BWindow {
public:
	RecordingWindow(BRect frame, Fate* fate = nullptr, bool agree = true)
		: BWindow(frame, "recording", B_TITLED_WINDOW, 0), fFate(fate), fAgree(agree)
	{
	}
	~RecordingWindow() override
	{
		if (fFate != nullptr)
			fFate->deleted = true;
	}
	void FrameResized(float width, float height) override { sizes.push_back(BPoint(width, height)); }
	void WindowActivated(bool active) override { activations.push_back(active); }
	bool QuitRequested() override
	{
		if (fFate != nullptr)
			fFate->asked++;
		return fAgree;
	}

	std::vector<BPoint> sizes;
	std::vector<bool> activations;

private:
	Fate* fFate;
	bool fAgree;
};

std::vector<uint32> Transits(const RecordingView* view)
{
	std::vector<uint32> got;
	for (const MouseRecord& record : view->mouse)
		got.push_back(record.transit);
	return got;
}

TEST_F(InputTest, ClicksReachTheDeepestViewTransitsFollowThePointerAndAHeldButtonStays)
{
	BWindow* window = new BWindow(BRect(100, 100, 299, 199), "click", B_TITLED_WINDOW, 0);
	auto* left = new RecordingView(BRect(0, 0, 99, 99), "left");
	auto* inner = new RecordingView(BRect(20, 30, 59, 69), "inner");
	auto* right = new RecordingView(BRect(100, 0, 199, 99), "right");
	left->AddChild(inner);
	left->ScrollTo(BPoint(0, 5));
	window->AddChild(left);
	window->AddChild(right);
	Open(BRect(), window);
	BWindow* other = new BWindow(BRect(350, 100, 449, 199), "beside", B_TITLED_WINDOW, 0);
	auto* beside = new RecordingView(BRect(0, 0, 99, 99), "beside");
	other->AddChild(beside);
	Open(BRect(), other);
	// Screen 125, 140 is window 25, 40, left 25, 45 (40 plus the scroll of 5), and
	// inner 5, 15: a child's frame lies in its parent's scrolled coordinates.
	ClickAt(BPoint(125, 140));
	Locked(window, [&] {
		ASSERT_GE(inner->mouse.size(), 3u);
		EXPECT_EQ(inner->mouse[inner->mouse.size() - 2].hook, "down");
		EXPECT_EQ(inner->mouse[inner->mouse.size() - 2].where, BPoint(5, 15));
		EXPECT_EQ(inner->mouse.back().hook, "up");
		EXPECT_EQ(left->Downs(), 0);
		EXPECT_EQ(window->FindView(BPoint(25, 40)), inner);
		EXPECT_EQ(window->FindView(BPoint(2, 2)), left);
		left->mouse.clear();
	});

	for (const float x : {110, 120, 250, 600})  // the last off the window
		Screen::MoveMouse(BPoint(x, 110));
	Settle();
	const size_t rightBefore = Locked(window, [&] {
		EXPECT_EQ(Transits(left), (std::vector<uint32>{B_ENTERED_VIEW, B_INSIDE_VIEW, B_EXITED_VIEW}));
		EXPECT_EQ(Transits(right), (std::vector<uint32>{B_ENTERED_VIEW, B_EXITED_VIEW}));
		EXPECT_EQ(right->mouse[0].where, BPoint(50, 10));
		return right->mouse.size();
	});
	// Pressed on the left and dragged over the right and into another window: only
	// the left view hears it, until the release.
	Drag({BPoint(110, 110), BPoint(250, 110), BPoint(400, 110)});
	Locked(window, [&] {
		EXPECT_EQ(right->mouse.size(), rightBefore);
		const size_t n = left->mouse.size();
		ASSERT_GE(n, 7u);
		EXPECT_EQ(left->mouse[n - 3].transit, (uint32)B_EXITED_VIEW);
		EXPECT_EQ(left->mouse[n - 3].where, BPoint(150, 15));
		EXPECT_EQ(left->mouse[n - 2].transit, (uint32)B_OUTSIDE_VIEW);
		EXPECT_EQ(left->mouse[n - 1].hook, "up");
		EXPECT_EQ(left->mouse[n - 1].where, BPoint(300, 15));
	});
	Locked(other, [&] { EXPECT_TRUE(beside->mouse.empty()); });
	Screen::MoveMouse(BPoint(401, 110));
	Settle();
	Locked(other, [&] { EXPECT_EQ(Transits(beside), std::vector<uint32>{B_ENTERED_VIEW}); });
}

TEST_F(InputTest, TabMovesTheFocusAmongEnabledNavigableViewsAndKeysReachTheFocus)
{
	BWindow* window = new BWindow(BRect(0, 0, 199, 99), "focus", B_TITLED_WINDOW, 0);
	auto* first = new RecordingView(BRect(0, 0, 9, 9), "first", B_WILL_DRAW | B_NAVIGABLE);
	// Neither a view with B_NAVIGABLE_JUMP alone, a plain BView nor a disabled
	// control is a Tab stop.
	auto* plain = new RecordingView(BRect(20, 0, 29, 9), "plain", B_WILL_DRAW | B_NAVIGABLE_JUMP);
	auto* button = new BButton(BRect(120, 0, 190, 20), "button", "Go", new BMessage('go  '));
	button->SetEnabled(false);
	auto* group = new BView(BRect(40, 0, 99, 49), "group", B_FOLLOW_NONE, B_NAVIGABLE);
	auto* second = new RecordingView(BRect(0, 0, 9, 9), "second", B_WILL_DRAW | B_NAVIGABLE);
	auto* third = new RecordingView(BRect(20, 0, 29, 9), "third", B_WILL_DRAW | B_NAVIGABLE);
	group->AddChild(second);
	group->AddChild(third);
	for (BView* view : {(BView*)first, (BView*)plain, (BView*)group, (BView*)button})
		window->AddChild(view);
	first->MakeFocus();
	Open(BRect(), window);

	Type("a\xc3\xa9");
	Locked(window, [&] { EXPECT_EQ(first->keys, (std::vector<std::string>{"a", "\xc3\xa9"})); });
	auto focusAfter = [&](uint32 modifiers) {
		Key("\t", modifiers);
		return Locked(window, [&] { return window->CurrentFocus(); });
	};
	EXPECT_EQ(focusAfter(0), second);
	EXPECT_EQ(focusAfter(0), third);
	EXPECT_EQ(focusAfter(0), first);  // wraps, skipping the plain views and the button
	EXPECT_EQ(focusAfter(B_SHIFT_KEY), third);
	Locked(window, [&] { button->SetEnabled(true); });
	EXPECT_EQ(focusAfter(0), button);

	Locked(window, [&] {
		button->MakeFocus(false);
		EXPECT_EQ(window->CurrentFocus(), nullptr);
		third->MakeFocus();
		group->RemoveChild(third);  // the focus goes with it
		EXPECT_EQ(window->CurrentFocus(), nullptr);
		delete third;
	});
}

// (A move by the user reaching the window is the book window tests'.)
TEST_F(InputTest, SizeLimitsHoldForTheProgramAndTheUser)
{
	auto* window = new RecordingWindow(BRect(10, 20, 209, 119));
	window->SetSizeLimits(150, 300, 50, 120);
	Open(BRect(), window);
	Locked(window, [&] {
		window->ResizeTo(100, 500);
		EXPECT_EQ(window->Bounds(), BRect(0, 0, 150, 120));
	});
	Screen::UserResize(window, 2000, 0);
	Settle();
	Locked(window, [&] {
		EXPECT_EQ(window->Bounds(), BRect(0, 0, 300, 50));
		ASSERT_FALSE(window->sizes.empty());
		EXPECT_EQ(window->sizes.back(), BPoint(300, 50));
		// Limits set below the current size shrink the window.
		window->SetSizeLimits(10, 200, 10, 40);
		EXPECT_EQ(window->Bounds(), BRect(0, 0, 200, 40));
	});
}

TEST_F(InputTest, ActivationFollowsShowingAndClicksAndAModalWindowTakesTheInput)
{
	auto* plain = new RecordingWindow(BRect(0, 0, 199, 199));
	auto* view = new RecordingView(BRect(0, 0, 199, 199), "all");
	plain->AddChild(view);
	Open(BRect(), plain);
	view->MakeFocus();
	auto* other = new RecordingWindow(BRect(300, 0, 399, 99));
	Open(BRect(), other);
	Locked(plain, [&] { EXPECT_EQ(plain->activations, (std::vector<bool>{true, false})); });
	ClickAt(BPoint(50, 50));
	Locked(plain, [&] { EXPECT_TRUE(plain->IsActive()); });
	Locked(other, [&] {
		EXPECT_EQ(other->activations, (std::vector<bool>{true, false}));
		other->Activate();
	});
	Settle();
	Locked(other, [&] { EXPECT_TRUE(other->IsActive()); });

	BWindow* modal = new BWindow(BRect(300, 300, 399, 399), "modal", B_MODAL_WINDOW, 0);
	auto* modalView = new RecordingView(BRect(0, 0, 99, 99), "modal view");
	modal->AddChild(modalView);
	modalView->MakeFocus();
	Open(BRect(), modal);
	Screen::Click(BPoint(10, 10));
	Key("x");
	Locked(plain, [&] {
		EXPECT_EQ(view->Downs(), 1);
		EXPECT_FALSE(plain->IsActive());
	});
	// Even with the other window made active, its keys go to the modal window, and
	// a click on it brings the modal window back to the front.
	Locked(plain, [&] { plain->Activate(); });
	Settle();
	Screen::TypeKey("y");
	ClickAt(BPoint(20, 20));
	Locked(plain, [&] { EXPECT_TRUE(view->keys.empty()); });
	Locked(modal, [&] {
		EXPECT_EQ(modalView->keys, (std::vector<std::string>{"x", "y"}));
		EXPECT_TRUE(modal->IsActive());
		modal->Hide();
	});
	// Once it is hidden the other window takes input again.
	Settle();
	ClickAt(BPoint(30, 30));
	Locked(plain, [&] { EXPECT_EQ(view->Downs(), 2); });
}

TEST_F(InputTest, CloseBoxAsksQuitRequestedAndAnAgreeingWindowsThreadEndsAndItIsDeleted)
{
	Fate refusingFate;
	auto* refusing = new RecordingWindow(BRect(0, 0, 99, 99), &refusingFate, false);
	Open(BRect(), refusing);
	Screen::ClickCloseBox(refusing);
	Settle();
	EXPECT_EQ(refusingFate.asked, 1);
	EXPECT_FALSE(refusingFate.deleted);

	Fate agreeingFate;
	auto* agreeing = new RecordingWindow(BRect(200, 0, 299, 99), &agreeingFate);
	Open(BRect(), agreeing);
	fWindows.pop_back();
	const thread_id thread = agreeing->Thread();
	Screen::ClickCloseBox(agreeing);
	Settle();
	EXPECT_TRUE(agreeingFate.deleted);
	thread_info info;
	EXPECT_NE(get_thread_info(thread, &info), B_OK);
	// Gone from the screen too.
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel(250, 50), 51, 102, 152));
	// The refusing window records its end in refusingFate: it must go while
	// that is still in scope, not in the tear-down.
	CloseAll();
	EXPECT_TRUE(refusingFate.deleted);
}

// A window that takes the window it owns with it when it goes.
class OwningWindow : public RecordingWindow {
public:
	using RecordingWindow::RecordingWindow;
	~OwningWindow() override
	{
		if (owned != nullptr && owned->Lock())
			owned->Quit();
	}

	BWindow* owned = nullptr;
};

TEST_F(InputTest, QuittingTheApplicationQuitsWindowsThatTakeOthersWithThem)
{
	Fate owner, owned, later;
	// The owner comes first in creation order, so the application reaches it
	// before the window its quitting deletes.
	auto* owning = new OwningWindow(BRect(0, 0, 99, 99), &owner);
	owning->owned = new RecordingWindow(BRect(200, 0, 299, 99), &owned);
	Open(BRect(), owning);
	Open(BRect(), owning->owned);
	Open(BRect(), new RecordingWindow(BRect(400, 0, 499, 99), &later));
	fWindows.clear();
	be_app->PostMessage(B_QUIT_REQUESTED);
	fAppThread.join();
	EXPECT_TRUE(owner.deleted);
	EXPECT_TRUE(owned.deleted);
	EXPECT_TRUE(later.deleted);
}

class HastyApplication : public BApplication {
public:
	HastyApplication() : BApplication("application/x-vnd.cvab-hasty") {}
	bool QuitRequested() override { return true; }
};

TEST_F(InputTest, RunAsksEachWindowOnceEvenWhenTheApplicationAskedNone)
{
	be_app->PostMessage(B_QUIT_REQUESTED);
	fAppThread.join();
	Fate agreeing, refusing;
	std::promise<void> ready;
	fAppThread = std::thread([&] {
		HastyApplication app;
		(new RecordingWindow(BRect(0, 0, 99, 99), &agreeing))->Show();
		(new RecordingWindow(BRect(200, 0, 299, 99), &refusing, false))->Show();
		ready.set_value();
		app.Run();
		// Every window thread has ended by now: none is left to use the application.
		EXPECT_TRUE(BPrivate::WindowServerLink::Windows().empty());
	});
	ready.get_future().wait();
	ASSERT_TRUE(Screen::WaitForIdle());
	be_app->PostMessage(B_QUIT_REQUESTED);
	fAppThread.join();
	EXPECT_EQ(agreeing.asked.load(), 1);
	EXPECT_EQ(refusing.asked.load(), 1);  // asked, and quit all the same: the program ends
}

TEST_F(InputTest, EndingSignalsQuitTheApplicationThroughItsWindows)
{
	for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
		SCOPED_TRACE(strsignal(signal));
		if (signal != SIGTERM)
			SetUp();
		Fate fate;
		(new RecordingWindow(BRect(0, 0, 99, 99), &fate))->Show();
		ASSERT_TRUE(Screen::WaitForIdle());
		kill(getpid(), signal);
		fAppThread.join();
		EXPECT_EQ(fate.asked.load(), 1);
		EXPECT_TRUE(fate.deleted);
	}
}

TEST_F(InputTest, WindowsStartHiddenShowHideNestAndPulsesReachWhoAsks)
{
	auto* window = new BWindow(BRect(0, 0, 49, 49), "hidden", B_TITLED_WINDOW, 0);
	window->SetPulseRate(10000);
	auto* wanting = new RecordingView(BRect(0, 0, 9, 9), "wanting", B_PULSE_NEEDED);
	auto* other = new RecordingView(BRect(10, 0, 19, 9), "other", 0);
	window->AddChild(wanting);
	window->AddChild(other);
	EXPECT_TRUE(window->IsHidden());
	Open(BRect(), window);
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel(30, 30), 216, 216, 216));
	snooze(100000);
	EXPECT_GE(wanting->pulses, 3);
	EXPECT_EQ(other->pulses, 0);

	Locked(window, [&] {
		window->Hide();
		window->Hide();
		window->Show();
		EXPECT_TRUE(window->IsHidden());
	});
	Settle();
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel(30, 30), 51, 102, 152));
	Locked(window, [&] { window->Show(); });
	Settle();
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel(30, 30), 216, 216, 216));
}

TEST_F(InputTest, AnyFrameGivesAUsableWindow)
{
	const float nan = std::numeric_limits<float>::quiet_NaN();
	const float inf = std::numeric_limits<float>::infinity();
	const BRect frames[] = {BRect(nan, nan, nan, nan), BRect(-inf, 10, inf, inf),
		BRect(300, 300, 100, 100), BRect(0, 0, 1e9f, 1e9f), BRect(-1e9f, 1e9f, 1e9f, -1e9f)};
	for (const BRect& frame : frames) {
		SCOPED_TRACE(testing::Message() << frame.left << ", " << frame.top << ", "
			<< frame.right << ", " << frame.bottom);
		BWindow* window = Open(BRect(), new BWindow(frame, "any", B_TITLED_WINDOW, 0));
		for (int round = 0; round < 2; round++) {
			const BRect got = Locked(window, [&] { return window->Frame(); });
			for (const float value : {got.left, got.top, got.right, got.bottom})
				EXPECT_TRUE(std::isfinite(value) && std::fabs(value) <= 32768) << value;
			EXPECT_GE(got.Width(), 0);
			EXPECT_LE(std::max(got.Width(), got.Height()), 4095);
			Settle();
			EXPECT_TRUE(ColorIs(Pixel(window, int32(got.Width()), int32(got.Height())), 216,
				216, 216));
			// Then the same after nonsense sizes and places from the program.
			Locked(window, [&] {
				window->ResizeTo(nan, 1e9f);
				window->MoveTo(inf, -1e9f);
				window->ResizeBy(-inf, 20);
			});
		}
	}
}

}  // namespace
