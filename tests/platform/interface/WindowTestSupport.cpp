#include "WindowTestSupport.h"

#include <OS.h>

#include <future>

void WindowTest::SetUp()
{
	Screen::Use();
	std::promise<void> ready;
	std::future<void> started = ready.get_future();
	fAppThread = std::thread([&ready] {
		BApplication app("application/x-vnd.cvab-interface-test");
		ready.set_value();
		app.Run();
	});
	started.wait();
}

void WindowTest::TearDown()
{
	CloseAll();
	if (!fAppThread.joinable())
		return;  // the test quit the application itself
	be_app->PostMessage(B_QUIT_REQUESTED);
	fAppThread.join();
}

void WindowTest::CloseAll()
{
	for (BWindow* window : fWindows) {
		if (window->Lock())
			window->Quit();
	}
	fWindows.clear();
}

BWindow* WindowTest::Open(BRect frame, BWindow* window)
{
	if (window == nullptr)
		window = new BWindow(frame, "test", B_TITLED_WINDOW, 0);
	window->Show();
	fWindows.push_back(window);
	EXPECT_TRUE(Screen::WaitForIdle());
	return window;
}

rgb_color WindowTest::Pixel(BWindow* window, int32 x, int32 y)
{
	return Screen::WindowPixel(window, x, y);
}

void MessageRecorder::MessageReceived(BMessage* message)
{
	std::lock_guard<std::mutex> lock(fMutex);
	fMessages.push_back(*message);
}

std::vector<BMessage> MessageRecorder::Messages()
{
	std::lock_guard<std::mutex> lock(fMutex);
	return fMessages;
}

bool SameColor(rgb_color a, rgb_color b)
{
	return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

::testing::AssertionResult ColorIs(rgb_color actual, uint8 r, uint8 g, uint8 b)
{
	if (actual.red == r && actual.green == g && actual.blue == b)
		return ::testing::AssertionSuccess();
	return ::testing::AssertionFailure() << "colour (" << (int)actual.red << ", "
		<< (int)actual.green << ", " << (int)actual.blue << ") instead of (" << (int)r << ", "
		<< (int)g << ", " << (int)b << ")";
}

RecordingView::RecordingView(BRect frame, const char* name, uint32 flags)
	: BView(frame, name, B_FOLLOW_LEFT | B_FOLLOW_TOP, flags)
{
}

void RecordingView::MouseDown(BPoint where)
{
	mouse.push_back({"down", where, 0});
}

void RecordingView::MouseUp(BPoint where)
{
	mouse.push_back({"up", where, 0});
}

void RecordingView::MouseMoved(BPoint where, uint32 transit, const BMessage*)
{
	mouse.push_back({"moved", where, transit});
}

void RecordingView::KeyDown(const char* bytes, int32 numBytes)
{
	keys.emplace_back(bytes, numBytes);
	BView::KeyDown(bytes, numBytes);
}

void RecordingView::FrameMoved(BPoint where)
{
	moves.push_back(where);
}

void RecordingView::FrameResized(float width, float height)
{
	sizes.push_back(BPoint(width, height));
}

void RecordingView::Pulse()
{
	pulses++;
}
