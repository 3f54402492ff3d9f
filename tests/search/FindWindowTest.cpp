// The Find window driven as a user drives it, on a book window of the real
// application: typing, Enter (the default button), the buttons, Command-G and
// the Tab stops, two Find windows on one book; a record deleted under a
// search; its book window closed under it.
#include "AppTestSupport.h"

#include "ABListView.h"
#include "BookFile.h"
#include "BookMenus.h"
#include "CVABFindWindow.h"
#include "CVABook.h"

#include <Button.h>
#include <TextView.h>
#include <Entry.h>

#include <string>

namespace {

const char kFindNext[] = "Find Next";

}  // namespace

class FindWindowTest : public AppTest {
protected:
	// A Find window on window, shown and active: its search field has the keys.
	CVABFindWindow* OpenFind(CVABWindow* window)
	{
		window->Lock();
		auto* find = new CVABFindWindow(BMessenger(window));
		window->Unlock();
		find->Show();
		Settle();
		return find;
	}

	// Brings the window forward, as a click on its title would.
	void Raise(BWindow* window)
	{
		Locked(window, [window] { window->Activate(); });
		Settle();
	}

	void Search(const char* text)
	{
		Type(text);
		Key("\n");
	}

	std::vector<int32> Selected(CVABWindow* window)
	{
		return Locked(window, [window] {
			std::vector<int32> rows;
			for (int32 i = 0, row; (row = window->ListView()->CurrentSelection(i)) >= 0; i++)
				rows.push_back(row);
			return rows;
		});
	}

	bool SearchAgainEnabled(CVABFindWindow* find)
	{
		return Locked(find, [find] {
			return static_cast<BButton*>(find->FindView("SearchAgain_Button"))->IsEnabled();
		});
	}

	// Where each of count Tabs puts the focus.
	std::vector<std::string> TabStops(BWindow* window, int count)
	{
		std::vector<std::string> stops;
		for (int i = 0; i < count; i++) {
			Key("\t");
			stops.push_back(FocusName(window));
		}
		return stops;
	}
};

using Rows = std::vector<int32>;

TEST_F(FindWindowTest, SearchFoldsCaseGoesFieldByFieldAndRunsOffTheEnd)
{
	// Row 1 matches in its nickname and its last name; row 3 inside a word; row
	// 2's é is the small letter of É, not of È.
	const std::string forty(40, 'a');
	CVABWindow* window = OpenBook(Line({"ann", "Ann", "", "Ray"}) + Line({"leeb", "", "", "Lee"})
		+ Line({"\xc3\xa9lee", "", "", "Cy"}) + Line({"dee", "", "", "Fleet"}) + Line({"y", forty}));
	// A Find Next left on by an older Find window: Search Again here has nothing
	// to continue and turns it off.
	Locked(window, [window] { window->Menus()->SetFindNextEnabled(true); });
	ChooseMenu(window, "Search", "Find...");
	CVABFindWindow* find = Find<CVABFindWindow>();
	ASSERT_NE(find, nullptr) << "Find... opens the window";
	EXPECT_EQ(FocusName(find), "");
	// Tab goes round the field and the enabled buttons.
	EXPECT_EQ(TabStops(find, 3), (std::vector<std::string>{"Search_Button", "Cancel_Button", ""}));
	Key("g", B_COMMAND_KEY);
	EXPECT_FALSE(MenuEnabled(window, kFindNext));

	Search("\xc3\x88LEE");
	EXPECT_EQ(Selected(window), Rows{});
	EXPECT_FALSE(SearchAgainEnabled(find));
	Key("a", B_COMMAND_KEY);
	Search("\xc3\x89LEE");
	EXPECT_EQ(Selected(window), Rows{2});
	Key("a", B_COMMAND_KEY);
	Search("LEE");
	EXPECT_EQ(Selected(window), Rows{1});
	EXPECT_TRUE(SearchAgainEnabled(find));
	EXPECT_TRUE(MenuEnabled(window, kFindNext));
	EXPECT_EQ(TabStops(find, 4),
		(std::vector<std::string>{"Search_Button", "SearchAgain_Button", "Cancel_Button", ""}));

	// The same record again for its second field, then the next record.
	Key("g", B_COMMAND_KEY);
	EXPECT_EQ(Selected(window), Rows{1});
	ClickView(find, "SearchAgain_Button");
	EXPECT_EQ(Selected(window), Rows{2});
	// Find Next in the book window goes on through its Find window.
	Raise(window);
	Key("g", B_COMMAND_KEY);
	EXPECT_EQ(Selected(window), Rows{3});

	// Off the end: the selection stays, both continue commands go off.
	Key("g", B_COMMAND_KEY);
	EXPECT_EQ(Selected(window), Rows{3});
	EXPECT_FALSE(SearchAgainEnabled(find));
	EXPECT_FALSE(MenuEnabled(window, kFindNext));

	// Search starts over from the first record.
	Raise(find);
	ClickView(find, "Search_Button");
	EXPECT_EQ(Selected(window), Rows{1});

	// A second Find window selects what it finds, and the first goes on from its
	// own match; the field takes a 41st byte, but only the first 40 are searched.
	CVABFindWindow* newer = OpenFind(window);
	Search((forty + "bc").c_str());
	EXPECT_EQ(Selected(window), Rows{4});
	EXPECT_EQ(Locked(newer, [newer] {
		return std::string(static_cast<BTextView*>(newer->CurrentFocus())->Text());
	}), forty + "b");
	Raise(find);
	ClickView(find, "SearchAgain_Button");
	EXPECT_EQ(Selected(window), Rows{1});
}

