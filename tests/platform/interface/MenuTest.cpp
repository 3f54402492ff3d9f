// Menus: the item model (finding, owning, enabling, invoking), and the menu bar
// on the headless screen: chosen by click, by press-drag-release, by keys and by
// shortcut; submenus; disabled menus and items refusing; closing; width.
#include "WindowTestSupport.h"

#include <Errors.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <SeparatorItem.h>


#include "MenuLook.h"

namespace {

using BPrivate::MenuLook;
using Codes = std::vector<uint32>;

// --- the model, without a screen

TEST(MenuModelTest, ItemsAreFoundInSubmenusBelongToOneMenuAndShareTheirMenusState)
{
	BMenu menu("File");
	auto* open = new BMenuItem("Open", new BMessage('open'), 'O');
	EXPECT_TRUE(menu.AddItem(new BMenuItem("New", new BMessage('new '), 'N')));
	EXPECT_TRUE(menu.AddSeparatorItem());
	EXPECT_TRUE(menu.AddItem(open, 1));
	auto* recent = new BMenu("Recent");
	auto* inner = new BMenuItem("book.abk", new BMessage('rcnt'));
	recent->AddItem(inner);
	EXPECT_TRUE(menu.AddItem(recent));
	EXPECT_EQ(menu.IndexOf(open), 1);
	EXPECT_EQ(menu.FindItem("Open"), open);
	EXPECT_EQ(menu.FindItem('rcnt'), inner);
	EXPECT_EQ(menu.FindItem("Recent")->Submenu(), recent);

	// An item belongs to one menu only; removing hands it back to the caller, and
	// deleting an item takes it out of its menu.
	BMenu other("Other");
	EXPECT_FALSE(other.AddItem(open));
	EXPECT_TRUE(menu.RemoveItem(open));
	EXPECT_EQ(open->Menu(), nullptr);
	EXPECT_TRUE(other.AddItem(open));
	delete open;
	EXPECT_EQ(other.CountItems(), 0);
	EXPECT_EQ(other.FindItem("Open"), nullptr);

	// A disabled menu disables what is below it, which keeps its own state; the item
	// that opens a submenu and the submenu share one state.
	menu.SetEnabled(false);
	EXPECT_FALSE(recent->IsEnabled());
	EXPECT_TRUE(inner->IsEnabled());
	EXPECT_EQ(inner->Invoke(), B_ERROR);
	menu.SetEnabled(true);
	menu.FindItem("Recent")->SetEnabled(false);
	EXPECT_FALSE(recent->IsEnabled());
	recent->SetEnabled(true);
	EXPECT_TRUE(menu.FindItem("Recent")->IsEnabled());
}

// --- the bar in a window

// Hands what it receives, less key releases, to a recorder; any thread may read it.
class CommandWindow : public BWindow {
public:
	explicit CommandWindow(BRect frame) : BWindow(frame, "menus", B_TITLED_WINDOW, 0)
	{
		recorder->Run();
	}
	~CommandWindow() override
	{
		recorder->Lock();
		recorder->Quit();
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what != B_KEY_UP)
			recorder->PostMessage(message);
		BWindow::MessageReceived(message);
	}
	MessageRecorder* recorder = new MessageRecorder();
};

// A window at 100, 100 with a bar of File (New, Open, separator, Save [off], Quit),
// Edit (Cut, Copy; the whole menu off), View (Marked [on], Plain) and Go (First,
// More > (Shallow, Deep)), and below the bar a view that records clicks.
class MenuBarTest : public WindowTest {
protected:
	void SetUp() override
	{
		WindowTest::SetUp();
		window = new CommandWindow(BRect(100, 100, 399, 299));
		bar = new BMenuBar(BRect(0, 0, 50, 5), "menu bar");
		struct Entry {
			const char* label;  // none for a separator
			uint32 what;
			char shortcut;
		};
		const auto menu = [this](const char* title, std::initializer_list<Entry> entries) {
			auto* menu = new BMenu(title);
			for (const Entry& entry : entries) {
				if (entry.label == nullptr)
					menu->AddSeparatorItem();
				else
					menu->AddItem(new BMenuItem(entry.label, new BMessage(entry.what), entry.shortcut));
			}
			bar->AddItem(menu);
			return menu;
		};
		menu("File", {{"New", 'fmnw', 'N'}, {"Open", 'fmop', 'O'}, {nullptr, 0, 0},
			{"Save", 'fmsv', 'S'}, {"Quit", 'fmqt', 'Q'}})->FindItem('fmsv')->SetEnabled(false);
		BMenu* edit = menu("Edit", {{"Cut", 'edct', 'X'}, {"Copy", 'edcp', 'C'}});
		menu("View", {{"Marked", 'vmrk', 0}, {"Plain", 'vpln', 0}})->FindItem('vmrk')->SetMarked(true);
		more = new BMenu("More");
		auto* deep = new BMessage('deep');
		deep->AddInt32("index", 7);  // the application's own value
		more->AddItem(new BMenuItem("Shallow", new BMessage('shlw')));
		more->AddItem(new BMenuItem("Deep", deep));
		menu("Go", {{"First", 'frst', 0}})->AddItem(more);
		below = new RecordingView(BRect(0, 40, 299, 199), "below");
		window->AddChild(bar);
		window->AddChild(below);
		edit->SetEnabled(false);  // after adding, as the application does
		Open(BRect(), window);
	}

