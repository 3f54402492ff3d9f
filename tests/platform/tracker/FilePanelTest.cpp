// The open and save panels on the headless screen, driven by real clicks and keys
// in a scratch folder tree: what they list, moving through folders, the replace
// question, and what the target hears on cancelling. (A chosen book opened and a
// typed name saved in the message given are the application's launch and save
// tests'; ref filters, folder panels, modal panels and panels that stay up are not
// the application's.)
#include "WindowTestSupport.h"

#include <Alert.h>
#include <Button.h>
#include <FilePanel.h>
#include <ListView.h>
#include <Path.h>
#include <StringItem.h>
#include <TextView.h>

#include "StorageTestSupport.h"

#include <sys/stat.h>

namespace {

class CountingPanel : public BFilePanel {
public:
	using BFilePanel::BFilePanel;
	void WasHidden() override { hidden++; }
	std::atomic<int32> hidden{0};
};

using Names = std::vector<std::string>;
using Codes = std::vector<uint32>;

class FilePanelTest : public WindowTest {
protected:
	void SetUp() override
	{
		WindowTest::SetUp();
		ASSERT_FALSE(fDir.Path().empty());
		for (const char* name : {"b.txt", "a.txt", "C.txt", ".hidden"})
			write_file(fDir / name, "x");
		for (const char* name : {"Docs", "archive", ".config"})
			mkdir((fDir / name).c_str(), 0755);
		write_file(fDir / "Docs/inner.txt", "x");
		// A link to a folder is moved through like a folder; a link to a file lists as
		// a file.
		symlink("Docs", (fDir / "link").c_str());
		symlink("a.txt", (fDir / "A.txt").c_str());
		fRecorder = new MessageRecorder();
		fRecorder->Run();
	}
	void TearDown() override
	{
		delete fPanel;
		if (fRecorder->Lock())
			fRecorder->Quit();
		WindowTest::TearDown();
	}

	void Make(file_panel_mode mode)
	{
		BMessenger target(fRecorder);
		entry_ref start;
		ASSERT_EQ(get_ref_for_path(fDir.Path().c_str(), &start), B_OK);
		fPanel = new CountingPanel(mode, &target, &start);
		ShowPanel();
	}
	void ShowPanel()
	{
		fPanel->Show();
		Settle();
	}
	void HidePanel()
	{
		fPanel->Hide();
		Settle();
	}

	BWindow* Panel() { return fPanel->Window(); }
	Names Rows()
	{
		return Locked(Panel(), [this] {
			auto* list = static_cast<BListView*>(Panel()->FindView("list"));
			Names rows;
			for (int32 i = 0; i < list->CountItems(); i++)
				rows.push_back(static_cast<BStringItem*>(list->ItemAt(i))->Text());
			return rows;
		});
	}
	std::string FieldText(const char* name)
	{
		return Locked(Panel(), [this, name] {
			return std::string(static_cast<BTextView*>(Panel()->FindView(name))->Text());
		});
	}
	std::string Folder()
	{
		entry_ref ref;
		fPanel->GetPanelDirectory(&ref);
		BPath path(&ref);
		return path.InitCheck() == B_OK ? path.Path() : "";
	}

	void ClickView(const char* name) { ::ClickView(Panel(), name); }
	void TypeInto(const char* field, const char* text) { ::TypeInto(Panel(), field, text); }
	BPoint RowPoint(const char* label) { return ListRowPoint(Panel(), "list", label); }
	void ClickRow(const char* label, uint32 modifiers = 0) { ClickAt(RowPoint(label), modifiers); }
	// The second click of a double-click lands on the row the first one selected.
	void DoubleClickRow(const char* label)
	{
		const BPoint point = RowPoint(label);
		Screen::Click(point);
		ClickAt(point, 0, 2);
	}

