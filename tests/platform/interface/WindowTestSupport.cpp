#include "WindowTestSupport.h"

#include <Alert.h>
#include <Button.h>
#include <Clipboard.h>
#include <ListView.h>
#include <OS.h>
#include <StringItem.h>

#include "WindowServerLink.h"

#include <cmath>
#include <cstring>

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

void WindowTest::Key(const char* bytes, uint32 modifiers)
{
	Screen::TypeKey(bytes, modifiers);
	Settle();
}

void WindowTest::Type(const char* text)
{
	Screen::TypeText(text);
	Settle();
}

void WindowTest::ClickAt(BPoint where, uint32 modifiers, int32 clicks)
{
	Screen::HoldModifiers(modifiers);
	Screen::Click(where, clicks);
	Screen::HoldModifiers(0);
	Settle();
}

void WindowTest::Drag(std::initializer_list<BPoint> path)
{
	Screen::MoveMouse(*path.begin());
	Screen::PressMouse();
	for (auto point = path.begin() + 1; point != path.end(); point++)
		Screen::MoveMouse(*point);
	Screen::ReleaseMouse();
	Settle();
}

BPoint Centre(BView* view)
{
	const BRect frame = view->ConvertToScreen(view->Bounds());
	return BPoint(std::floor((frame.left + frame.right) / 2),
		std::floor((frame.top + frame.bottom) / 2));
}

BPoint ViewToScreen(BView* view, BPoint where)
{
	return Locked(view->Window(), [&] { return view->ConvertToScreen(where); });
}

void ClickView(BWindow* window, const char* name, uint32 modifiers)
{
	const BPoint where = Locked(window, [&] {
		BView* view = window->FindView(name);
		EXPECT_NE(view, nullptr) << name;
		return view != nullptr ? Centre(view) : BPoint(-1, -1);
	});
	Screen::HoldModifiers(modifiers);
	Screen::Click(where);
	Screen::HoldModifiers(0);
	EXPECT_TRUE(Screen::WaitForIdle());
}

BPoint ListRowPoint(BWindow* window, const char* list, const char* label)
{
	return Locked(window, [&] {
		auto* view = dynamic_cast<BListView*>(window->FindView(list));
		for (int32 i = 0; view != nullptr && i < view->CountItems(); i++) {
			auto* item = dynamic_cast<BStringItem*>(view->ItemAt(i));
			if (item != nullptr && strcmp(item->Text(), label) == 0) {
				const BRect frame = view->ItemFrame(i);
				return view->ConvertToScreen(
					BPoint(frame.left + 20, (frame.top + frame.bottom) / 2));
			}
		}
		ADD_FAILURE() << "no row " << label << " in " << list;
		return BPoint(-1, -1);
	});
}

void TypeInto(BWindow* window, const char* name, const char* text)
{
	ClickView(window, name);
	Screen::TypeKey("a", B_COMMAND_KEY);
	Screen::TypeKey("\x7f");
	Screen::TypeText(text);
	Screen::TypeKey("\n");
	EXPECT_TRUE(Screen::WaitForIdle());
}

BAlert* FindAlert()
{
	for (const BMessenger& window : BPrivate::WindowServerLink::Windows()) {
		BLooper* looper = nullptr;
		window.Target(&looper);
		if (auto* alert = dynamic_cast<BAlert*>(looper))
			return alert;
	}
	return nullptr;
}

void AnswerAlert(int32 button)
{
	BAlert* alert = FindAlert();
	ASSERT_NE(alert, nullptr);
	Screen::Click(Locked(alert, [&] { return Centre(alert->ButtonAt(button)); }));
	EXPECT_TRUE(Screen::WaitForIdle());
}

void PutOnClipboard(const char* bytes, ssize_t size)
{
	ASSERT_TRUE(be_clipboard->Lock());
	be_clipboard->Clear();
	be_clipboard->Data()->AddData("text/plain", B_MIME_TYPE, bytes, size);
	be_clipboard->Commit();
	be_clipboard->Unlock();
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

int32 CountPixels(BWindow* window, BRect rect, const std::function<bool(rgb_color)>& test)
{
	int32 count = 0;
	for (int32 y = (int32)rect.top; y <= (int32)rect.bottom; y++) {
		for (int32 x = (int32)rect.left; x <= (int32)rect.right; x++) {
			const rgb_color color
				= window != nullptr ? Screen::WindowPixel(window, x, y) : Screen::ScreenPixel(x, y);
			count += test(color) ? 1 : 0;
		}
	}
	return count;
}

::testing::AssertionResult ColorIs(rgb_color actual, uint8 r, uint8 g, uint8 b)
{
	if (actual.red == r && actual.green == g && actual.blue == b)
		return ::testing::AssertionSuccess();
	return ::testing::AssertionFailure() << "colour (" << (int)actual.red << ", "
		<< (int)actual.green << ", " << (int)actual.blue << ") instead of (" << (int)r << ", "
		<< (int)g << ", " << (int)b << ")";
}
