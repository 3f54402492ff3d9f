// The journal of unsaved changes as the user meets it: written soon after a
// change, gone once the changes are saved or thrown away; a journal a killed
// program left is offered when its book opens (Recover brings the changes
// back, merged with what another program saved meanwhile; Discard drops
// them), and a new book's at the next start. (A kill of the real program:
// desktop_recovery.)
#include "AppTestSupport.h"

#include "BookJournal.h"
#include "JournalComposer.h"

#include <chrono>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

// Waits up to 3 s for path to be there (or gone).
bool WaitFor(const std::string& path, bool there = true)
{
	for (int tries = 0; tries < 60; tries++) {
		if (std::filesystem::exists(path) == there)
			return true;
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
	return false;
}

writer_process GoneWriter()
{
	writer_process writer = ThisWriter();
	writer.pid = GonePid();
	return writer;
}

}  // namespace

class RecoveryTest : public AppTest {
protected:
	// The journal a killed window would have left of the book at path, as
	// read now and then changed by edit.
	void LeaveJournal(const std::string& path, const std::function<void(CVABook&)>& edit)
	{
		const std::string body = ReadFile(path);
		CVABook book(nullptr);
		ReadBookBody(&book, body.data(), body.size(), book_layout::kAllColumns);
		WriteFile(Path("base"), body);
		journal_base base;
		base.exists = true;
		base.book = path;
		base.digest = Sha256Of(body);
		for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
			base.ids.push_back(r->Id());
		base.fd = open(Path("base").c_str(), O_RDONLY | O_CLOEXEC);
		JournalComposer composer;
		composer.Start(std::move(base));
		edit(book);
		journal_snapshot snapshot;
		snapshot.orderChanged = true;
		const std::string now = BookBodyBytes(&book);
		const std::vector<std::string_view> lines = BodyLines(now.data(), now.size());
		size_t line = 0;
		for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
			snapshot.order.push_back(r->Id());
			snapshot.changed.emplace_back(r->Id(), std::string(lines[line++]));
		}
		composer.Take(std::move(snapshot));
		book_journal journal;
		ASSERT_TRUE(composer.Compose(&journal));
		journal.writer = GoneWriter();
		WriteFile(JournalBeside(path), JournalText(journal));
	}
};

TEST_F(RecoveryTest, AJournalKeepsUnsavedChangesUntilTheyAreSavedOrThrownAway)
{
	const std::string path = Path("book.cvab");
	WriteFile(path, Line({"ann"}) + Line({"bob"}) + Line({"cat"}));
	Launch({path});
	CVABWindow* window = Front();
	Screen::UserResize(window, 600, 300);
	Settle();
	const std::string journal = JournalBeside(path);
	ClickRow(window, 0);
	ChooseMenu(window, "Records", "Delete the Selected Record");
	ASSERT_TRUE(WaitFor(journal)) << "no journal a second after the change";
	struct stat info;
	ASSERT_EQ(stat(journal.c_str(), &info), 0);
	EXPECT_EQ(info.st_mode & 0777, 0600u);
	EXPECT_EQ(ReadFile(path), Line({"ann"}) + Line({"bob"}) + Line({"cat"}));
	Key("s", B_COMMAND_KEY);
	EXPECT_FALSE(std::filesystem::exists(journal)) << "a save removes it";

	// Contacts read from a vCard keep theirs in the state folder: Don't Save
	// drops it.
	const std::string vcf = Path("people.vcf");
	WriteFile(vcf, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Eve;;;\r\nEND:VCARD\r\n"
		"BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roe;Fay;;;\r\nEND:VCARD\r\n");
	OpenRef(vcf);
	CVABWindow* contacts = Front();
	ASSERT_NE(contacts, window);
	Screen::UserResize(contacts, 600, 300);
	Settle();
	ClickRow(contacts, 0);
	ChooseMenu(contacts, "Records", "Delete the Selected Record");
	const std::string contactsJournal = ImportJournalPath(vcf);
	ASSERT_TRUE(WaitFor(contactsJournal));
	contacts->PostMessage(B_QUIT_REQUESTED);
	Settle();
	ASSERT_NE(AlertText().find("not written over"), std::string::npos) << AlertText();
	AnswerAlert(0);  // Don't Save
	EXPECT_FALSE(std::filesystem::exists(contactsJournal));

	// A save that fails at closing, closed without saving: what the user
	// threw away never comes back.
	ClickRow(window, 0);
	ChooseMenu(window, "Records", "Delete the Selected Record");
	ASSERT_TRUE(WaitFor(journal));
	signal(SIGXFSZ, SIG_IGN);
	rlimit saved;
	getrlimit(RLIMIT_FSIZE, &saved);
	rlimit small = saved;
	small.rlim_cur = 10;
	ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
	window->PostMessage(B_QUIT_REQUESTED);
	Settle();
	ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
	ASSERT_NE(AlertText().find("could not be saved"), std::string::npos) << AlertText();
	AnswerAlert(0);  // Close Without Saving
	EXPECT_TRUE(Ended());
	EXPECT_FALSE(std::filesystem::exists(journal));
	EXPECT_EQ(ReadFile(path), Line({"bob"}) + Line({"cat"}));
}