	std::vector<BMessage> Got() { return fRecorder->Messages(); }
	Codes Received()
	{
		Codes codes;
		for (const BMessage& message : Got())
			codes.push_back(message.what);
		return codes;
	}
	// A B_CANCEL from this panel for a message with that code.
	bool IsCancel(const BMessage& message, uint32 oldWhat) const
	{
		void* source = nullptr;
		return message.what == B_CANCEL && message.GetInt32("old_what", 0) == (int32)oldWhat
			&& message.FindPointer("source", &source) == B_OK && source == fPanel;
	}

	TempDir fDir;
	MessageRecorder* fRecorder = nullptr;
	CountingPanel* fPanel = nullptr;
};

TEST_F(FilePanelTest, FoldersComeFirstADoubleClickOpenOrATypedPathEntersOneAndTheParentGoesBack)
{
	Make(B_OPEN_PANEL);
	const Names top{"archive/", "Docs/", "link/", "A.txt", "a.txt", "b.txt", "C.txt"};
	EXPECT_EQ(Rows(), top) << "folders marked and first, names without case, no dot-files";
	EXPECT_EQ(FieldText("path"), fDir.Path());
	DoubleClickRow("Docs/");
	EXPECT_EQ(Rows(), Names{"inner.txt"});
	EXPECT_EQ(Folder(), fDir / "Docs");
	EXPECT_EQ(FieldText("path"), fDir / "Docs");
	ClickView("parent");
	EXPECT_EQ(Folder(), fDir.Path());
	EXPECT_EQ(Rows(), top);
	// Open on a folder enters it too.
	ClickRow("link/");
	ClickView("default");
	EXPECT_EQ(Rows(), Names{"inner.txt"});
	ClickView("parent");

	// A typed path opens its folder; a bad one is taken back.
	TypeInto("path", (fDir / "Docs").c_str());
	EXPECT_EQ(Folder(), fDir / "Docs");
	EXPECT_EQ(Rows(), Names{"inner.txt"});
	TypeInto("path", (fDir / "nowhere").c_str());
	EXPECT_EQ(Folder(), fDir / "Docs");
	EXPECT_EQ(FieldText("path"), fDir / "Docs");
	TypeInto("path", (fDir / "a.txt").c_str());
	EXPECT_EQ(Folder(), fDir / "Docs") << "a file is no folder to go to";
	TypeInto("path", "..");
	EXPECT_EQ(Folder(), fDir.Path());

	// A pasted path keeps its first line only.
	const std::string pasted = fDir / "Docs" + "\nsecond line";
	PutOnClipboard(pasted.data(), (ssize_t)pasted.size());
	ClickView("path");
	Screen::TypeKey("a", B_COMMAND_KEY);
	Key("v", B_COMMAND_KEY);
	EXPECT_EQ(FieldText("path"), fDir / "Docs");
	Key("\n");
	EXPECT_EQ(Folder(), fDir / "Docs");
	EXPECT_TRUE(Received().empty()) << "moving through folders sends nothing";
}

TEST_F(FilePanelTest, SaveReplacesAnExistingNameOnlyWhenTheUserSaysSoAndRefusesBadNames)
{
	Make(B_SAVE_PANEL);
	ClickRow("a.txt");
	EXPECT_EQ(FieldText("name"), "a.txt") << "a selected file names the save";
	ClickView("default");
	BAlert* alert = FindAlert();
	ASSERT_NE(alert, nullptr);
	Locked(alert, [alert] {
		EXPECT_STREQ(alert->TextView()->Text(),
			"\"a.txt\" already exists. Do you want to replace it?");
		EXPECT_EQ(alert->Type(), B_WARNING_ALERT);
		EXPECT_STREQ(alert->ButtonAt(1)->Label(), "Replace");
	});
	// The panel's thread goes on while the question is up.
	ASSERT_EQ(fPanel->Window()->LockWithTimeout(2000000), B_OK);
	fPanel->Window()->Unlock();
	AnswerAlert(0);
	EXPECT_EQ(FindAlert(), nullptr);
	EXPECT_TRUE(Received().empty());
	EXPECT_TRUE(fPanel->IsShowing());

	// Empty and slashed names save nothing; a folder's name opens it.
	TypeInto("name", "");
	TypeInto("name", "x/y");
	ClickView("default");
	TypeInto("name", "Docs");
	EXPECT_EQ(Folder(), fDir / "Docs");
	EXPECT_TRUE(Received().empty());
	EXPECT_TRUE(fPanel->IsShowing());

	TypeInto("name", "inner.txt");
	AnswerAlert(1);
	ASSERT_EQ(Received(), (Codes{B_SAVE_REQUESTED, B_CANCEL}));
	EXPECT_STREQ(Got().at(0).GetString("name", ""), "inner.txt");

	// A panel hidden while the question is up saves nothing, whatever the answer.
	ShowPanel();
	TypeInto("name", "inner.txt");
	ASSERT_NE(FindAlert(), nullptr);
	fPanel->Hide();
	AnswerAlert(1);
	EXPECT_EQ(Received(), (Codes{B_SAVE_REQUESTED, B_CANCEL, B_CANCEL}));
}

TEST_F(FilePanelTest, CancelTheCloseBoxAndEscapeEachHideAndSendCancel)
{
	Make(B_SAVE_PANEL);
	ClickView("cancel");
	EXPECT_FALSE(fPanel->IsShowing());
	ShowPanel();
	Screen::ClickCloseBox(Panel());
	Settle();
	EXPECT_FALSE(fPanel->IsShowing());
	ShowPanel();
	Key("\x1b");
	EXPECT_FALSE(fPanel->IsShowing());
	const std::vector<BMessage> messages = fRecorder->Messages();
	ASSERT_EQ(messages.size(), 3u);
	for (const BMessage& message : messages)
		EXPECT_TRUE(IsCancel(message, B_SAVE_REQUESTED));
	EXPECT_EQ(fPanel->hidden, 3);
	// Hiding a hidden panel says nothing more.
	HidePanel();
	EXPECT_EQ(Received().size(), 3u);
}

TEST_F(FilePanelTest, AnApplicationThatQuitsTakesTheWindowAndLeavesThePanelSafe)
{
	Make(B_OPEN_PANEL);
	const BMessenger window = fPanel->Messenger();
	be_app->PostMessage(B_QUIT_REQUESTED);
	fAppThread.join();
	EXPECT_FALSE(window.IsValid());
	fPanel->Show();
	EXPECT_FALSE(fPanel->IsShowing());
	delete fPanel;
	fPanel = nullptr;
	WindowTest::SetUp();  // the application that TearDown ends
}

}  // namespace

// Tab reads each panel from the top down: the parent button and the path, the
// list, the name (to save), then the buttons, and round again.
TEST_F(FilePanelTest, TabGoesThroughThePanelFromTheTopDown)
{
	const struct {
		file_panel_mode mode;
		Names order;
	} cases[] = {
		{B_OPEN_PANEL, {"list", "cancel", "default", "parent", "path", "list"}},
		{B_SAVE_PANEL, {"name", "cancel", "default", "parent", "path", "list", "name"}},
	};
	for (const auto& c : cases) {
		Make(c.mode);
		ClickRow("a.txt");
		if (c.mode == B_SAVE_PANEL)
			ClickView("name");
		Names focus;
		for (size_t step = 0; step < c.order.size(); step++) {
			if (step > 0)
				Key("\t");
			focus.push_back(Locked(Panel(), [this] {
				BView* view = Panel()->CurrentFocus();
				return std::string(view != nullptr ? view->Name() : "");
			}));
		}
		EXPECT_EQ(focus, c.order) << (c.mode == B_SAVE_PANEL ? "save" : "open");
		delete fPanel;
		fPanel = nullptr;
	}
}
