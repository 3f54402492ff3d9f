// The About and support windows over a book window of the real application:
// their texts, their modality, and the pages their buttons open. (Escape and
// Cancel: EditorTest.)
#include "AppTestSupport.h"

#include "ABListView.h"
#include "CVABAboutWindow.h"
#include "CVABTechWindow.h"
#include "LayoutFunctions.h"
#include "RecordActions.h"

#include <TextView.h>

#include <algorithm>

class InfoWindowTest : public AppTest {
protected:
	// Shows window over a book window and settles.
	BMessenger Open(BWindow* window)
	{
		window->Show();
		Settle();
		return BMessenger(window);
	}

	std::string Text(BWindow* window)
	{
		return Locked(window, [window] {
			return std::string(static_cast<BTextView*>(window->FindView("AboutTextView"))->Text());
		});
	}
};

TEST_F(InfoWindowTest, TheyAreModalShowTheirTextsAndOpenTheirPages)
{
	// A book window with its row in reach.
	CVABWindow* book = OpenBook(Line({"ann"}), BRect(300, 200, 999, 499));
	ASSERT_NE(book, nullptr);
	auto* about = new CVABAboutWindow();
	BMessenger messenger = Open(about);
	EXPECT_EQ(std::string(about->Title()), "About Corvane Address Book LITE");
	EXPECT_EQ(about->Frame(), CenterOnScreen(BRect(120, 120, 400, 325)));
	const std::string text = Text(about);
	EXPECT_EQ(text.substr(0, text.find("LITE.") + 5),
		"Corvane Address Book LITE\nVersion 1.0b14 October 26, 1998\n\n"
		"This is probably an outdated version\nof the Corvane Address Book LITE.");
	EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);

	// A click on the book's row, and on the text, reaches neither.
	ClickRow(book, 0);
	EXPECT_EQ(Locked(book, [book] { return book->ListView()->CurrentSelection(); }), -1);
	EXPECT_TRUE(about->IsActive());
	ClickView(about, "AboutTextView");
	EXPECT_TRUE(Locked(about, [about] { return about->CurrentFocus() == nullptr; }));

	Key("\n");
	EXPECT_EQ(WaitForLaunch(), std::string(kMakerWebAddress) + "\n");
	EXPECT_FALSE(messenger.IsValid());
	ClickRow(book, 0);
	EXPECT_EQ(Locked(book, [book] { return book->ListView()->CurrentSelection(); }), 0);

	WriteFile(Path("launched"), "");
	auto* support = new CVABTechWindow();
	messenger = Open(support);
	EXPECT_EQ(Text(support),
		"There are instructions available on the support \nweb page.\n\n"
		"We cannot provide phone support for the free \nversion.  We will post common "
		"questions and \nanswers on the tech support web page.");
	ClickView(support, "Web_Button");
	EXPECT_EQ(WaitForLaunch(), std::string(kMakerSupportAddress) + "\n");
	EXPECT_FALSE(messenger.IsValid());
}
