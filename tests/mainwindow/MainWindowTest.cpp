// The main window driven as a user drives it: header clicks sort, the View menu
// picks columns, the selection rules the record items, the copies reach the
// clipboard and the web item launches only checked addresses.
#include "AppTestSupport.h"
#include "ScriptSamples.h"

#include "ABListView.h"
#include "BookClipboard.h"
#include "BookFile.h"
#include "BookMenus.h"
#include "CVABook.h"

#include <Clipboard.h>
#include <Entry.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <ScrollBar.h>

#include <utility>

namespace {

std::string ClipboardText()
{
	if (!be_clipboard->Lock())
		return "<no lock>";
	const void* data = nullptr;
	ssize_t size = 0;
	std::string text = "<empty>";
	if (be_clipboard->Data()->FindData("text/plain", B_MIME_TYPE, &data, &size) == B_OK)
		text.assign(static_cast<const char*>(data), size_t(size));
	be_clipboard->Unlock();
	return text;
}

}  // namespace

class MainWindowTest : public AppTest {
protected:
	// The header buttons: name and left edge in the strip.
	std::vector<std::pair<std::string, float>> Headers(CVABWindow* window)
	{
		return Locked(window, [window] {
			std::vector<std::pair<std::string, float>> headers;
			BView* strip = window->ButtonView();
			for (int32 i = 0; i < strip->CountChildren(); i++)
				headers.emplace_back(strip->ChildAt(i)->Name(), strip->ChildAt(i)->Frame().left);
			return headers;
		});
	}

	// A record with only a nickname and a web address.
	static std::string WebLine(const char* nickname, const char* address)
	{
		std::vector<std::string> fields(kBookFieldCount);
		fields[kNicknameField] = nickname;
		fields[kWebAddressField] = address;
		return Line(fields);
	}
};

TEST_F(MainWindowTest, HeaderClicksSortAndViewCommandsChooseTheColumns)
{
	CVABWindow* window = OpenBook(Line({"A", "", "", "b"}) + Line({"B", "", "", "a"})
		+ Line({"C", "", "", "b"}) + Line({"D", "", "", "a"}));
	// A header click sorts, equal keys in the document's order, and is no change.
	ClickView(window, "Last Name");
	EXPECT_EQ(RowTexts(window, 0), (std::vector<std::string>{"B", "D", "A", "C"}));
	EXPECT_FALSE(MenuEnabled(window, "Save this Address Book"));
	ClickView(window, "Nickname");
	EXPECT_EQ(RowTexts(window, 0), (std::vector<std::string>{"A", "B", "C", "D"}));

	ASSERT_EQ(Headers(window).size(), 21u);
	ChooseMenu(window, "View", "Name and Phone");
	EXPECT_EQ(Headers(window), (std::vector<std::pair<std::string, float>>{{"First Name", 0},
		{"Last Name", 80}, {"Phone Number", 160}, {"Cell Number", 240}, {"FAX Number", 320}}));
	EXPECT_EQ(Locked(window, [window] { return window->Columns().Count(); }), 5);

	// A field item toggles its column; twice restores it.
	ChooseMenu(window, "View", "Nickname");
	EXPECT_EQ(Headers(window).front(), (std::pair<std::string, float>{"Nickname", 0}));
	ChooseMenu(window, "View", "Nickname");
	EXPECT_EQ(Headers(window).size(), 5u);

	// Field numbers from messages are checked.
	BMessage badSort('stmu');
	badSort.AddInt32("FieldIndex", 21);
	window->PostMessage(&badSort);
	BMessage badToggle('vmnu');
	badToggle.AddInt32("index", -1);
	window->PostMessage(&badToggle);
	window->PostMessage('vmnu');
	Settle();
	EXPECT_EQ(Headers(window).size(), 5u);

	// Every column can be scrolled to, and the header strip follows sideways only.
	ChooseMenu(window, "View", "All");
	const auto [maxScroll, listWidth] = Locked(window, [window] {
		float min = 0, max = 0;
		window->ListView()->ScrollBar(B_HORIZONTAL)->GetRange(&min, &max);
		return std::make_pair(max, window->ListView()->Bounds().Width() + 1);
	});
	EXPECT_EQ(maxScroll, 2 + 80 * 21 - listWidth);
	Locked(window, [window] { window->ListView()->ScrollTo(BPoint(80, 0)); });
	Settle();
	EXPECT_EQ(Locked(window, [window] { return window->ButtonView()->Bounds().left; }), 80);
}

