// Shared set-up for the window tests: an application on the headless screen,
// helpers to show windows and read pixels, to drive views by name as a user
// would, to answer alerts, and views that record their hooks.
//
// Sections: the fixture; locking and view geometry; driving views; alerts and
// the clipboard; recorders; colours.
#ifndef _WINDOW_TEST_SUPPORT_H
#define _WINDOW_TEST_SUPPORT_H

#include <Application.h>
#include <Looper.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include "HeadlessScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using Screen = BPrivate::HeadlessScreen;

class BAlert;

class WindowTest : public testing::Test {
protected:
	void SetUp() override;
	void TearDown() override;

	// A titled window at frame, shown, drawn and settled.
	BWindow* Open(BRect frame, BWindow* window = nullptr);
	void Settle() { ASSERT_TRUE(Screen::WaitForIdle()); }
	// A key or a text typed into the focused window, then the screen settled.
	void Key(const char* bytes, uint32 modifiers = 0);
	void Type(const char* text);
	// A click at a screen point with the modifiers held, then the screen settled.
	void ClickAt(BPoint where, uint32 modifiers = 0, int32 clicks = 1);
	// Presses at the first point, moves through the others, lets go there, settles.
	void Drag(std::initializer_list<BPoint> path);
	// A pixel of the window's last presented frame.
	rgb_color Pixel(BWindow* window, int32 x, int32 y);
	void CloseAll();

	// The application runs in its own thread, as it would in main.
	std::thread fAppThread;
	std::vector<BWindow*> fWindows;
};

// --- locking and view geometry

// What f returns, run with window locked: the views of a shown window belong to
// its thread, so the tests read and change them only this way.
template <class F>
auto Locked(BWindow* window, F f)
{
	struct Unlock {
		BWindow* window;
		bool locked;
		~Unlock()
		{
			if (locked)
				window->Unlock();
		}
	} guard{window, window->Lock()};
	EXPECT_TRUE(guard.locked);
	return f();
}

// The middle of a view on the screen, in whole pixels; its window locked.
BPoint Centre(BView* view);
// A point given in a view's own coordinates, on the screen.
BPoint ViewToScreen(BView* view, BPoint where);

// --- driving views

// Clicks the middle of the view of that name and lets the screen settle.
void ClickView(BWindow* window, const char* name, uint32 modifiers = 0);
// The middle of the row labelled label in the named list, near its left end.
BPoint ListRowPoint(BWindow* window, const char* list, const char* label);
// Replaces the text of the named field by typing, and presses Enter.
void TypeInto(BWindow* window, const char* name, const char* text);

// --- alerts and the clipboard

// The alert on the screen, if one is.
BAlert* FindAlert();
// Clicks a button of the alert on the screen.
void AnswerAlert(int32 button);
// The clipboard holds only these bytes, as plain text.
void PutOnClipboard(const char* bytes, ssize_t size);

// --- recorders

struct MouseRecord {
	std::string hook;  // "down", "up", "moved"
	BPoint where;
	uint32 transit = 0;
};

// Records mouse and key hooks; read it with its window locked.
class RecordingView : public BView {
public:
	RecordingView(BRect frame, const char* name, uint32 flags = B_WILL_DRAW)
		: BView(frame, name, B_FOLLOW_LEFT | B_FOLLOW_TOP, flags)
	{
	}

	void MouseDown(BPoint where) override { mouse.push_back({"down", where, 0}); }
	void MouseUp(BPoint where) override { mouse.push_back({"up", where, 0}); }
	void MouseMoved(BPoint where, uint32 transit, const BMessage*) override
	{
		mouse.push_back({"moved", where, transit});
	}
	void KeyDown(const char* bytes, int32 numBytes) override
	{
		keys.emplace_back(bytes, numBytes);
		BView::KeyDown(bytes, numBytes);
	}
	void FrameMoved(BPoint where) override { moves.push_back(where); }
	void FrameResized(float width, float height) override { sizes.push_back(BPoint(width, height)); }
	void Pulse() override { pulses++; }
	int32 Downs() const
	{
		return (int32)std::count_if(mouse.begin(), mouse.end(),
			[](const MouseRecord& record) { return record.hook == "down"; });
	}

	std::vector<MouseRecord> mouse;
	std::vector<std::string> keys;
	std::vector<BPoint> moves;
	std::vector<BPoint> sizes;
	std::atomic<int32> pulses{0};
};

// A looper that keeps a copy of every message it receives; any thread may read them.
class MessageRecorder : public BLooper {
public:
	MessageRecorder() : BLooper("recorder") {}
	void MessageReceived(BMessage* message) override;
	std::vector<BMessage> Messages();

private:
	std::mutex fMutex;
	std::vector<BMessage> fMessages;
};

// --- colours

bool SameColor(rgb_color a, rgb_color b);
// How many pixels of rect (edges included) pass test: of the window's last frame in
// its coordinates, or of the screen when window is null.
int32 CountPixels(BWindow* window, BRect rect, const std::function<bool(rgb_color)>& test);
::testing::AssertionResult ColorIs(rgb_color actual, uint8 r, uint8 g, uint8 b);

#endif
