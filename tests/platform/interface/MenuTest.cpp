// Menus: the item model (finding, enabling, marks, shortcut labels, invoking), and
// the menu bar on the headless screen: chosen by click, by press-drag-release, by
// keys and by shortcut; disabled menus and items refusing; closing; look; width.
#include "WindowTestSupport.h"

#include <Errors.h>
#include <Looper.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <SeparatorItem.h>

#include "MenuLook.h"

#include <mutex>

namespace {

using BPrivate::MenuLook;

// --- the model, without a screen

TEST(MenuModelTest, ItemsAreFoundByPlaceLabelAndCommandIncludingSubmenus)
{
	BMenu menu("File");
	auto* open = new BMenuItem("Open", new BMessage('open'), 'O');
	EXPECT_TRUE(menu.AddItem(new BMenuItem("New", new BMessage('new '), 'N')));
	EXPECT_TRUE(menu.AddSeparatorItem());
	EXPECT_TRUE(menu.AddItem(open, 1));
	auto* recent = new BMenu("Recent");
	recent->AddItem(new BMenuItem("book.abk", new BMessage('rcnt')));
	EXPECT_TRUE(menu.AddItem(recent));

	EXPECT_EQ(menu.CountItems(), 4);
	EXPECT_EQ(menu.ItemAt(1), open);
	EXPECT_EQ(menu.ItemAt(4), nullptr);
	EXPECT_EQ(menu.ItemAt(-1), nullptr);
	EXPECT_EQ(menu.IndexOf(open), 1);
	EXPECT_EQ(menu.FindItem("Open"), open);
	EXPECT_EQ(menu.FindItem('open'), open);
	EXPECT_EQ(menu.FindItem("missing"), nullptr);
	EXPECT_EQ(menu.FindItem('none'), nullptr);
	ASSERT_NE(menu.FindItem('rcnt'), nullptr);
	EXPECT_EQ(menu.FindItem('rcnt')->Menu(), recent);
	EXPECT_EQ(menu.FindItem("Recent")->Submenu(), recent);
	EXPECT_EQ(recent->Supermenu(), &menu);
	EXPECT_TRUE(dynamic_cast<BSeparatorItem*>(menu.ItemAt(2)) != nullptr);

	// An item belongs to one menu only; removing hands it back to the caller.
	BMenu other("Other");
	EXPECT_FALSE(other.AddItem(open));
	EXPECT_FALSE(menu.AddItem(static_cast<BMenuItem*>(nullptr)));
	EXPECT_TRUE(menu.RemoveItem(open));
	EXPECT_EQ(open->Menu(), nullptr);
	EXPECT_EQ(menu.CountItems(), 3);
	EXPECT_TRUE(other.AddItem(open));
	EXPECT_EQ(other.FindItem("Open"), open);
	// Deleting an item takes it out of its menu.
	delete open;
	EXPECT_EQ(other.CountItems(), 0);
	EXPECT_EQ(other.FindItem("Open"), nullptr);
}

TEST(MenuModelTest, DisablingAMenuDisablesWhatIsBelowItAndSeparatorsStayDisabled)
{
	BMenu top("top");
	auto* sub = new BMenu("sub");
	auto* inner = new BMenuItem("inner", new BMessage('innr'));
	sub->AddItem(inner);
	top.AddItem(sub);
	BMenuItem* superitem = top.ItemAt(0);
	EXPECT_TRUE(sub->IsEnabled());
	top.SetEnabled(false);
	EXPECT_FALSE(sub->IsEnabled());
	EXPECT_TRUE(inner->IsEnabled());  // its own state is kept
	EXPECT_EQ(inner->Invoke(), B_ERROR);
	top.SetEnabled(true);
	// The item that opens a submenu and the submenu share one state.
	superitem->SetEnabled(false);
	EXPECT_FALSE(sub->IsEnabled());
	sub->SetEnabled(true);
	EXPECT_TRUE(superitem->IsEnabled());

	BSeparatorItem separator;
	EXPECT_FALSE(separator.IsEnabled());
	separator.SetEnabled(true);
	EXPECT_FALSE(separator.IsEnabled());
}

TEST(MenuModelTest, ShortcutsImplyTheCommandKeyAndReadAsCtrlPlusTheLetter)
{
	BMenuItem plain("New", nullptr, 'n');
	uint32 modifiers = 0;
	EXPECT_EQ(plain.Shortcut(&modifiers), 'n');
	EXPECT_EQ(modifiers, (uint32)B_COMMAND_KEY);
	EXPECT_EQ(MenuLook::ShortcutLabel('n', modifiers), "Ctrl+N");
	EXPECT_EQ(MenuLook::ShortcutLabel('S', B_COMMAND_KEY | B_SHIFT_KEY), "Ctrl+Shift+S");
	EXPECT_EQ(MenuLook::ShortcutLabel(0, B_COMMAND_KEY), "");
	BMenuItem none("Export", nullptr);
	EXPECT_EQ(none.Shortcut(&modifiers), 0);
	EXPECT_EQ(modifiers, 0u);
}

// --- the bar in a window

// Keeps the codes it receives; read them with Commands().
class CommandWindow : public BWindow {
public:
	explicit CommandWindow(BRect frame) : BWindow(frame, "menus", B_TITLED_WINDOW, 0) {}
	void MessageReceived(BMessage* message) override
	{
		{
			std::lock_guard<std::mutex> lock(fMutex);
			fCommands.push_back(message->what);
			if (message->what != B_KEY_DOWN && message->what != B_KEY_UP)
				fLast = *message;
		}
		BWindow::MessageReceived(message);
	}
	std::vector<uint32> Commands()
	{
		std::lock_guard<std::mutex> lock(fMutex);
		std::vector<uint32> commands;
		for (uint32 what : fCommands) {
			if (what != B_KEY_UP)
				commands.push_back(what);
		}
		return commands;
	}
	BMessage Last()
	{
		std::lock_guard<std::mutex> lock(fMutex);
		return fLast;
	}

private:
	std::mutex fMutex;
	std::vector<uint32> fCommands;
	BMessage fLast;
};

class MenuBarTest : public WindowTest {
protected:
	// A window at 100, 100 with a bar of File (New, Open, separator, Save [off],
	// Quit), Edit (Cut, Copy; the whole menu off) and View (Marked [on], Plain), and
	// below the bar a view that records clicks.
	void OpenWindow()
	{
		window = new CommandWindow(BRect(100, 100, 399, 299));
		bar = new BMenuBar(BRect(0, 0, 50, 5), "menu bar");
		auto* file = new BMenu("File");
		file->AddItem(new BMenuItem("New", new BMessage('fmnw'), 'N'));
		file->AddItem(new BMenuItem("Open", new BMessage('fmop'), 'O'));
		file->AddSeparatorItem();
		file->AddItem(new BMenuItem("Save", new BMessage('fmsv'), 'S'));
		file->AddItem(new BMenuItem("Quit", new BMessage('fmqt'), 'Q'));
		file->FindItem('fmsv')->SetEnabled(false);
		auto* edit = new BMenu("Edit");
		edit->AddItem(new BMenuItem("Cut", new BMessage('edct'), 'X'));
		edit->AddItem(new BMenuItem("Copy", new BMessage('edcp'), 'C'));
		auto* view = new BMenu("View");
		view->AddItem(new BMenuItem("Marked", new BMessage('vmrk')));
		view->AddItem(new BMenuItem("Plain", new BMessage('vpln')));
		view->FindItem('vmrk')->SetMarked(true);
		bar->AddItem(file);
		bar->AddItem(edit);
		bar->AddItem(view);
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

	bool Tracking()
	{
		return Locked(window, [this] { return bar->IsTracking(); });
	}

	std::vector<uint32> Commands()
	{
		Settle();
		return window->Commands();
	}

	CommandWindow* window = nullptr;
	BMenuBar* bar = nullptr;
	RecordingView* below = nullptr;
};

TEST_F(MenuBarTest, AClickOpensAMenuAndAClickOnAnItemSendsItToTheWindow)
{
	OpenWindow();
	ClickAt(TitlePoint(0));
	EXPECT_TRUE(Tracking());
	// The menu is drawn below its title, above the window.
	const BRect newItem = ItemRect(0, 0);
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel((int32)newItem.right - 2, (int32)newItem.top + 1),
		232, 232, 232));
	Screen::Click(ItemPoint(0, 1));
	EXPECT_EQ(Commands(), (std::vector<uint32>{'fmop'}));
	EXPECT_FALSE(Tracking());
	const BMessage chosen = window->Last();
	EXPECT_EQ(chosen.GetInt32("index", -1), 1);
	void* source = nullptr;
	EXPECT_EQ(chosen.FindPointer("source", &source), B_OK);
	EXPECT_EQ(source, Locked(window, [this] { return bar->FindItem('fmop'); }));
	// The popup is gone: the window's own content shows there again.
	EXPECT_FALSE(ColorIs(Screen::ScreenPixel((int32)newItem.right - 2, (int32)newItem.top + 1),
		232, 232, 232));
}

