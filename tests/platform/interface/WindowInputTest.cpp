// Input and window behaviour on the headless screen: clicks reaching the deepest
// view, transit codes, capture, GetMouse tracking, focus and Tab, shortcuts, size
// limits, activation, modality, closing and quitting, pulses, cursors and odd frames.
#include "WindowTestSupport.h"

#include <AppDefs.h>
#include <Cursor.h>
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
	void FrameMoved(BPoint where) override { moves.push_back(where); }
	void FrameResized(float width, float height) override { sizes.push_back(BPoint(width, height)); }
	void WindowActivated(bool active) override { activations.push_back(active); }
	bool QuitRequested() override
	{
		if (fFate != nullptr)
			fFate->asked++;
		return fAgree;
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what != B_KEY_UP)
			received.push_back(message->what);
		BWindow::MessageReceived(message);
	}

	std::vector<BPoint> moves;
	std::vector<BPoint> sizes;
	std::vector<bool> activations;
	std::vector<uint32> received;

private:
	Fate* fFate;
	bool fAgree;
};

int32 Downs(const RecordingView* view)
{
	return (int32)std::count_if(view->mouse.begin(), view->mouse.end(),
		[](const MouseRecord& record) { return record.hook == "down"; });
}

TEST_F(InputTest, ClickReachesTheDeepestViewInItsOwnCoordinates)
{
	BWindow* window = new BWindow(BRect(100, 100, 299, 299), "click", B_TITLED_WINDOW, 0);
	auto* outer = new RecordingView(BRect(10, 10, 109, 109), "outer");
	auto* inner = new RecordingView(BRect(20, 30, 59, 69), "inner");
	outer->AddChild(inner);
	outer->ScrollTo(BPoint(0, 5));
	window->AddChild(outer);
	Open(BRect(), window);
	// Screen 135, 150 is window 35, 50, outer 25, 45 (40 plus the scroll of 5), and
	// inner 5, 15: a child's frame lies in its parent's scrolled coordinates.
	ClickAt(BPoint(135, 150));
	Locked(window, [&] {
		const std::vector<MouseRecord>& got = inner->mouse;
		ASSERT_GE(got.size(), 3u);
		EXPECT_EQ(got[got.size() - 2].hook, "down");
		EXPECT_EQ(got[got.size() - 2].where, BPoint(5, 15));
		EXPECT_EQ(got.back().hook, "up");
		EXPECT_EQ(Downs(outer), 0);
		EXPECT_EQ(window->FindView(BPoint(35, 50)), inner);
		EXPECT_EQ(window->FindView(BPoint(12, 12)), outer);
	});
}

TEST_F(InputTest, TransitCodesFollowThePointerAndAHeldButtonKeepsItWithThePressedView)
{
	BWindow* window = new BWindow(BRect(0, 0, 199, 99), "transit", B_TITLED_WINDOW, 0);
	auto* left = new RecordingView(BRect(0, 0, 99, 99), "left");
	auto* right = new RecordingView(BRect(100, 0, 199, 99), "right");
	window->AddChild(left);
	window->AddChild(right);
	Open(BRect(), window);
	for (const float x : {10, 20, 150, 500})  // the last off the window
		Screen::MoveMouse(BPoint(x, 10));
	Settle();
	const auto transits = [](const RecordingView* view) {
		std::vector<uint32> got;
		for (const MouseRecord& record : view->mouse)
			got.push_back(record.transit);
		return got;
	};
	const size_t rightBefore = Locked(window, [&] {
		EXPECT_EQ(transits(left), (std::vector<uint32>{B_ENTERED_VIEW, B_INSIDE_VIEW, B_EXITED_VIEW}));
		EXPECT_EQ(transits(right), (std::vector<uint32>{B_ENTERED_VIEW, B_EXITED_VIEW}));
		EXPECT_EQ(right->mouse[0].where, BPoint(50, 10));
		return right->mouse.size();
	});

	// Pressed on the left and dragged over the right: only the left view hears it.
	Drag({BPoint(50, 50), BPoint(150, 50), BPoint(160, 50)});
	Locked(window, [&] {
		EXPECT_EQ(right->mouse.size(), rightBefore);
		const size_t n = left->mouse.size();
		ASSERT_GE(n, 7u);
		EXPECT_EQ(left->mouse[n - 3].transit, (uint32)B_EXITED_VIEW);
		EXPECT_EQ(left->mouse[n - 3].where, BPoint(150, 50));
		EXPECT_EQ(left->mouse[n - 2].transit, (uint32)B_OUTSIDE_VIEW);
		EXPECT_EQ(left->mouse[n - 1].hook, "up");
		EXPECT_EQ(left->mouse[n - 1].where, BPoint(160, 50));
	});
}

