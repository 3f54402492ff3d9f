// Sections: the per-test world; the application's life; reading windows; input.
#include "AppTestSupport.h"

#include "ABListItem.h"
#include "ABListView.h"
#include "BookFile.h"
#include "BookMenus.h"
#include "CVABapp.h"
#include "CommandCodes.h"

#include <Entry.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <TextView.h>

#include "AppKitHooks.h"
#include "WindowServerLink.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <future>
#include <sys/stat.h>

namespace {

BPoint RowPoint(CVABWindow* window, int32 row)
{
	return Locked(window, [window, row] {
		const BRect frame = window->ListView()->ItemFrame(row);
		return window->ListView()->ConvertToScreen(BPoint(20, std::floor((frame.top + frame.bottom) / 2)));
	});
}

}  // namespace

// --- the per-test world

void AppTest::SetUp()
{
	ASSERT_FALSE(fDir.Path().empty());
	mkdir(Home().c_str(), 0700);
	mkdir(Path("run").c_str(), 0700);
	setenv("HOME", Home().c_str(), 1);
	setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
	setenv("XDG_DATA_HOME", Path("data").c_str(), 1);
	setenv("XDG_RUNTIME_DIR", Path("run").c_str(), 1);
	setenv("XDG_STATE_HOME", Path("state").c_str(), 1);  // the conflict log
	WriteFile(Path("opener"), "#!/bin/sh\nprintf '%s\\n' \"$*\" >> " + Path("launched") + "\n");
	chmod(Path("opener").c_str(), 0755);
	setenv("CVAB_URL_OPENER", Path("opener").c_str(), 1);
	Screen::Use();
}

void AppTest::TearDown()
{
	if (Running()) {
		// A window may be waiting on a question: close without saving.
		for (int tries = 0; tries < 5 && Running() && !Quit(); tries++) {
			if (Alert() != nullptr)
				AnswerAlert(0);
		}
	}
	if (fAppThread.joinable())
		fAppThread.join();
}

// --- the application's life

void AppTest::Launch(const std::vector<std::string>& arguments)
{
	// An application that ended by itself (its last window closed) is joined.
	if (fAppThread.joinable())
		fAppThread.join();
	std::vector<std::string> commandLine{"cvab"};
	commandLine.insert(commandLine.end(), arguments.begin(), arguments.end());
	BPrivate::set_command_line_for_next_application(commandLine);
	std::promise<void> ready;
	std::future<void> started = ready.get_future();
	fAppEnded = false;
	fAppThread = std::thread([this, &ready] {
		{
			CVABapp app;
			ready.set_value();
			app.Run();
		}
		fAppEnded = true;
	});
	started.wait();
	// A looper that has not started running counts as idle, so first let the
	// application answer: by then it has handled its launch messages.
	BMessage reply;
	be_app_messenger.SendMessage(kAppIdentify, &reply);
	Settle();
}

CVABWindow* AppTest::OpenBook(const std::string& body, BRect frame)
{
	const std::string path = Path("book.cvab");
	WriteFile(path, body);
	StoreFrame(path, frame);
	Launch({path});
	CVABWindow* window = Front();
	EXPECT_NE(window, nullptr);
	return window;
}

bool AppTest::Ended()
{
	for (int i = 0; i < 300 && Running(); i++)
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	return !Running();
}

bool AppTest::Quit()
{
	be_app->PostMessage(B_QUIT_REQUESTED);
	for (int i = 0; i < 200 && !fAppEnded; i++)
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	if (!fAppEnded) {
		Screen::WaitForIdle();
		return false;
	}
	fAppThread.join();
	return true;
}

// --- reading windows

std::vector<BMessenger> AppTest::BookWindows() const
{
	if (!Running() || be_app == nullptr)
		return {};
	return static_cast<CVABapp*>(be_app)->BookWindows();
}

std::vector<BWindow*> AppTest::Windows()
{
	std::vector<BWindow*> windows;
	for (const BMessenger& messenger : BPrivate::WindowServerLink::Windows()) {
		BLooper* looper = nullptr;
		messenger.Target(&looper);
		if (auto* window = dynamic_cast<BWindow*>(looper))
			windows.push_back(window);
	}
	return windows;
}

CVABWindow* AppTest::Front() const
{
	const std::vector<BMessenger> windows = BookWindows();
	if (windows.empty())
		return nullptr;
	BLooper* looper = nullptr;
	windows.back().Target(&looper);
	return static_cast<CVABWindow*>(looper);
}

std::vector<std::string> AppTest::RowTexts(CVABWindow* window, int32 field)
{
	return Locked(window, [window, field] {
		std::vector<std::string> rows;
		ABListView* list = window->ListView();
		for (int32 i = 0; list != nullptr && i < list->CountItems(); i++)
			rows.push_back(static_cast<ABListItem*>(list->ItemAt(i))->Record()->Field(field));
		return rows;
	});
}