	// The screen point in the middle of a title of the bar.
	BPoint TitlePoint(int32 title)
	{
		return Locked(window, [=, this] {
			const BRect frame = bar->ItemAt(title)->Frame();
			return bar->ConvertToScreen(
				BPoint(frame.left + 6, std::floor((frame.top + frame.bottom) / 2)));
		});
	}
	// Where an item of a title's menu lies on the screen once that menu is open.
	BRect ItemRect(int32 title, int32 item)
	{
		return Locked(window, [=, this] {
			BMenuItem* titleItem = bar->ItemAt(title);
			BRect frame = titleItem->Submenu()->ItemAt(item)->Frame();
			return frame.OffsetBy(bar->ConvertToScreen(
				BPoint(titleItem->Frame().left, bar->Bounds().bottom + 1)));
		});
	}
	BPoint ItemPoint(int32 title, int32 item)
	{
		const BRect frame = ItemRect(title, item);
		return BPoint(frame.left + 30, std::floor((frame.top + frame.bottom) / 2));
	}
	// Whether the screen shows a menu's background near the top right of rect.
	static ::testing::AssertionResult MenuShownAt(BRect rect)
	{
		return ColorIs(Screen::ScreenPixel((int32)rect.right - 3, (int32)rect.top + 2), 232, 232,
			232);
	}
	void PressOnTitle(int32 title)
	{
		Screen::MoveMouse(TitlePoint(title));
		Screen::PressMouse();
		Settle();
	}
	bool Tracking()
	{
		return Locked(window, [this] { return bar->IsTracking(); });
	}
	Codes Commands()
	{
		Settle();
		Codes codes;
		for (const BMessage& message : window->recorder->Messages())
			codes.push_back(message.what);
		return codes;
	}
	BMessage Last()
	{
		Settle();
		return window->recorder->Messages().back();
	}
	void Keys(std::initializer_list<const char*> keys)
	{
		for (const char* key : keys)
			Screen::TypeKey(key);
	}

	CommandWindow* window = nullptr;
	BMenuBar* bar = nullptr;
	BMenu* more = nullptr;
	RecordingView* below = nullptr;
};

const char* const kDown = "\x1f";
const char* const kUp = "\x1e";
const char* const kRight = "\x1d";

