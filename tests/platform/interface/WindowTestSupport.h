// Shared set-up for the window tests: an application on the headless screen,
// helpers to show windows and read pixels, and views that record their hooks.
#ifndef _WINDOW_TEST_SUPPORT_H
#define _WINDOW_TEST_SUPPORT_H

#include <Application.h>
#include <Looper.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include "HeadlessScreen.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using Screen = BPrivate::HeadlessScreen;

class WindowTest : public testing::Test {
protected:
	void SetUp() override;
	void TearDown() override;

	// A titled window at frame, shown, drawn and settled.
	BWindow* Open(BRect frame, BWindow* window = nullptr);
	void Settle() { ASSERT_TRUE(Screen::WaitForIdle()); }
	// A pixel of the window's last presented frame.
	rgb_color Pixel(BWindow* window, int32 x, int32 y);
	void CloseAll();

	// The application runs in its own thread, as it would in main.
	std::thread fAppThread;
	std::vector<BWindow*> fWindows;
};

struct MouseRecord {
	std::string hook;  // "down", "up", "moved"
	BPoint where;
	uint32 transit = 0;
};

// Records mouse and key hooks; read it with its window locked.
class RecordingView : public BView {
public:
	RecordingView(BRect frame, const char* name, uint32 flags = B_WILL_DRAW);

	void MouseDown(BPoint where) override;
	void MouseUp(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* drag) override;
	void KeyDown(const char* bytes, int32 numBytes) override;
	void FrameMoved(BPoint where) override;
	void FrameResized(float width, float height) override;
	void Pulse() override;

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

bool SameColor(rgb_color a, rgb_color b);
::testing::AssertionResult ColorIs(rgb_color actual, uint8 r, uint8 g, uint8 b);

#endif