// Enabled as the user sees it: the item and the menu holding it.
bool AppTest::MenuEnabled(CVABWindow* window, const char* label)
{
	return Locked(window, [window, label] {
		BMenuBar* bar = window->Menus()->Bar();
		for (int32 i = 0; i < bar->CountItems(); i++) {
			BMenu* menu = bar->ItemAt(i)->Submenu();
			if (BMenuItem* item = menu->FindItem(label))
				return menu->IsEnabled() && item->IsEnabled();
		}
		ADD_FAILURE() << "no menu item " << label;
		return false;
	});
}

// --- input

void AppTest::DoubleClickRow(CVABWindow* window, int32 row)
{
	const BPoint point = RowPoint(window, row);
	Screen::Click(point);
	Screen::Click(point, 2);
	Settle();
}

void AppTest::ClickRow(CVABWindow* window, int32 row, uint32 modifiers)
{
	const BPoint point = RowPoint(window, row);
	Screen::HoldModifiers(modifiers);
	Screen::Click(point);
	Screen::HoldModifiers(0);
	Settle();
}

// A click on the title, then on the item where its open menu shows it.
void AppTest::ChooseMenu(CVABWindow* window, const char* title, const char* label)
{
	BPoint titlePoint;
	BPoint itemPoint;
	window->Lock();
	BMenuBar* bar = window->Menus()->Bar();
	for (int32 i = 0; i < bar->CountItems(); i++) {
		BMenuItem* titleItem = bar->ItemAt(i);
		if (strcmp(titleItem->Label(), title) != 0)
			continue;
		const BRect frame = titleItem->Frame();
		titlePoint = bar->ConvertToScreen(
			BPoint(frame.left + 6, std::floor((frame.top + frame.bottom) / 2)));
		const BPoint leftTop = bar->ConvertToScreen(BPoint(frame.left, bar->Bounds().bottom + 1));
		BMenuItem* item = titleItem->Submenu()->FindItem(label);
		EXPECT_NE(item, nullptr) << label;
		if (item != nullptr) {
			const BRect itemFrame = item->Frame().OffsetByCopy(leftTop.x, leftTop.y);
			itemPoint = BPoint(itemFrame.left + 30, std::floor((itemFrame.top + itemFrame.bottom) / 2));
		}
	}
	window->Unlock();
	Screen::Click(titlePoint);
	Settle();
	Screen::Click(itemPoint);
	Settle();
}

void AppTest::Key(const char* bytes, uint32 modifiers)
{
	Screen::TypeKey(bytes, modifiers);
	Settle();
}

void AppTest::Type(const char* text)
{
	Screen::TypeText(text);
	Settle();
}

BWindow* AppTest::SavePanel() const
{
	for (BWindow* window : Windows()) {
		if (!window->IsHidden() && window->FindView("name") != nullptr)
			return window;
	}
	return nullptr;
}

void AppTest::SaveAs(const char* name)
{
	BWindow* panel = SavePanel();
	ASSERT_NE(panel, nullptr);
	ClickView(panel, "name");
	Screen::TypeKey("a", B_COMMAND_KEY);
	Screen::TypeKey("\x7f");
	Type(name);
	Key("\n");
}

void AppTest::CancelPanel()
{
	BWindow* panel = SavePanel();
	ASSERT_NE(panel, nullptr);
	ClickView(panel, "cancel");
}

std::string AppTest::TitleOf(BWindow* window)
{
	return Locked(window, [window] { return std::string(window->Title()); });
}

BRect AppTest::FrameOf(BWindow* window)
{
	return Locked(window, [window] { return window->Frame(); });
}

std::string AppTest::FocusName(BWindow* window)
{
	return Locked(window, [window] {
		const BView* focus = window->CurrentFocus();
		return std::string(focus == nullptr ? "<none>" : focus->Name() != nullptr ? focus->Name() : "");
	});
}

std::string AppTest::AlertText() const
{
	BAlert* alert = Alert();
	if (alert == nullptr || !alert->Lock())
		return std::string();
	const std::string text = alert->TextView()->Text();
	alert->Unlock();
	return text;
}

std::string AppTest::WaitForLaunch() const
{
	for (int i = 0; i < 200 && Launched().empty(); i++)
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	return Launched();
}

void AppTest::StoreFrame(const std::string& path, BRect frame)
{
	const entry_ref ref = RefFor(path);
	EXPECT_EQ(SaveBookFrame(&ref, book_frame{frame.left, frame.top, frame.right, frame.bottom}),
		B_OK);
}

void AppTest::OpenRef(const std::string& path)
{
	const entry_ref ref = RefFor(path);
	BMessage refs(B_REFS_RECEIVED);
	refs.AddRef("refs", &ref);
	be_app_messenger.SendMessage(&refs);
	Settle();
}

std::string AppTest::Line(std::vector<std::string> fields)
{
	fields.resize(kBookFieldCount);
	std::string line;
	for (size_t i = 0; i < fields.size(); i++)
		line += fields[i] + (i + 1 < fields.size() ? "\t" : "\n");
	return line;
}