// Tracks a drag in MouseDown the way column edges do: sleep, GetMouse, repeat.
class DragView : public BView {
public:
	explicit DragView(BRect frame) : BView(frame, "drag", B_FOLLOW_NONE, B_WILL_DRAW) {}
	void MouseDown(BPoint where) override
	{
		points.push_back(where);
		for (uint32 buttons = B_PRIMARY_MOUSE_BUTTON; buttons != 0;) {
			snooze(2000);
			BPoint now;
			GetMouse(&now, &buttons, true);
			if (now != points.back())
				points.push_back(now);
		}
		finished = true;
	}
	void MouseUp(BPoint) override { ups++; }
	std::vector<BPoint> points;
	int32 ups = 0;
	bool finished = false;
};

TEST_F(InputTest, DragIsTrackedWithGetMouseUntilTheRelease)
{
	BWindow* window = new BWindow(BRect(50, 50, 249, 149), "drag", B_TITLED_WINDOW, 0);
	auto* view = new DragView(BRect(10, 10, 109, 59));
	window->AddChild(view);
	Open(BRect(), window);
	Screen::MoveMouse(BPoint(70, 70));
	Screen::PressMouse();
	for (int32 x = 71; x <= 85; x++)
		Screen::MoveMouse(BPoint(x, 70));
	Screen::MoveMouse(BPoint(85, 90));
	Screen::ReleaseMouse();
	Settle();
	Locked(window, [&] {
		EXPECT_TRUE(view->finished);
		// Every move came out of the queue, in order.
		ASSERT_EQ(view->points.size(), 1u + 15u + 1u);
		EXPECT_EQ(view->points.front(), BPoint(10, 10));
		EXPECT_EQ(view->points.back(), BPoint(25, 30));
		for (size_t i = 1; i < view->points.size(); i++)
			EXPECT_GE(view->points[i].x, view->points[i - 1].x);
		// The release was taken by GetMouse, so it does not arrive again.
		EXPECT_EQ(view->ups, 0);
	});
	// The next click works normally.
	ClickAt(BPoint(70, 70));
	Locked(window, [&] { EXPECT_EQ(view->points.size(), 1u + 15u + 1u + 1u); });
}