TEST_F(MenuBarTest, PressDragReleaseChoosesAndMovingAlongTheBarSwitchesMenus)
{
	OpenWindow();
	Screen::MoveMouse(TitlePoint(0));
	Screen::PressMouse();
	Settle();
	Screen::MoveMouse(ItemPoint(0, 0));
	Screen::MoveMouse(ItemPoint(0, 4));
	Screen::ReleaseMouse();
	EXPECT_EQ(Commands(), (std::vector<uint32>{'fmqt'}));
	EXPECT_FALSE(Tracking());

	// Over the View title the File menu gives way to View.
	Screen::MoveMouse(TitlePoint(0));
	Screen::PressMouse();
	Settle();
	Screen::MoveMouse(TitlePoint(2));
	Settle();
	Screen::MoveMouse(ItemPoint(2, 1));
	Screen::ReleaseMouse();
	EXPECT_EQ(Commands(), (std::vector<uint32>{'fmqt', 'vpln'}));

	// Released off every menu: closed, nothing chosen.
	Screen::MoveMouse(TitlePoint(0));
	Screen::PressMouse();
	Settle();
	Screen::MoveMouse(BPoint(700, 600));
	Screen::ReleaseMouse();
	EXPECT_EQ(Commands(), (std::vector<uint32>{'fmqt', 'vpln'}));
	EXPECT_FALSE(Tracking());
}

