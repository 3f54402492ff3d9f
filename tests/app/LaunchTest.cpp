// Start-up as a user meets it: the first launch, the book last opened or a
// damaged record of it, a launch document and its stored frame, a book that
// does not exist yet, and a second start handing its file to the running
// application.
#include "AppTestSupport.h"

#include "BookFile.h"
#include "CVABook.h"
#include "CommandLine.h"
#include "LaunchOptions.h"
#include "PREF.h"

#include <Entry.h>

#include <cmath>
#include <cstdio>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/wait.h>

namespace {

// Runs the real program as a second instance; its exit status (124 when it
// did not end within 30 s).
int RunSecondInstance(const std::vector<std::string>& arguments)
{
	std::string command = "CVAB_BACKEND=headless timeout 30 " CVAB_BINARY;
	for (const std::string& argument : arguments)
		command += " '" + argument + "'";
	const int status = std::system(command.c_str());
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST_F(AppTest, FirstLaunchNamesTheNewBookOrQuitsWhenCancelled)
{
	Launch();
	CVABWindow* window = Front();
	ASSERT_NE(window, nullptr);
	EXPECT_EQ(FrameOf(window), BRect(20, 20, 550, 200));
	EXPECT_EQ(TitleOf(window), "Corvane Address Book LITE");
	ASSERT_NE(SavePanel(), nullptr) << "a new book asks for its name at once";
	EXPECT_FALSE(MenuEnabled(window, "Find..."));
	EXPECT_FALSE(MenuEnabled(window, "Save this Address Book"));

	SaveAs("people.cvab");
	const std::string path = Home() + "/people.cvab";
	struct stat info;
	ASSERT_EQ(stat(path.c_str(), &info), 0) << "naming writes the file";
	EXPECT_EQ(info.st_size, 0);
	EXPECT_EQ(TitleOf(window), "people.cvab");
	EXPECT_TRUE(MenuEnabled(window, "Find..."));
	EXPECT_TRUE(MenuEnabled(window, "Save this Address Book As..."));
	EXPECT_FALSE(MenuEnabled(window, "Save this Address Book"));
	EXPECT_EQ(BookWindows().size(), 1u) << "the panel's cancel after a save keeps the window";
	ASSERT_TRUE(Quit());

	// The book last saved opens at the next start, with no panel.
	Launch();
	ASSERT_NE(Front(), nullptr);
	EXPECT_EQ(TitleOf(Front()), "people.cvab");
	EXPECT_EQ(SavePanel(), nullptr);
	ASSERT_TRUE(Quit());

	// A damaged record of it (a NUL inside the path, as another process might
	// leave it): a new book again, and cancelling its panel quits.
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	ASSERT_EQ(PREFInit("x-vnd.tarvish-cvabdj", &app), B_OK);
	ASSERT_EQ(PREFLoadSet(app, "settings", true, &set), B_OK);
	const std::string value = path + std::string(1, '\0') + "x";
	ASSERT_EQ(PREFSetData(set, "LastFileSaved", value.c_str(), ssize_t(value.size() + 1),
				  B_STRING_TYPE), B_OK);
	ASSERT_EQ(PREFSaveSet(set), B_OK);
	PREFDisposeSet(&set);
	PREFShutdown(app);
	Launch();
	ASSERT_NE(Front(), nullptr);
	EXPECT_EQ(TitleOf(Front()), "Corvane Address Book LITE");
	CancelPanel();
	EXPECT_TRUE(Ended()) << "cancelling the only window's first panel quits";
}

TEST_F(AppTest, ALaunchOpensItsFirstDocumentAndASecondStartHandsOverItsFile)
{
	const std::string first = Path("first.cvab");
	const std::string second = Path("second.cvab");
	WriteFile(first, Line({"ann", "Ann"}) + Line({"bob", "Bob"}));
	WriteFile(second, Line({"cat"}) + Line({"dan"}));
	StoreFrame(first, BRect(100, 120, 599, 419));
	WriteFile(Home() + "/third.cvab", Line({"eve"}));
	Launch({first, second});
	ASSERT_EQ(BookWindows().size(), 1u);
	EXPECT_EQ(FrameOf(Front()), BRect(100, 120, 599, 419));
	EXPECT_EQ(TitleOf(Front()), "first.cvab");
	EXPECT_EQ(RowTexts(Front(), 1), (std::vector<std::string>{"Ann", "Bob"}));

	EXPECT_EQ(RunSecondInstance({second}), 0);
	Settle();
	ASSERT_EQ(BookWindows().size(), 2u) << "the running instance opened it";
	EXPECT_EQ(TitleOf(Front()), "second.cvab");
	EXPECT_EQ(RowTexts(Front(), 0), (std::vector<std::string>{"cat", "dan"}));
	// An open book comes forward instead of opening twice, and a start with no
	// file only brings a window forward.
	EXPECT_EQ(RunSecondInstance({first}), 0);
	EXPECT_EQ(RunSecondInstance({}), 0);
	Settle();
	EXPECT_EQ(BookWindows().size(), 2u);

	// File > Open opens the chosen book in a window of its own.
	ChooseMenu(Front(), "File", "Open an Address Book...");
	BWindow* panel = nullptr;
	for (BWindow* shown : Windows()) {
		if (!shown->IsHidden() && shown->FindView("list") != nullptr)
			panel = shown;
	}
	ASSERT_NE(panel, nullptr);
	Screen::Click(ListRowPoint(panel, "list", "third.cvab"));
	Settle();
	ClickView(panel, "default");
	ASSERT_EQ(BookWindows().size(), 3u);
	EXPECT_EQ(RowTexts(Front(), 0), std::vector<std::string>{"eve"});
	ASSERT_TRUE(Quit());
	EXPECT_EQ(ReadFile(first), Line({"ann", "Ann"}) + Line({"bob", "Bob"}))
		<< "opening and closing writes nothing";
}

// Without a usable frame a book opens centred, showing its rows, and is no
// change for that; a book that does not exist yet opens empty, and its first
// save creates it.
TEST_F(AppTest, ABookWithoutAFrameOpensCentredAndOneNotThereYetIsCreatedBySaving)
{
	const std::string path = Path("book.cvab");
	WriteFile(path, Line({"ann"}));
	const float huge = 1e9f;
	// (Each kind of unusable frame: the frame test of the book's body.)
	for (const BRect frame : {BRect(NAN, 0, 500, 300), BRect(0, 0, huge, huge)}) {
		StoreFrame(path, frame);
		Launch({path});
		ASSERT_NE(Front(), nullptr);
		EXPECT_EQ(FrameOf(Front()), BRect(112, 184, 911, 583)) << frame.left << " " << frame.right;
		EXPECT_FALSE(MenuEnabled(Front(), "Save this Address Book"));
		ASSERT_TRUE(Quit());
	}

	const std::string newPath = Path("new.cvab");
	Launch({newPath});
	ASSERT_NE(Front(), nullptr);
	EXPECT_EQ(TitleOf(Front()), "new.cvab");
	EXPECT_EQ(SavePanel(), nullptr);
	EXPECT_TRUE(RowTexts(Front(), 0).empty());
	Screen::UserMove(Front(), BPoint(200, 150));
	Settle();
	EXPECT_TRUE(MenuEnabled(Front(), "Save this Address Book")) << "a user's move is a change";
	ASSERT_TRUE(Quit());
	book_frame saved;
	const entry_ref ref = RefFor(newPath);
	ASSERT_EQ(ReadBookFrame(&ref, &saved), B_OK) << "closing saved the moved book";
	EXPECT_EQ(saved.left, 200);
	EXPECT_EQ(saved.top, 150);
}

// What is no book (a device, a FIFO, a folder, a file over the limit) is
// refused with an alert of its own before a byte of it is read: the second
// start only hands its path over, the running program's thread never waits
// on it, and another window's unsaved record stays and is saved at the end.
// A FIFO in place of the ids beside a book is passed over as well.
TEST_F(AppTest, WhatIsNoBookIsRefusedAloneAndTakesNoOtherWindowsRecords)
{
	const std::string path = Path("book.cvab");
	WriteFile(path, Line({"ann"}));
	Launch({path});
	CVABWindow* window = Front();
	ASSERT_NE(window, nullptr);
	Locked(window, [window] {
		window->Book()->AddRecord()->SetField(kNicknameField, "bob");
		window->NoteRecordsChanged();
		window->ReloadList();
	});

	ASSERT_EQ(mkfifo(Path("fifo.cvab").c_str(), 0600), 0);
	ASSERT_EQ(mkdir(Path("folder.cvab").c_str(), 0700), 0);
	WriteFile(Path("huge.cvab"), "");
	ASSERT_EQ(truncate(Path("huge.cvab").c_str(), off_t(2) << 30), 0);  // sparse
	const std::pair<std::string, std::string> cases[] = {
		{"/dev/zero", "\"zero\" could not be opened as an address book: it is a device, not a file."},
		{Path("fifo.cvab"), "\"fifo.cvab\" could not be opened as an address book: it is a pipe "
			"(FIFO), not a file."},
		{Path("huge.cvab"), "\"huge.cvab\" could not be opened as an address book: it is 2.0\u00a0GiB, "
			"more than the 512.0\u00a0MiB an address book may have."},
		{Path("folder.cvab"), "\"folder.cvab\" could not be opened as an address book: it is a "
			"folder."},
	};
	for (const auto& [file, text] : cases) {
		SCOPED_TRACE(file);
		EXPECT_EQ(RunSecondInstance({file}), 0) << "handed over at once";
		Settle();
		EXPECT_EQ(AlertText(), "The file " + text);
		AnswerAlert(0);
		EXPECT_TRUE(RowTexts(Front(), 0).empty());
	}

	const std::string side = Path("side.cvab");
	WriteFile(side, Line({"cat"}));
	const entry_ref sideRef = RefFor(side);
	CVABook book(nullptr);
	ASSERT_EQ(LoadBookFile(&sideRef, &book, nullptr), B_OK);
	ASSERT_EQ(SaveBookFile(&sideRef, &book, book_frame{10, 30, 709, 329}, nullptr), B_OK);
	ASSERT_EQ(unlink(Path(".side.cvab.cvabids").c_str()), 0);
	ASSERT_EQ(mkfifo(Path(".side.cvab.cvabids").c_str(), 0600), 0);
	EXPECT_EQ(RunSecondInstance({side}), 0);
	Settle();
	EXPECT_EQ(Alert(), nullptr);
	EXPECT_EQ(RowTexts(Front(), 0), std::vector<std::string>{"cat"});

	EXPECT_EQ(RowTexts(window, 0), (std::vector<std::string>{"ann", "bob"}));
	ASSERT_TRUE(Quit());
	EXPECT_EQ(ReadFile(path), Line({"ann"}) + Line({"bob"}));
}

// After "--" even a name that looks like an option is a document.
TEST(LaunchOptions, EverythingAfterTheMarkIsADocument)
{
	const char* const argv[] = {"cvab", "a.cvab", "--", "--help", "-"};
	LaunchOptions options;
	EXPECT_EQ(ParseLaunchOptions(5, argv, &options), CommandLine::kContinue);
	EXPECT_EQ(options.documents, (std::vector<std::string>{"a.cvab", "--help", "-"}));
}
