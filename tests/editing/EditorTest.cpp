// The record editors driven as a user drives them: records typed one after
// another with Tab and Enter, the field rules on typed and pasted text, a
// record changed in place, Done finding its record again after the book
// changed under it, the editors closing with their book, Escape as Cancel in
// every dialog, the About and support windows, and a book that could not be
// read kept from being written or closed without asking.
#include "AppTestSupport.h"

#include "ABListView.h"
#include "BookFile.h"
#include "CVABEntryWindow.h"
#include "CVABFindWindow.h"
#include "CVABInfoWindow.h"
#include "CVABModifyWindow.h"
#include "CVABook.h"
#include "MyEntryTextView.h"
#include "RecordActions.h"

#include <Button.h>
#include <Entry.h>
#include <TextView.h>

#include <algorithm>
#include <sys/stat.h>

class EditorTest : public AppTest {
protected:
	// The book's window stays left of the centred editors, so clicks reach both.
	CVABWindow* OpenBook(const std::string& body)
	{
		return AppTest::OpenBook(body, BRect(0, 30, 360, 329));
	}

	std::string FieldText(CVABEditRecordsWindow* editor, int32 field)
	{
		return Locked(editor, [editor, field] {
			return std::string(editor->FieldView(field)->Text());
		});
	}

	// Labels carry the field names too: the field view itself, its text selected.
	void ClickField(CVABEditRecordsWindow* editor, int32 field)
	{
		Screen::Click(Locked(editor, [editor, field] {
			return editor->FieldView(field)->ConvertToScreen(BPoint(20, 10));
		}));
		Key("a", B_COMMAND_KEY);
	}

	static std::string DefaultButton(BWindow* editor)
	{
		return Locked(editor, [editor] { return std::string(editor->DefaultButton()->Name()); });
	}
};

TEST_F(EditorTest, RecordsAreTypedOneAfterAnotherKeepTheFieldRulesAndAppearAfterCancel)
{
	CVABWindow* window = OpenBook(Line({"zed", "Zed"}));
	ChooseMenu(window, "Records", "Make a New Record");
	auto* editor = Find<CVABEntryWindow>();
	ASSERT_NE(editor, nullptr);
	EXPECT_EQ(Locked(editor, [editor] { return editor->Frame(); }),
		BRect(376, 148, 646, 618)) << "centred on the 1024 x 768 screen";
	EXPECT_EQ(FocusName(editor), "Nickname");
	EXPECT_EQ(DefaultButton(editor), "Add_Button");

	// Tab walks the 21 fields in record order, then Cancel and Add, and round.
	for (int32 field = 1; field < kBookFieldCount; field++) {
		Key("\t");
		ASSERT_EQ(FocusName(editor), kBookFieldNames[field]);
	}
	Key("\t");
	EXPECT_EQ(FocusName(editor), "Cancel_Button");
	Key("\t");
	EXPECT_EQ(FocusName(editor), "Add_Button");
	Key("\t");
	EXPECT_EQ(FocusName(editor), "Nickname") << "the background is no Tab stop";

	Type("ann");
	Key("\t");
	Type("Ann");
	Key("\n");
	EXPECT_EQ(FieldText(editor, 0), "") << "Add clears the fields for the next record";
	EXPECT_EQ(FocusName(editor), "Nickname");
	Type("bob");
	Key("\n");
	EXPECT_EQ(RowTexts(window, 0), (std::vector<std::string>{"zed"})) << "not before Cancel";
	Type("cat");
	Key("\x1b");  // Escape: Cancel, which drops what was not added
	EXPECT_EQ(RowTexts(window, 0), (std::vector<std::string>{"zed", "ann", "bob"}));
	EXPECT_EQ(RowTexts(window, 1), (std::vector<std::string>{"Zed", "Ann", ""}));
	EXPECT_TRUE(MenuEnabled(window, "Save this Address Book"));
	EXPECT_EQ(Find<CVABEntryWindow>(), nullptr);

	// Typing stops at 40 bytes. Pasted text is not filtered, but the record
	// takes its first line up to a TAB, and a character that would cross 40
	// bytes is not cut in half.
	const std::string digits = "0123456789012345678901234567890123456789";
	ChooseMenu(window, "Records", "Make a New Record");
	editor = Find<CVABEntryWindow>();
	ASSERT_NE(editor, nullptr);
	Type((digits + "XYZ").c_str());
	EXPECT_EQ(FieldText(editor, 0), digits);
	Key("\t");
	PutClipboard("Ann\tLee\nsecond line");
	Key("v", B_COMMAND_KEY);
	EXPECT_EQ(FieldText(editor, 1), "Ann\tLee\nsecond line");
	Key("\t");
	PutClipboard("Lee\nsecond\tline");
	Key("v", B_COMMAND_KEY);
	Key("\t");
	PutClipboard(std::string(39, 'a') + "\xc3\xa9z");
	Key("v", B_COMMAND_KEY);
	Key("\n");
	const std::string pasted = Line({digits, "Ann", "Lee", std::string(39, 'a')});

	// Closing the book closes an editor still open on it, and saves the new records.
	window->PostMessage(B_QUIT_REQUESTED);
	Settle();
	EXPECT_EQ(Find<CVABEntryWindow>(), nullptr);
	EXPECT_TRUE(Ended()) << "the last book closed";
	EXPECT_EQ(ReadFile(Path("book.cvab")),
		Line({"zed", "Zed"}) + Line({"ann", "Ann"}) + Line({"bob"}) + pasted);
}