TEST_F(MenuBarTest, KeysMoveThroughAnOpenMenuSkippingWhatCannotBeChosen)
{
	OpenWindow();
	ClickAt(TitlePoint(0));
	// Down: New, Open, then past the separator and the disabled Save to Quit.
	Screen::TypeKey("\x1f");
	Screen::TypeKey("\x1f");
	Screen::TypeKey("\x1f");
	Screen::TypeKey("\n");
	EXPECT_EQ(Commands(), (std::vector<uint32>{'fmqt'}));
	EXPECT_FALSE(Tracking());

	// Up from nothing wraps to the last item; Right skips the disabled Edit.
	ClickAt(TitlePoint(0));
	Screen::TypeKey("\x1d");  // right: to View
	Screen::TypeKey("\x1e");  // up: Plain
	Screen::TypeKey("\n");
	EXPECT_EQ(Commands(), (std::vector<uint32>{'fmqt', 'vpln'}));

	// Keys typed while a menu is open do not reach the window.
	ClickAt(TitlePoint(0));
	Screen::TypeKey("a");
	Screen::TypeKey("\x1b");
	EXPECT_EQ(Commands(), (std::vector<uint32>{'fmqt', 'vpln'}));
	EXPECT_FALSE(Tracking());
}

TEST_F(MenuBarTest, F10OpensTheFirstMenuThatCanOpenWithItsFirstItemSelected)
{
	OpenWindow();
	Screen::TypeFunctionKey(B_F10_KEY);
	Settle();
	EXPECT_TRUE(Tracking());
	Screen::TypeKey("\n");
	EXPECT_EQ(Commands(), (std::vector<uint32>{'fmnw'}));
	EXPECT_FALSE(Tracking());

	// Other function keys do nothing here; with File disabled, F10 passes to View.
	Screen::TypeFunctionKey(B_F9_KEY);
	Settle();
	EXPECT_FALSE(Tracking());
	Locked(window, [this] { bar->ItemAt(0)->Submenu()->SetEnabled(false); });
	Screen::TypeFunctionKey(B_F10_KEY);
	Screen::TypeKey("\n");
	EXPECT_EQ(Commands(), (std::vector<uint32>{'fmnw', B_KEY_DOWN, 'vmrk'}));
}

