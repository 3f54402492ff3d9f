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
	BPoint Center()
	{
		EXPECT_TRUE(fWindow->Lock());
		const BRect bounds = fButton->Bounds();
		const BPoint center = fButton->ConvertToScreen(
			BPoint((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2));
		fWindow->Unlock();
		return center;
	}
	BPoint Outside()
	{
		EXPECT_TRUE(fWindow->Lock());
		const BPoint outside = fButton->ConvertToScreen(BPoint(-10, -10));
		fWindow->Unlock();
		return outside;
	}
	std::vector<uint32> Received()
	{
		EXPECT_TRUE(fWindow->Lock());
		const std::vector<uint32> received = fWindow->received;
		fWindow->Unlock();
		return received;
	}
	int32 Value()
	{
		EXPECT_TRUE(fWindow->Lock());
		const int32 value = fButton->Value();
		fWindow->Unlock();
		return value;
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

TEST_F(ButtonTest, ReleaseOutsideOrWhileDisabledDoesNotInvoke)
{
	Screen::MoveMouse(Center());
	Screen::PressMouse();
	Screen::MoveMouse(Outside());
	Screen::ReleaseMouse();
	Settle();
	EXPECT_TRUE(Received().empty());
	EXPECT_EQ(Value(), 0);

	ASSERT_TRUE(fWindow->Lock());
	fButton->SetEnabled(false);
	fButton->MakeFocus(true);
	fWindow->Unlock();
	Screen::Click(Center());
	Screen::TypeKey(" ");
	Settle();
	EXPECT_TRUE(Received().empty());
	EXPECT_EQ(Value(), 0);
}

TEST_F(ButtonTest, SpaceInvokesTheFocusedButton)
{
	Screen::TypeKey(" ");
	Settle();
	EXPECT_TRUE(Received().empty()) << "not focused yet";
	ASSERT_TRUE(fWindow->Lock());
	fButton->MakeFocus(true);
	fWindow->Unlock();
	Screen::TypeKey(" ");
	Settle();
	EXPECT_EQ(Received(), std::vector<uint32>{kPressed});
}

TEST_F(ButtonTest, EnterReachesTheDefaultButtonFromAFocusedTextView)
{
	auto* field = new BTextView(BRect(20, 60, 180, 80), "field", BRect(5, 4, 152, 10),
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	auto* okButton = new BButton(BRect(120, 20, 199, 44), "OK_Button", "OK",
		new BMessage(kDefault));
	ASSERT_TRUE(fWindow->Lock());
	field->SetWordWrap(false);
	fWindow->AddChild(field);
	fWindow->AddChild(okButton);
	okButton->MakeDefault(true);
	field->MakeFocus(true);
	fWindow->Unlock();
	Screen::TypeText("ab");
	Screen::TypeKey("\n");
	Settle();
	EXPECT_EQ(Received(), std::vector<uint32>{kDefault});
	ASSERT_TRUE(fWindow->Lock());
	EXPECT_STREQ(field->Text(), "ab");
	EXPECT_EQ(fWindow->CurrentFocus(), field);
	fWindow->Unlock();
}

}  // namespace