TEST_F(MainWindowTest, SelectionRulesTheRecordItemsCopiesReachTheClipboardCheckedPagesOpen)
{
	const std::string kept = WebLine("bob", "ab") + WebLine("a", "www.example.org/x")
		+ WebLine("b", "javascript:alert(1)") + WebLine("c", "-oProxyCommand=x");
	CVABWindow* window = OpenBook(Line({"ann", "Ann", "", "Lee", "", "", "1 Main St", "", "Town",
		"ST", "12345", "", "", "", "", "ann@example.org", "", "abc"}) + kept);
	EXPECT_FALSE(MenuEnabled(window, "Copy this Record to the Clipboard"));

	ClickRow(window, 0);
	EXPECT_TRUE(MenuEnabled(window, "Modify the Selected Record"));
	EXPECT_TRUE(MenuEnabled(window, "Open this Record's Web Page")) << "three characters";
	EXPECT_TRUE(MenuEnabled(window, "Send E-mail"));
	ChooseMenu(window, "Action", "Copy this Record to the Clipboard");
	EXPECT_EQ(ClipboardText(),
		"ann\tAnn\t\tLee\t\t\t1 Main St\t\tTown\tST\t12345\t\t\t\t\tann@example.org\t\tabc\t\t\t\t");
	ChooseMenu(window, "Action", "Copy this Address to the Clipboard");
	EXPECT_EQ(ClipboardText(), "Ann  Lee \n \n \n1 Main St \n \nTown ST 12345 ");

	// Web pages open only for checked addresses.
	for (int32 row : {3, 4}) {
		ClickRow(window, row);
		ChooseMenu(window, "Action", "Open this Record's Web Page");
	}
	ClickRow(window, 2);
	ChooseMenu(window, "Action", "Open this Record's Web Page");
	EXPECT_EQ(WaitForLaunch(), "http://www.example.org/x\n");
	WriteFile(Path("launched"), "");
	ChooseMenu(window, "Info", "Visit Tarvish Software's Web Page");
	EXPECT_EQ(WaitForLaunch(), "https://www.tarvish.example/\n");
	WriteFile(Path("launched"), "");

	ClickRow(window, 1);
	EXPECT_FALSE(MenuEnabled(window, "Open this Record's Web Page")) << "two characters";
	EXPECT_FALSE(MenuEnabled(window, "Send E-mail"));

	// Deselecting the only selected row leaves nothing to act on.
	ClickRow(window, 1, B_COMMAND_KEY);
	for (const char* item : {"Modify the Selected Record", "Delete the Selected Record",
			 "Copy this Record to the Clipboard", "Copy this Address to the Clipboard",
			 "Open this Record's Web Page", "Send E-mail"})
		EXPECT_FALSE(MenuEnabled(window, item)) << item;
	PutClipboard("kept");
	const uint32 commits = be_clipboard->SystemCount();
	window->PostMessage('aclp');
	window->PostMessage('acfc');
	window->PostMessage('acwb');
	Settle();
	EXPECT_EQ(ClipboardText(), "kept");
	EXPECT_EQ(be_clipboard->SystemCount(), commits) << "nothing committed";
	EXPECT_EQ(Launched(), "");
	// A message holds no empty data: an empty text empties the clipboard.
	EXPECT_FALSE(PutClipboardText(nullptr));
	ASSERT_TRUE(PutClipboardText(""));
	EXPECT_EQ(ClipboardText(), "<empty>");

	// Select All selects every row; Delete then takes the first and marks the book.
	ChooseMenu(window, "Edit", "Select All");
	EXPECT_EQ(Locked(window, [window] { return window->ListView()->CurrentSelection(1); }), 1);
	ChooseMenu(window, "Records", "Delete the Selected Record");
	EXPECT_EQ(RowTexts(window, 0), (std::vector<std::string>{"bob", "a", "b", "c"}));
	EXPECT_TRUE(MenuEnabled(window, "Save this Address Book"));
	EXPECT_FALSE(MenuEnabled(window, "Delete the Selected Record"));
	Key("s", B_COMMAND_KEY);
	EXPECT_EQ(ReadFile(Path("book.cvab")), kept);
}

// The record list draws a name in any script with its glyphs, and every text
// starts where its column says, whatever its direction.
TEST_F(MainWindowTest, NamesInEveryScriptAreDrawnFromTheirColumnsLeftEdge)
{
	DrawnTexts drawn;
	std::string body;
	for (const ScriptSample& sample : kScriptSamples) {
		std::vector<std::string> fields(kBookFieldCount);
		fields[kNicknameField] = "n";
		fields[kFirstNameField] = sample.text;
		body += Line(fields);
	}
	CVABWindow* window = OpenBook(body);
	ASSERT_NE(window, nullptr);
	drawn.ExpectEverySampleDrawn("the record list");
	const float column = drawn.LeftOf("n") + 80;
	for (const ScriptSample& sample : kScriptSamples)
		EXPECT_EQ(drawn.LeftOf(sample.text), column) << sample.name;
}