// The current record deleted, and a new record taking its memory: Search Again
// goes on from the record that followed it, then to the new one; then its book
// window closes under it.
TEST_F(FindWindowTest, SearchAgainGoesOnAfterTheCurrentRecordWasDeletedOrItsWindowClosed)
{
	CVABWindow* window = OpenBook(Line({"x1"}) + Line({"x2"}) + Line({"y"}));
	CVABFindWindow* find = OpenFind(window);
	Search("x");
	ASSERT_EQ(Selected(window), Rows{0});
	ChooseMenu(window, "Records", "Delete the Selected Record");
	Locked(window, [window] {
		window->Book()->AddRecord()->SetField(kNicknameField, "x3");
		window->ReloadList();
	});
	ASSERT_EQ(RowTexts(window, kNicknameField), (std::vector<std::string>{"x2", "y", "x3"}));
	Raise(find);
	ClickView(find, "SearchAgain_Button");
	EXPECT_EQ(Selected(window), Rows{0});
	ClickView(find, "SearchAgain_Button");
	EXPECT_EQ(Selected(window), Rows{2});
	ClickView(find, "SearchAgain_Button");
	EXPECT_FALSE(SearchAgainEnabled(find));

	// Everything after it deleted too: the search ends cleanly.
	Key("\n");
	ASSERT_EQ(Selected(window), Rows{0});
	Locked(window, [window] {
		window->Book()->MakeEmpty();
		window->ReloadList();
	});
	Key("g", B_COMMAND_KEY);
	EXPECT_FALSE(SearchAgainEnabled(find));
	EXPECT_FALSE(MenuEnabled(window, kFindNext));

	// A book window of its own (no application list), closed under its Find
	// window: Search then does nothing and Cancel closes.
	WriteFile(Path("other.cvab"), Line({"x"}));
	const entry_ref ref = RefFor(Path("other.cvab"));
	BMessage refs(B_REFS_RECEIVED);
	refs.AddRef("refs", &ref);
	auto* other = new CVABWindow(BRect(300, 300, 700, 500));
	other->ReadBookFile(&refs);
	Settle();
	const BMessenger otherMessenger(other);
	find = OpenFind(other);
	const BMessenger findMessenger(find);
	Search("x");
	ASSERT_EQ(Selected(other), Rows{0});

	otherMessenger.SendMessage(B_QUIT_REQUESTED);
	// Its thread may still be ending when the screen is idle.
	for (int i = 0; i < 200 && otherMessenger.IsValid(); i++)
		snooze(10000);
	Settle();
	ASSERT_FALSE(otherMessenger.IsValid());
	ASSERT_TRUE(findMessenger.IsValid());
	ClickView(find, "Search_Button");
	Key("g", B_COMMAND_KEY);
	EXPECT_TRUE(findMessenger.IsValid());
	ClickView(find, "Cancel_Button");
	EXPECT_FALSE(findMessenger.IsValid());
}