TEST_F(MenuBarTest, EscapeAClickElsewhereOrASecondClickOnTheTitleCloses)
{
	OpenWindow();
	ClickAt(TitlePoint(0));
	ASSERT_TRUE(Tracking());
	Key("\x1b");
	EXPECT_FALSE(Tracking());

	ClickAt(TitlePoint(0));
	ASSERT_TRUE(Tracking());
	// The click that closes is used up: the view under it never sees it.
	ClickAt(BPoint(350, 250));
	EXPECT_FALSE(Tracking());
	window->Lock();
	for (const MouseRecord& record : below->mouse)
		EXPECT_NE(record.hook, "down");
	window->Unlock();

	ClickAt(TitlePoint(2));
	ASSERT_TRUE(Tracking());
	ClickAt(TitlePoint(2));
	EXPECT_FALSE(Tracking());
	EXPECT_TRUE(Commands().empty());
	// Closed again, clicks reach the window's views.
	ClickAt(BPoint(350, 250));
	window->Lock();
	ASSERT_FALSE(below->mouse.empty());
	EXPECT_EQ(below->mouse[below->mouse.size() - 2].hook, "down");
	window->Unlock();
}

TEST_F(MenuBarTest, ShortcutsInvokeEnabledItemsOfEnabledMenusBeforeWindowShortcutsAtTheirTarget)
{
	OpenWindow();
	window->Lock();
	window->AddShortcut('N', 0, new BMessage('wnew'));
	window->AddShortcut('K', 0, new BMessage('wkey'));
	window->Unlock();
	const auto ctrl = [](const char* key) { Screen::TypeKey(key, B_COMMAND_KEY | B_CONTROL_KEY); };
	ctrl("n");  // the menu item comes before the window's shortcut
	ctrl("s");  // Save is disabled
	ctrl("x");  // Edit is disabled
	ctrl("k");
	EXPECT_EQ(Commands(), (std::vector<uint32>{'fmnw', B_KEY_DOWN, B_KEY_DOWN, 'wkey'}));

	window->Lock();
	bar->FindItem('fmsv')->SetEnabled(true);
	bar->FindItem("Edit")->Submenu()->SetEnabled(true);
	bar->FindItem('fmnw')->SetEnabled(false);
	window->Unlock();
	ctrl("s");
	ctrl("x");
	ctrl("n");
	// Commands arrive in the order typed, ahead of the plain key after them.
	Screen::TypeKey("z");
	EXPECT_EQ(Commands(), (std::vector<uint32>{'fmnw', B_KEY_DOWN, B_KEY_DOWN, 'wkey', 'fmsv',
		'edct', 'wnew', B_KEY_DOWN}));

	// Items send to the window unless given another target.
	auto* collector = new MessageRecorder();
	collector->Run();
	window->Lock();
	EXPECT_EQ(bar->FindItem('fmop')->Target(), window);
	bar->FindItem('fmop')->SetTarget(collector);
	window->Unlock();
	ctrl("o");
	EXPECT_EQ(Commands().size(), 8u);
	const std::vector<BMessage> got = collector->Messages();
	ASSERT_EQ(got.size(), 1u);
	EXPECT_EQ(got[0].what, 'fmop');
	EXPECT_EQ(got[0].GetInt32("index", -1), 1);
	collector->Lock();
	collector->Quit();
}