TEST_F(EditorTest, DoneWritesIntoItsOwnRecordWhereverItNowStands)
{
	CVABWindow* window = OpenBook(Line({"carl", "Carl"}) + Line({"ann", "Ann"}) + Line({"bob", "Bob"}));
	DoubleClickRow(window, 0);
	auto* editor = Find<CVABModifyWindow>();
	ASSERT_NE(editor, nullptr) << "a double-click opens the record";
	EXPECT_EQ(FieldText(editor, 0), "carl");
	EXPECT_EQ(FieldText(editor, 1), "Carl");
	EXPECT_EQ(DefaultButton(editor), "Modify_Button");

	// Meanwhile the book is sorted: carl moves to the end.
	ClickView(window, "Nickname");
	ASSERT_EQ(RowTexts(window, 0), (std::vector<std::string>{"ann", "bob", "carl"}));
	ClickField(editor, 0);
	Type("karl");
	ClickView(editor, "Modify_Button");
	EXPECT_EQ(RowTexts(window, 0), (std::vector<std::string>{"ann", "bob", "karl"}));
	EXPECT_EQ(Find<CVABModifyWindow>(), nullptr);

	// A record deleted while its editor is open comes back as a new one.
	ClickRow(window, 0);
	ChooseMenu(window, "Records", "Modify the Selected Record");
	editor = Find<CVABModifyWindow>();
	ASSERT_NE(editor, nullptr);
	ClickRow(window, 0);
	ChooseMenu(window, "Records", "Delete the Selected Record");
	ClickRow(window, 0);  // bob now stands where ann stood
	ClickView(editor, "Modify_Button");
	EXPECT_EQ(RowTexts(window, 0), (std::vector<std::string>{"bob", "karl", "ann"}));
}