TEST_F(RecoveryTest, ALeftJournalIsOfferedAndRecoveredOrDiscarded)
{
	const std::string path = Path("book.cvab");
	const std::string body = Line({"ann", "Ann"}) + Line({"bob", "Bob"}) + Line({"cat", "Cat"});
	auto edit = [](CVABook& book) {
		book.RecordAt(1)->SetField(kEmail1Field, "bob@mine");
		book.RemoveRecord(book.RecordAt(2));
		book.AddRecord()->SetField(kNicknameField, "dan");
	};
	WriteFile(path, body);
	LeaveJournal(path, edit);
	Launch({path});
	EXPECT_NE(AlertText().find("had changes that were never saved"), std::string::npos)
		<< AlertText();
	AnswerAlert(0);  // Discard
	EXPECT_FALSE(std::filesystem::exists(JournalBeside(path)));
	EXPECT_EQ(RowTexts(Front(), kNicknameField), (Texts{"ann", "bob", "cat"}));
	ASSERT_TRUE(Quit());

	// Recovered: the window holds the changes, unsaved until saved.
	LeaveJournal(path, edit);
	Launch({path});
	AnswerAlert(1);  // Recover
	EXPECT_EQ(RowTexts(Front(), kNicknameField), (Texts{"ann", "bob", "dan"}));
	EXPECT_EQ(RowTexts(Front(), kEmail1Field), (Texts{"", "bob@mine", ""}));
	EXPECT_TRUE(MenuEnabled(Front(), "Save this Address Book"));
	EXPECT_EQ(ReadFile(path), body);
	Key("s", B_COMMAND_KEY);
	EXPECT_EQ(ReadFile(path), Line({"ann", "Ann"}) + Line({"bob", "Bob", "", "", "", "", "", "",
		"", "", "", "", "", "", "", "bob@mine"}) + Line({"dan"}));
	EXPECT_FALSE(std::filesystem::exists(JournalBeside(path)));
	ASSERT_TRUE(Quit());

	// Another program changed the book since: both sets of changes are kept.
	WriteFile(path, body);
	LeaveJournal(path, edit);
	// A text editor: the line it changed gets a new id, its record is found by
	// the person it names.
	WriteFile(path, Line({"ann", "Ann"}) + Line({"bob", "Bob", "", "", "", "", "", "", "", "", "",
		"", "555"}) + Line({"cat", "Cat"}));
	Launch({path});
	AnswerAlert(1);
	EXPECT_EQ(RowTexts(Front(), kNicknameField), (Texts{"ann", "bob", "dan"}));
	EXPECT_EQ(RowTexts(Front(), kPhoneField), (Texts{"", "555", ""}));
	EXPECT_EQ(RowTexts(Front(), kEmail1Field), (Texts{"", "bob@mine", ""}));
}

TEST_F(RecoveryTest, ANewBookLeftIsOfferedAtTheNextStart)
{
	ASSERT_EQ(MakeJournalFolder(), B_OK);
	book_journal journal;
	journal.writer = GoneWriter();
	journal_item item;
	item.kind = journal_item_kind::kAdded;
	item.id = NewRecordId();
	item.line = Line({"eve", "Eve"}).substr(0, Line({"eve", "Eve"}).size() - 1);
	journal.items = {item};
	const std::string left = NewBookJournalPath();
	WriteFile(left, JournalText(journal));
	Launch();
	ASSERT_EQ(BookWindows().size(), 1u) << "that book alone, no other new one";
	EXPECT_NE(AlertText().find("A new address book held records"), std::string::npos)
		<< AlertText();
	AnswerAlert(1);
	EXPECT_EQ(RowTexts(Front(), kNicknameField), Texts{"eve"});
	EXPECT_EQ(TitleOf(Front()), "Corvane Address Book LITE");
	// Closing asks for a name, as for any new book with records.
	Key("w", B_COMMAND_KEY);
	ASSERT_NE(AlertText().find("Save the new address book"), std::string::npos) << AlertText();
	AnswerAlert(0);
	EXPECT_FALSE(std::filesystem::exists(left));
}
