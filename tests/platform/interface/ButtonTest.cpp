// The push button on the headless screen: when a click invokes it and when not,
// its value while held, Space when focused, and Enter reaching the window's
// default button from a focused text view.
#include "WindowTestSupport.h"

#include <Button.h>
#include <Message.h>
#include <TextView.h>

namespace {

const uint32 kPressed = 'bprs';
const uint32 kDefault = 'bdef';

// The buttons' default target: counts their messages.
class ButtonWindow : public BWindow {
public:
	ButtonWindow() : BWindow(BRect(100, 100, 399, 299), "buttons", B_TITLED_WINDOW, 0) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == kPressed || message->what == kDefault) {
			received.push_back(message->what);
			return;
		}
		BWindow::MessageReceived(message);
	}
	std::vector<uint32> received;
};

class ButtonTest : public WindowTest {
protected:
	void SetUp() override
	{
		WindowTest::SetUp();
		fWindow = new ButtonWindow();
		fButton = new BButton(BRect(20, 20, 99, 44), "Press_Button", "Press",
			new BMessage(kPressed));
		fWindow->AddChild(fButton);
		Open(BRect(), fWindow);
	}
	BPoint Center() { return ScreenCentre(fButton); }
	BPoint Outside() { return ViewToScreen(fButton, BPoint(-10, -10)); }
	std::vector<uint32> Received()
	{
		return Locked(fWindow, [this] { return fWindow->received; });
	}
	int32 Value()
	{
		return Locked(fWindow, [this] { return fButton->Value(); });
	}

	ButtonWindow* fWindow = nullptr;
	BButton* fButton = nullptr;
};

TEST_F(ButtonTest, ReleaseInsideInvokesOnceAndValueFollowsThePointer)
{
	Screen::MoveMouse(Center());
	Screen::PressMouse();
	Settle();
	EXPECT_EQ(Value(), 1);
	EXPECT_TRUE(Received().empty()) << "nothing is sent before the release";
	Screen::MoveMouse(Outside());
	Settle();
	EXPECT_EQ(Value(), 0);
	Screen::MoveMouse(Center());
	Settle();
	EXPECT_EQ(Value(), 1);
	Screen::ReleaseMouse();
	Settle();
	EXPECT_EQ(Value(), 0);
	EXPECT_EQ(Received(), std::vector<uint32>{kPressed});
}

TEST_F(ButtonTest, SpaceInvokesOnlyWhenFocusedAndAReleaseOutsideOrADisabledButtonNever)
{
	Drag({Center(), Outside()});
	EXPECT_TRUE(Received().empty());
	EXPECT_EQ(Value(), 0);
	Key(" ");
	EXPECT_TRUE(Received().empty()) << "not focused yet";
	Locked(fWindow, [this] { fButton->MakeFocus(true); });
	Key(" ");
	EXPECT_EQ(Received(), std::vector<uint32>{kPressed});

	Locked(fWindow, [this] {
		fButton->SetEnabled(false);
		fButton->MakeFocus(true);
	});
	Screen::Click(Center());
	Key(" ");
	EXPECT_EQ(Received(), std::vector<uint32>{kPressed});
	EXPECT_EQ(Value(), 0);
}

TEST_F(ButtonTest, EnterReachesTheDefaultButtonFromAFocusedTextView)
{
	auto* field = new BTextView(BRect(20, 60, 180, 80), "field", BRect(5, 4, 152, 10),
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	auto* okButton = new BButton(BRect(120, 20, 199, 44), "OK_Button", "OK",
		new BMessage(kDefault));
	Locked(fWindow, [&] {
		field->SetWordWrap(false);
		fWindow->AddChild(field);
		fWindow->AddChild(okButton);
		okButton->MakeDefault(true);
		field->MakeFocus(true);
	});
	Screen::TypeText("ab");
	Key("\n");
	EXPECT_EQ(Received(), std::vector<uint32>{kDefault});
	Locked(fWindow, [&] {
		EXPECT_STREQ(field->Text(), "ab");
		EXPECT_EQ(fWindow->CurrentFocus(), field);
	});
}

}  // namespace