TEST_F(InputTest, TabMovesTheFocusAmongNavigableViewsAndKeysReachTheFocus)
{
	BWindow* window = new BWindow(BRect(0, 0, 199, 99), "focus", B_TITLED_WINDOW, 0);
	auto* first = new RecordingView(BRect(0, 0, 9, 9), "first", B_WILL_DRAW | B_NAVIGABLE);
	// Neither a view with B_NAVIGABLE_JUMP alone nor a plain BView is a Tab stop.
	auto* plain = new RecordingView(BRect(20, 0, 29, 9), "plain", B_WILL_DRAW | B_NAVIGABLE_JUMP);
	auto* group = new BView(BRect(40, 0, 99, 49), "group", B_FOLLOW_NONE, B_NAVIGABLE);
	auto* second = new RecordingView(BRect(0, 0, 9, 9), "second", B_WILL_DRAW | B_NAVIGABLE);
	auto* third = new RecordingView(BRect(20, 0, 29, 9), "third", B_WILL_DRAW | B_NAVIGABLE);
	group->AddChild(second);
	group->AddChild(third);
	window->AddChild(first);
	window->AddChild(plain);
	window->AddChild(group);
	ASSERT_EQ(window->CurrentFocus(), nullptr);
	first->MakeFocus();
	EXPECT_TRUE(first->IsFocus());
	Open(BRect(), window);

	Type("a\xc3\xa9");
	Locked(window, [&] { EXPECT_EQ(first->keys, (std::vector<std::string>{"a", "\xc3\xa9"})); });

	auto focusAfter = [&](uint32 modifiers) {
		Key("\t", modifiers);
		return Locked(window, [&] { return window->CurrentFocus(); });
	};
	EXPECT_EQ(focusAfter(0), second);
	EXPECT_EQ(focusAfter(0), third);
	EXPECT_EQ(focusAfter(0), first);  // wraps, skipping the plain views
	EXPECT_EQ(focusAfter(B_SHIFT_KEY), third);
	EXPECT_EQ(focusAfter(B_SHIFT_KEY), second);

	Locked(window, [&] {
		second->MakeFocus(false);
		EXPECT_EQ(window->CurrentFocus(), nullptr);
		third->MakeFocus();
		group->RemoveChild(third);  // the focus goes with it
		EXPECT_EQ(window->CurrentFocus(), nullptr);
		delete third;
	});
}

TEST_F(InputTest, ShortcutsTakeCommandKeysAndOtherKeysGoToTheWindowWithoutFocus)
{
	auto* window = new RecordingWindow(BRect(0, 0, 99, 99));
	window->AddShortcut('S', 0, new BMessage('save'));
	window->AddShortcut('n', B_SHIFT_KEY, new BMessage('nshf'));
	EXPECT_TRUE(window->HasShortcut('s', 0));
	Open(BRect(), window);
	Screen::TypeKey("s", B_COMMAND_KEY | B_CONTROL_KEY);
	Screen::TypeKey("N", B_COMMAND_KEY | B_CONTROL_KEY | B_SHIFT_KEY);
	Screen::TypeKey("n", B_COMMAND_KEY | B_CONTROL_KEY);  // no such shortcut
	Key("s");  // no Ctrl: an ordinary key
	Locked(window, [&] {
		EXPECT_EQ(window->received, (std::vector<uint32>{'save', 'nshf', B_KEY_DOWN, B_KEY_DOWN}));
		window->RemoveShortcut('s', 0);
		EXPECT_FALSE(window->HasShortcut('s', 0));
	});
}

TEST_F(InputTest, SizeLimitsHoldForTheProgramAndTheUserAndMovesReachFrameMoved)
{
	auto* window = new RecordingWindow(BRect(10, 20, 209, 119));
	window->SetSizeLimits(150, 300, 50, 120);
	Open(BRect(), window);
	Locked(window, [&] {
		window->ResizeTo(1000, 10);
		EXPECT_EQ(window->Bounds(), BRect(0, 0, 300, 50));
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
		float minWidth;
		float maxHeight;
		window->GetSizeLimits(&minWidth, nullptr, nullptr, &maxHeight);
		EXPECT_EQ(minWidth, 10);
		EXPECT_EQ(maxHeight, 40);
		window->MoveTo(40, 50);
		EXPECT_EQ(window->Frame(), BRect(40, 50, 240, 90));
	});
	Screen::UserMove(window, BPoint(300, 310));
	Settle();
	// Clicks find the window where it is now.
	auto* view = new RecordingView(BRect(0, 0, 99, 39), "all");
	Locked(window, [&] {
		EXPECT_EQ(window->moves, (std::vector<BPoint>{BPoint(40, 50), BPoint(300, 310)}));
		EXPECT_EQ(window->Frame(), BRect(300, 310, 500, 350));
		window->AddChild(view);
	});
	ClickAt(BPoint(305, 315));
	Locked(window, [&] {
		ASSERT_FALSE(view->mouse.empty());
		EXPECT_EQ(view->mouse.back().where, BPoint(5, 5));
	});
}