// Escape does what Cancel does in the other dialogs of a book window (the entry
// window: above): the modify window drops what was typed; Find, About and
// support close. About and support are modal over the book, centred, and open
// their pages by Enter (About's default button) or their web button.
TEST_F(EditorTest, EscapeDoesWhatCancelDoesAndTheInformationWindowsOpenTheirPages)
{
	CVABWindow* window = OpenBook(Line({"ann", "Ann"}) + Line({"bob"}));
	DoubleClickRow(window, 0);
	ASSERT_NE(Find<CVABModifyWindow>(), nullptr);
	Type("zed");
	Key("\x1b");
	EXPECT_EQ(Find<CVABModifyWindow>(), nullptr);
	EXPECT_EQ(RowTexts(window, 0), (std::vector<std::string>{"ann", "bob"}));

	ChooseMenu(window, "Search", "Find...");
	ASSERT_NE(Find<CVABFindWindow>(), nullptr);
	Key("\x1b");
	EXPECT_EQ(Find<CVABFindWindow>(), nullptr);
	const auto text = [](BWindow* info) {
		return Locked(info, [info] {
			return std::string(static_cast<BTextView*>(info->FindView("AboutTextView"))->Text());
		});
	};
	const auto selected = [window] {
		return Locked(window, [window] { return window->ListView()->CurrentSelection(); });
	};
	for (const char* item : {"About Corvane Address Book LITE", "Instructions and Tech Support"}) {
		ChooseMenu(window, "Info", item);
		CVABInfoWindow* info = Find<CVABInfoWindow>();
		ASSERT_NE(info, nullptr) << item;
		EXPECT_EQ(FrameOf(info), BRect(371, 281, 651, 486)) << item;
		// A click on the book's row, and on the text, reaches neither.
		const int32 before = selected();
		ASSERT_NE(before, 1);
		ClickRow(window, 1);
		EXPECT_EQ(selected(), before) << item;
		ClickView(info, "AboutTextView");
		EXPECT_EQ(FocusName(info), "<none>") << item;
		Key("\x1b");
		EXPECT_EQ(Find<CVABInfoWindow>(), nullptr) << item;
	}
	EXPECT_EQ(Launched(), "");
	ClickRow(window, 1);
	EXPECT_EQ(selected(), 1);

	ChooseMenu(window, "Info", "About Corvane Address Book LITE");
	BWindow* about = Find<CVABInfoWindow>();
	ASSERT_NE(about, nullptr);
	EXPECT_EQ(TitleOf(about), "About Corvane Address Book LITE");
	const std::string aboutText = text(about);
	EXPECT_EQ(aboutText.substr(0, aboutText.find("LITE.") + 5),
		"Corvane Address Book LITE\nVersion 1.0b14 October 26, 1998\n\n"
		"This is probably an outdated version\nof the Corvane Address Book LITE.");
	EXPECT_EQ(std::count(aboutText.begin(), aboutText.end(), '\n'), 7);
	Key("\n");
	EXPECT_EQ(WaitForLaunch(), std::string(kMakerWebAddress) + "\n");
	EXPECT_EQ(Find<CVABInfoWindow>(), nullptr);

	WriteFile(Path("launched"), "");
	ChooseMenu(window, "Info", "Instructions and Tech Support");
	BWindow* support = Find<CVABInfoWindow>();
	ASSERT_NE(support, nullptr);
	EXPECT_EQ(text(support),
		"There are instructions available on the support \nweb page.\n\n"
		"We cannot provide phone support for the free \nversion.  We will post common "
		"questions and \nanswers on the tech support web page.");
	ClickView(support, "Web_Button");
	EXPECT_EQ(WaitForLaunch(), std::string(kMakerSupportAddress) + "\n");
	EXPECT_EQ(Find<CVABInfoWindow>(), nullptr);
}

// A folder where a book is expected cannot be read, whoever runs the test: such
// a book is never written implicitly, nor its new records closed away silently.
TEST_F(EditorTest, ABookThatCouldNotBeReadIsNeverWrittenOrClosedSilently)
{
	mkdir(Path("folder.cvab").c_str(), 0755);
	Launch({Path("folder.cvab")});
	CVABWindow* window = Front();
	ASSERT_NE(window, nullptr);
	EXPECT_EQ(AlertText(), "The file \"folder.cvab\" could not be opened as an address book: "
		"it is a folder.");
	AnswerAlert(0);
	Screen::UserMove(window, BPoint(100, 100));
	Settle();
	Key("s", B_COMMAND_KEY);
	EXPECT_NE(SavePanel(), nullptr) << "Save asks for a name";
	CancelPanel();
	ChooseMenu(window, "Records", "Make a New Record");
	Type("ann");
	Key("\n");
	ClickView(Find<CVABEntryWindow>(), "Cancel_Button");

	Key("w", B_COMMAND_KEY);
	EXPECT_NE(AlertText().find("could not be read"), std::string::npos) << AlertText();
	AnswerAlert(1);  // Cancel
	EXPECT_EQ(BookWindows().size(), 1u);
	Key("w", B_COMMAND_KEY);
	AnswerAlert(2);  // Save...
	CancelPanel();
	EXPECT_EQ(BookWindows().size(), 1u) << "cancelling that panel keeps the book";
	Key("w", B_COMMAND_KEY);
	AnswerAlert(2);
	SaveAs("rescued.cvab");
	EXPECT_TRUE(Ended()) << "saved, then closed as asked";
	EXPECT_EQ(ReadFile(Home() + "/rescued.cvab"), Line({"ann"}));
	struct stat info;
	ASSERT_EQ(stat(Path("folder.cvab").c_str(), &info), 0);
	EXPECT_TRUE(S_ISDIR(info.st_mode));
}
