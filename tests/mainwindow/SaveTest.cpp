// Saving as the user meets it: only the frame when only the window moved, the
// whole book otherwise, never silently over a book read with losses, and a
// failed save reported with the window kept open. (A book that failed to load:
// the editor tests; a modified book saved when the program is told to end:
// ExternalChangeTest.)
#include "AppTestSupport.h"

#include "BookFile.h"

#include <Entry.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/xattr.h>

namespace {

bool HasAttribute(const std::string& path, const char* name)
{
	return getxattr(path.c_str(), name, nullptr, 0) >= 0;
}

}  // namespace

class SaveTest : public AppTest {
protected:
	// Launches on path and deletes a row, in a window tall enough to show it.
	CVABWindow* DeleteRow(const std::string& path, int32 row)
	{
		Launch({path});
		CVABWindow* window = Front();
		Screen::UserResize(window, 600, 300);
		Settle();
		ClickRow(window, row);
		ChooseMenu(window, "Records", "Delete the Selected Record");
		return window;
	}
};

TEST_F(SaveTest, AMovedWindowSavesOnlyItsFrame)
{
	// A plain TAB-separated file from elsewhere: no type, no frame. (That only
	// looking at it changes nothing: the desktop session, under a window manager.)
	const std::string path = Path("plain.txt");
	const std::string body = "a\tb\tc\n";
	WriteFile(path, body);
	Launch({path});
	Screen::UserMove(Front(), BPoint(150, 160));
	Settle();
	Key("s", B_COMMAND_KEY);
	EXPECT_FALSE(MenuEnabled(Front(), "Save this Address Book"));
	EXPECT_EQ(ReadFile(path), body) << "the body is kept byte for byte";
	EXPECT_FALSE(HasAttribute(path, "user.BEOS:TYPE"));
	ASSERT_TRUE(Quit());

	Launch({path});
	CVABWindow* window = Front();
	EXPECT_EQ(Locked(window, [window] { return window->Frame().LeftTop(); }), BPoint(150, 160))
		<< "reopened where it was moved";
}

TEST_F(SaveTest, AFailedSaveIsReportedKeepsTheOldFileAndTheWindow)
{
	const std::string path = Path("book.cvab");
	std::string body;
	for (int i = 0; i < 20; i++)
		body += Line({"nick" + std::to_string(i), "First", "", "Last", "", "Company", "Street"});
	WriteFile(path, body);
	CVABWindow* window = DeleteRow(path, 0);

	signal(SIGXFSZ, SIG_IGN);
	rlimit saved;
	getrlimit(RLIMIT_FSIZE, &saved);
	rlimit small = saved;
	small.rlim_cur = 100;
	ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
	Key("s", B_COMMAND_KEY);
	EXPECT_EQ(AlertText(), "The address book \"book.cvab\" could not be saved: the file is too large.");
	AnswerAlert(0);
	EXPECT_EQ(ReadFile(path), body) << "the old file is whole";
	EXPECT_TRUE(MenuEnabled(window, "Save this Address Book"));

	// Closing tries again, fails again and stays open until the user says so.
	Key("w", B_COMMAND_KEY);
	ASSERT_NE(Alert(), nullptr);
	Key("\x1b");  // Escape keeps the window, never closes without saving
	EXPECT_EQ(BookWindows().size(), 1u);
	EXPECT_FALSE(Quit()) << "quitting cannot lose the book either";
	while (Alert() != nullptr)
		AnswerAlert(1);
	ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);

	Key("s", B_COMMAND_KEY);
	EXPECT_EQ(Alert(), nullptr);
	EXPECT_EQ(ReadFile(path), body.substr(body.find('\n') + 1));
}

TEST_F(SaveTest, ABookReadWithLossesAsksBeforeItIsShortened)
{
	const std::string path = Path("long.cvab");
	const std::string longName(45, 'x');
	const std::string body = Line({"ann", longName}) + Line({"bob"}) + Line({"cat"});
	WriteFile(path, body);
	DeleteRow(path, 2);
	Key("s", B_COMMAND_KEY);
	EXPECT_NE(AlertText().find("longer than 40 bytes"), std::string::npos) << AlertText();
	Key("\x1b");  // Escape cancels, never replaces
	EXPECT_EQ(Alert(), nullptr);
	EXPECT_EQ(ReadFile(path), body);

	Key("s", B_COMMAND_KEY);
	AnswerAlert(0);  // Replace
	EXPECT_EQ(ReadFile(path), Line({"ann", longName.substr(0, 40)}) + Line({"bob"}));
}