TEST_F(MenuBarTest, AClickOrPressDragReleaseChoosesMovingAlongTheBarSwitchesAndSubmenusOpen)
{
	ClickAt(TitlePoint(0));
	EXPECT_TRUE(Tracking());
	// The menu is drawn below its title, above the window.
	const BRect newItem = ItemRect(0, 0);
	EXPECT_TRUE(MenuShownAt(newItem));
	Screen::Click(ItemPoint(0, 1));
	EXPECT_EQ(Commands(), Codes{'fmop'});
	EXPECT_FALSE(Tracking());
	// The popup is gone: the window's own content shows there again.
	EXPECT_FALSE(MenuShownAt(newItem));

	PressOnTitle(0);
	Screen::MoveMouse(ItemPoint(0, 0));
	Screen::MoveMouse(ItemPoint(0, 4));
	Screen::ReleaseMouse();
	EXPECT_EQ(Commands(), (Codes{'fmop', 'fmqt'}));
	// Over the View title the File menu gives way to View.
	PressOnTitle(0);
	Screen::MoveMouse(TitlePoint(2));
	Settle();
	Screen::MoveMouse(ItemPoint(2, 1));
	Screen::ReleaseMouse();
	EXPECT_EQ(Commands(), (Codes{'fmop', 'fmqt', 'vpln'}));
	// Released off every menu: closed, nothing chosen.
	PressOnTitle(0);
	Screen::MoveMouse(BPoint(700, 600));
	Screen::ReleaseMouse();
	EXPECT_EQ(Commands().size(), 3u);
	EXPECT_FALSE(Tracking());

	// A submenu stands at the right of its item, its first item level with it, and
	// the item's own "index" stays in the message sent.
	ClickAt(TitlePoint(3));
	const BRect moreItem = ItemRect(3, 1);
	Screen::MoveMouse(BPoint(moreItem.left + 20, moreItem.top + 8));
	Settle();
	const BRect deepFrame = Locked(window, [this] { return more->ItemAt(1)->Frame(); });
	const BPoint deep(moreItem.right + deepFrame.left + 20,
		moreItem.top - MenuLook::kBorder + deepFrame.top + 8);
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel((int32)deep.x + 40, (int32)deep.y - 6),
		232, 232, 232));
	Screen::Click(deep);
	EXPECT_EQ(Last().what, 'deep');
	EXPECT_EQ(Last().GetInt32("index", -1), 7);
	EXPECT_FALSE(Tracking());
}

TEST_F(MenuBarTest, KeysMoveThroughMenusAndSubmenusSkippingWhatCannotBeChosenAndF10OpensOne)
{
	// Down: New, Open, then past the separator and the disabled Save to Quit.
	ClickAt(TitlePoint(0));
	Keys({kDown, kDown, kDown, "\n"});
	EXPECT_EQ(Commands(), Codes{'fmqt'});
	EXPECT_FALSE(Tracking());
	// Up from nothing wraps to the last item; Right skips the disabled Edit.
	ClickAt(TitlePoint(0));
	Keys({kRight, kUp, "\n"});
	EXPECT_EQ(Commands(), (Codes{'fmqt', 'vpln'}));
	// Down to More, Right into it, Enter on its first item.
	ClickAt(TitlePoint(3));
	Keys({kDown, kDown, kRight, "\n"});
	EXPECT_EQ(Commands(), (Codes{'fmqt', 'vpln', 'shlw'}));
	EXPECT_EQ(Last().GetInt32("index", -1), 0);
	// Keys typed while a menu is open do not reach the window.
	ClickAt(TitlePoint(0));
	Keys({"a", "\x1b"});
	EXPECT_EQ(Commands().size(), 3u);
	EXPECT_FALSE(Tracking());

	// F10 opens the first menu with its first item selected; with File disabled, F10
	// passes to View.
	Screen::TypeFunctionKey(B_F10_KEY);
	Settle();
	EXPECT_TRUE(Tracking());
	Key("\n");
	EXPECT_FALSE(Tracking());
	Locked(window, [this] { bar->ItemAt(0)->Submenu()->SetEnabled(false); });
	Screen::TypeFunctionKey(B_F10_KEY);
	Screen::TypeKey("\n");
	EXPECT_EQ(Commands(), (Codes{'fmqt', 'vpln', 'shlw', 'fmnw', 'vmrk'}));
}

TEST_F(MenuBarTest, EscapeAClickElsewhereOrASecondClickOnTheTitleClosesAndTheBarFollowsTheWidth)
{
	ClickAt(TitlePoint(0));
	ASSERT_TRUE(Tracking());
	Key("\x1b");
	EXPECT_FALSE(Tracking());
	ClickAt(TitlePoint(0));
	ASSERT_TRUE(Tracking());
	// The click that closes is used up: the view under it never sees it.
	ClickAt(BPoint(350, 250));
	EXPECT_FALSE(Tracking());
	const auto downs = [this] { return Locked(window, [this] { return below->Downs(); }); };
	EXPECT_EQ(downs(), 0);
	ClickAt(TitlePoint(2));
	ASSERT_TRUE(Tracking());
	ClickAt(TitlePoint(2));
	EXPECT_FALSE(Tracking());
	// Closed again, clicks reach the window's views.
	ClickAt(BPoint(350, 250));
	EXPECT_EQ(downs(), 1);

	// The bar follows the window's width. A click in another window closes the menu,
	// which stays above that window.
	Locked(window, [this] {
		window->ResizeTo(449, 40);
		EXPECT_EQ(bar->Frame(), BRect(0, 0, 449, MenuLook::kBarHeight));
	});
	Open(BRect(), new BWindow(BRect(100, 150, 449, 399), "other", B_TITLED_WINDOW, 0));
	ClickAt(TitlePoint(0));
	ASSERT_TRUE(Tracking());
	const BRect quit = ItemRect(0, 4);
	ASSERT_GT(quit.top, 150);
	EXPECT_TRUE(MenuShownAt(quit));
	ClickAt(BPoint(420, 350));
	EXPECT_FALSE(Tracking());
	EXPECT_TRUE(Commands().empty());
}