TEST_F(MenuBarTest, DisabledMenusAndItemsShowGreyAndDoNotOpenOrSendOrHighlight)
{
	OpenWindow();
	ClickAt(TitlePoint(1));
	EXPECT_FALSE(Tracking());
	Screen::Click(ItemPoint(1, 0));
	EXPECT_TRUE(Commands().empty());

	// The enabled File title has black in its label, the disabled Edit none.
	auto darkest = [&](int32 title) {
		const BRect frame = Locked(window, [&] { return bar->ItemAt(title)->Frame(); });
		int32 darkest = 255;
		for (int32 y = (int32)frame.top; y <= (int32)frame.bottom; y++) {
			for (int32 x = (int32)frame.left; x <= (int32)frame.right; x++)
				darkest = std::min<int32>(darkest, Pixel(window, x, y).red);
		}
		return darkest;
	};
	EXPECT_LT(darkest(0), 40);
	EXPECT_GE(darkest(1), 100);
	// The pointer highlights the item under it, but not a disabled one; choosing
	// that one sends nothing.
	ClickAt(TitlePoint(0));
	const auto backgroundIs = [](BRect item, uint8 level) {
		return ColorIs(Screen::ScreenPixel((int32)item.right - 3, (int32)item.top + 2), level,
			level, level);
	};
	const BRect open = ItemRect(0, 1);
	const BRect save = ItemRect(0, 3);
	EXPECT_TRUE(backgroundIs(open, 232));
	Screen::MoveMouse(ItemPoint(0, 1));
	Settle();
	EXPECT_TRUE(backgroundIs(open, 176));
	Screen::MoveMouse(ItemPoint(0, 3));
	Settle();
	EXPECT_TRUE(backgroundIs(open, 232));
	EXPECT_TRUE(backgroundIs(save, 232));
	Screen::Click(ItemPoint(0, 3));
	EXPECT_TRUE(Commands().empty());
	EXPECT_TRUE(Tracking());
}

TEST_F(MenuBarTest, MarkedItemsShowACheckAndUnmarkedOnesDoNot)
{
	OpenWindow();
	ClickAt(TitlePoint(2));
	auto blackInCheckSpace = [&](int32 item) {
		const BRect frame = ItemRect(2, item);
		int32 count = 0;
		for (int32 y = (int32)frame.top; y <= (int32)frame.bottom; y++) {
			for (int32 x = (int32)frame.left; x < (int32)(frame.left + MenuLook::kCheckSpace); x++)
				count += ColorIs(Screen::ScreenPixel(x, y), 0, 0, 0) ? 1 : 0;
		}
		return count;
	};
	EXPECT_GT(blackInCheckSpace(0), 6);
	EXPECT_EQ(blackInCheckSpace(1), 0);
	// Marks changed while the menu is open show at once.
	window->Lock();
	bar->FindItem('vmrk')->SetMarked(false);
	bar->FindItem('vpln')->SetMarked(true);
	window->Unlock();
	Settle();
	EXPECT_EQ(blackInCheckSpace(0), 0);
	EXPECT_GT(blackInCheckSpace(1), 6);
}