TEST_F(InputTest, ActivationReachesWindowActivatedAndFollowsClicks)
{
	auto* a = new RecordingWindow(BRect(0, 0, 99, 99));
	Open(BRect(), a);
	auto* b = new RecordingWindow(BRect(200, 0, 299, 99));
	Open(BRect(), b);
	Locked(a, [&] {
		EXPECT_EQ(a->activations, (std::vector<bool>{true, false}));
		EXPECT_FALSE(a->IsActive());
	});
	Locked(b, [&] {
		EXPECT_EQ(b->activations, (std::vector<bool>{true}));
		EXPECT_TRUE(b->IsActive());
	});
	ClickAt(BPoint(50, 50));
	Locked(a, [&] { EXPECT_TRUE(a->IsActive()); });
	Locked(b, [&] {
		EXPECT_EQ(b->activations.back(), false);
		b->Activate();
	});
	Settle();
	Locked(b, [&] { EXPECT_TRUE(b->IsActive()); });
}

TEST_F(InputTest, ModalWindowTakesTheInputFromTheOthers)
{
	BWindow* plain = new BWindow(BRect(0, 0, 199, 199), "plain", B_TITLED_WINDOW, 0);
	auto* view = new RecordingView(BRect(0, 0, 199, 199), "all");
	plain->AddChild(view);
	Open(BRect(), plain);
	view->MakeFocus();
	BWindow* modal = new BWindow(BRect(300, 300, 399, 399), "modal", B_MODAL_WINDOW, 0);
	auto* modalView = new RecordingView(BRect(0, 0, 99, 99), "modal view");
	modal->AddChild(modalView);
	modalView->MakeFocus();
	Open(BRect(), modal);
	Screen::Click(BPoint(10, 10));
	Key("x");
	Locked(plain, [&] {
		EXPECT_EQ(Downs(view), 0);
		EXPECT_FALSE(plain->IsActive());
	});
	Locked(modal, [&] { EXPECT_TRUE(modal->IsActive()); });

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
	Locked(plain, [&] { EXPECT_EQ(Downs(view), 1); });
}

TEST_F(InputTest, CloseBoxAsksQuitRequestedAndQuitEndsTheThreadAndDeletes)
{
	Fate refusingFate;
	auto* refusing = new RecordingWindow(BRect(0, 0, 99, 99), &refusingFate, false);
	Open(BRect(), refusing);
	Screen::ClickCloseBox(refusing);
	Settle();
	EXPECT_EQ(refusingFate.asked, 1);
	EXPECT_FALSE(refusingFate.deleted);
	EXPECT_FALSE(refusing->IsHidden());

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

	Fate quitFate;
	auto* quitting = new RecordingWindow(BRect(400, 0, 499, 99), &quitFate);
	Open(BRect(), quitting);
	fWindows.pop_back();
	ASSERT_TRUE(quitting->Lock());
	quitting->Quit();
	EXPECT_TRUE(quitFate.deleted);
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

TEST_F(InputTest, WindowsStartHiddenShowHideNestPulsesReachWhoAsksAndCursorsGoThroughTheApp)
{
	auto* window = new BWindow(BRect(0, 0, 49, 49), "hidden", B_TITLED_WINDOW, 0);
	window->SetPulseRate(10000);
	auto* wanting = new RecordingView(BRect(0, 0, 9, 9), "wanting", B_PULSE_NEEDED);
	auto* other = new RecordingView(BRect(10, 0, 19, 9), "other", 0);
	window->AddChild(wanting);
	window->AddChild(other);
	EXPECT_TRUE(window->IsHidden());
	Open(BRect(), window);
	EXPECT_FALSE(window->IsHidden());
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

	be_app->SetCursor(B_I_BEAM_CURSOR);
	EXPECT_EQ(Screen::CursorName(), "ibeam");
	// The platform's hand cursor is its ordinary arrow.
	be_app->SetCursor(B_HAND_CURSOR);
	EXPECT_EQ(Screen::CursorName(), "default");
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
			EXPECT_LE(got.Width(), 4095);
			EXPECT_LE(got.Height(), 4095);
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