TEST_F(MenuBarTest, ShortcutsInvokeEnabledItemsOfEnabledMenusBeforeWindowShortcutsAtTheirTarget)
{
	Locked(window, [this] {
		window->AddShortcut('N', 0, new BMessage('wnew'));
		window->AddShortcut('k', B_SHIFT_KEY, new BMessage('wkey'));
		window->AddShortcut('J', 0, new BMessage('wjay'));
		window->RemoveShortcut('j', 0);
		EXPECT_FALSE(window->HasShortcut('j', 0));
	});
	const auto ctrl = [](const char* key, uint32 more = 0) {
		Screen::TypeKey(key, B_COMMAND_KEY | B_CONTROL_KEY | more);
	};
	ctrl("n");  // the menu item comes before the window's shortcut
	ctrl("s");  // Save is disabled
	ctrl("x");  // Edit is disabled
	ctrl("K", B_SHIFT_KEY);
	ctrl("k");  // no such shortcut without Shift
	ctrl("j");  // removed
	EXPECT_EQ(Commands(), (Codes{'fmnw', B_KEY_DOWN, B_KEY_DOWN, 'wkey', B_KEY_DOWN, B_KEY_DOWN}));
	Locked(window, [this] {
		bar->FindItem('fmsv')->SetEnabled(true);
		bar->FindItem("Edit")->Submenu()->SetEnabled(true);
		bar->FindItem('fmnw')->SetEnabled(false);
	});
	ctrl("s");
	ctrl("x");
	ctrl("n");
	// Commands arrive in the order typed, ahead of the plain key after them.
	Screen::TypeKey("z");
	EXPECT_EQ(Commands(), (Codes{'fmnw', B_KEY_DOWN, B_KEY_DOWN, 'wkey', B_KEY_DOWN, B_KEY_DOWN,
		'fmsv', 'edct', 'wnew', B_KEY_DOWN}));

	// Items send to the window unless given another target.
	auto* collector = new MessageRecorder();
	collector->Run();
	Locked(window, [&] {
		EXPECT_EQ(bar->FindItem('fmop')->Target(), window);
		bar->FindItem('fmop')->SetTarget(collector);
	});
	ctrl("o");
	EXPECT_EQ(Commands().size(), 10u);
	const std::vector<BMessage> got = collector->Messages();
	ASSERT_EQ(got.size(), 1u);
	EXPECT_EQ(got[0].GetInt32("index", -1), 1);
	collector->Lock();
	collector->Quit();
}

// (How items look, hovered or marked, is left to the eye; a disabled title is
// checked because it is all that tells the user why the menu does not open.)
TEST_F(MenuBarTest, DisabledMenusShowGreyAndDoNotOpenAndDisabledItemsSendNothing)
{
	ClickAt(TitlePoint(1));
	EXPECT_FALSE(Tracking()) << "a disabled menu does not open";
	// The enabled File title has black in its label, the disabled Edit nothing dark.
	const auto darkIn = [this](int32 title, uint8 below) {
		return CountPixels(window, Locked(window, [&] { return bar->ItemAt(title)->Frame(); }),
			[below](rgb_color color) { return color.red < below; });
	};
	EXPECT_GT(darkIn(0, 40), 0);
	EXPECT_EQ(darkIn(1, 100), 0);
	ClickAt(TitlePoint(0));
	Screen::Click(ItemPoint(0, 3));
	EXPECT_TRUE(Commands().empty());
	EXPECT_TRUE(Tracking());
}

}  // namespace