TEST_F(MenuBarTest, TheBarSpansTheWindowAndFollowsItsWidth)
{
	OpenWindow();
	window->Lock();
	EXPECT_EQ(bar->Frame(), BRect(0, 0, 299, MenuLook::kBarHeight));
	window->ResizeTo(450, 150);
	EXPECT_EQ(bar->Frame(), BRect(0, 0, 450, MenuLook::kBarHeight));
	window->Unlock();
	// A bar that does not follow both sides hugs its titles.
	auto* other = new BWindow(BRect(50, 50, 349, 149), "hug", B_TITLED_WINDOW, 0);
	auto* hugging = new BMenuBar(BRect(0, 0, 250, 40), "hug", B_FOLLOW_LEFT | B_FOLLOW_TOP);
	hugging->AddItem(new BMenu("One"));
	other->AddChild(hugging);
	Open(BRect(), other);
	other->Lock();
	EXPECT_EQ(hugging->Frame().Height(), MenuLook::kBarHeight);
	EXPECT_EQ(hugging->Frame().right, hugging->ItemAt(0)->Frame().right);
	EXPECT_EQ(other->KeyMenuBar(), hugging);
	other->Unlock();
}

TEST_F(MenuBarTest, SubmenusOpenFromTheirItemByPointerAndByKeys)
{
	window = new CommandWindow(BRect(100, 100, 399, 299));
	bar = new BMenuBar(BRect(0, 0, 299, 20), "menu bar");
	auto* go = new BMenu("Go");
	go->AddItem(new BMenuItem("First", new BMessage('frst')));
	auto* more = new BMenu("More");
	auto* deepMessage = new BMessage('deep');
	deepMessage->AddInt32("index", 7);  // the application's own value
	more->AddItem(new BMenuItem("Shallow", new BMessage('shlw')));
	more->AddItem(new BMenuItem("Deep", deepMessage));
	go->AddItem(more);
	bar->AddItem(go);
	window->AddChild(bar);
	Open(BRect(), window);

	ClickAt(TitlePoint(0));
	const BRect moreItem = ItemRect(0, 1);
	Screen::MoveMouse(BPoint(moreItem.left + 20, moreItem.top + 8));
	Settle();
	// The submenu stands at the right of its item, its first item level with it.
	const BRect deepFrame = Locked(window, [more] { return more->ItemAt(1)->Frame(); });
	const BPoint deep(moreItem.right + deepFrame.left + 20,
		moreItem.top - MenuLook::kBorder + deepFrame.top + 8);
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel((int32)deep.x + 40, (int32)deep.y - 6),
		232, 232, 232));
	Screen::Click(deep);
	EXPECT_EQ(Commands(), (std::vector<uint32>{'deep'}));
	EXPECT_EQ(window->Last().GetInt32("index", -1), 7);
	EXPECT_FALSE(Tracking());

	// Down to More, Right into it, Enter on its first item.
	ClickAt(TitlePoint(0));
	Screen::TypeKey("\x1f");
	Screen::TypeKey("\x1f");
	Screen::TypeKey("\x1d");
	Screen::TypeKey("\n");
	EXPECT_EQ(Commands(), (std::vector<uint32>{'deep', 'shlw'}));
	EXPECT_EQ(window->Last().GetInt32("index", -1), 0);
	EXPECT_FALSE(Tracking());
}

TEST_F(MenuBarTest, AClickInAnotherWindowClosesTheMenuAndTheMenuStaysAboveIt)
{
	OpenWindow();
	// The window ends below its bar; a second one lies where the File menu opens.
	Locked(window, [this] { window->ResizeTo(299, 40); });
	auto* other = new BWindow(BRect(100, 150, 449, 399), "other", B_TITLED_WINDOW, 0);
	Open(BRect(), other);
	ClickAt(TitlePoint(0));
	ASSERT_TRUE(Tracking());
	const BRect quit = ItemRect(0, 4);
	ASSERT_GT(quit.top, 150);
	EXPECT_TRUE(ColorIs(Screen::ScreenPixel((int32)quit.right - 2, (int32)quit.top + 1),
		232, 232, 232));
	ClickAt(BPoint(420, 350));
	EXPECT_FALSE(Tracking());
	EXPECT_TRUE(Commands().empty());
}

}  // namespace
