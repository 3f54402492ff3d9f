// The push button on the headless screen: when a click invokes it and when not,
// its value while held, and Space when focused. (Enter reaching the default button
// from a focused field is the record editor tests'.)
#include "WindowTestSupport.h"

#include <Button.h>

namespace {

using ButtonTest = WindowTest;

TEST_F(ButtonTest, ReleaseInsideInvokesOnceSpaceOnlyWhenFocusedAndADisabledButtonNever)
{
	auto* recorder = new MessageRecorder();
	recorder->Run();
	BWindow* window = new BWindow(BRect(100, 100, 399, 299), "buttons", B_TITLED_WINDOW, 0);
	auto* button = new BButton(BRect(20, 20, 99, 44), "Press_Button", "Press", new BMessage('bprs'));
	button->SetTarget(recorder);
	window->AddChild(button);
	Open(BRect(), window);
	const BPoint center = ViewToScreen(button, BPoint(40, 12));
	const BPoint outside = ViewToScreen(button, BPoint(-10, -10));
	const auto value = [&] { return Locked(window, [&] { return button->Value(); }); };
	const auto received = [&] {
		Settle();
		return recorder->Messages().size();
	};

	Screen::MoveMouse(center);
	Screen::PressMouse();
	Settle();
	EXPECT_EQ(value(), 1);
	Screen::MoveMouse(outside);
	Settle();
	EXPECT_EQ(value(), 0);
	Screen::MoveMouse(center);
	Settle();
	EXPECT_EQ(value(), 1);
	EXPECT_EQ(received(), 0u) << "nothing is sent before the release";
	Screen::ReleaseMouse();
	Settle();
	EXPECT_EQ(value(), 0);
	ASSERT_EQ(received(), 1u);
	EXPECT_EQ(recorder->Messages()[0].what, 'bprs');

	Drag({center, outside});
	Key(" ");
	EXPECT_EQ(received(), 1u) << "released outside; Space while not focused";
	Locked(window, [&] { button->MakeFocus(true); });
	Key(" ");
	EXPECT_EQ(received(), 2u);
	Locked(window, [&] {
		button->SetEnabled(false);
		button->MakeFocus(true);
	});
	Screen::Click(center);
	Key(" ");
	EXPECT_EQ(received(), 2u);
	EXPECT_EQ(value(), 0);
	recorder->Lock();
	recorder->Quit();
}

}  // namespace
