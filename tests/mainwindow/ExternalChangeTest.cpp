// A book another program changes while it is open: shown at once when nothing
// is unsaved here, merged into the window's save otherwise (a close, a signal),
// and, saving over and over against a program doing the same, nothing lost.
// The other program is book_rewriter, which keeps the records' ids as every
// cvab program does; once a plain overwrite knows nothing of them.
#include "AppTestSupport.h"

#include "ABListItem.h"
#include "ABListView.h"
#include "BookFile.h"
#include "CVABModifyWindow.h"
#include "CVABook.h"
#include "CommandCodes.h"
#include "ConflictLog.h"

#include <Entry.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <map>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

namespace {

// The lines of a book's body as field lists, by nickname.
std::map<std::string, std::vector<std::string>> RecordsOf(const std::string& body)
{
	std::map<std::string, std::vector<std::string>> records;
	std::istringstream lines(body);
	for (std::string line; std::getline(lines, line);) {
		std::vector<std::string> fields;
		std::istringstream columns(line);
		for (std::string field; std::getline(columns, field, '\t');)
			fields.push_back(field);
		fields.resize(kBookFieldCount);
		EXPECT_EQ(records.count(fields[0]), 0u) << "twice: " << fields[0];
		records[fields[0]] = fields;
	}
	return records;
}

pid_t StartRewriter(const std::vector<std::string>& arguments)
{
	std::vector<char*> argv{const_cast<char*>(BOOK_REWRITER)};
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(nullptr);
	pid_t pid = -1;
	EXPECT_EQ(posix_spawn(&pid, BOOK_REWRITER, nullptr, nullptr, argv.data(), environ), 0);
	return pid;
}

bool ExitedWell(int status)
{
	return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> Nicks(int count)
{
	std::vector<std::string> nicks;
	for (int i = 0; i < count; i++)
		nicks.push_back("r" + std::to_string(i));
	return nicks;
}

}  // namespace

class ExternalChangeTest : public AppTest {
protected:
	// Writes the book named name with one record per nickname, its ids given
	// by a first rewrite; its path.
	std::string WriteBook(const std::string& name, const std::vector<std::string>& nicks)
	{
		std::string body;
		for (const std::string& nick : nicks)
			body += Line({nick});
		const std::string path = Path(name);
		WriteFile(path, body);
		StoreFrame(path, BRect(10, 30, 709, 329));
		Rewrite(path, {"set", nicks[0], "0", nicks[0]});
		return path;
	}
	void Rewrite(const std::string& path, std::vector<std::string> edits)
	{
		edits.insert(edits.begin(), path);
		int status = 0;
		EXPECT_TRUE(waitpid(StartRewriter(edits), &status, 0) > 0 && ExitedWell(status));
	}
	static std::string WithEmail(const std::string& nick, const std::string& email)
	{
		std::vector<std::string> fields(kBookFieldCount);
		fields[kNicknameField] = nick;
		fields[kEmail1Field] = email;
		return Line(fields);
	}
	// Waits up to 3 s (past the watcher's settle time) for condition.
	bool WaitFor(const std::function<bool()>& condition)
	{
		for (int i = 0; i < 300 && !condition(); i++)
			std::this_thread::sleep_for(std::chrono::milliseconds(10));
		Settle();
		return condition();
	}
	static void SetField(CVABWindow* window, const std::string& nick, int32 field,
		const std::string& text, std::string* old = nullptr)
	{
		Locked(window, [=] {
			for (ABookRecord* record = window->Book()->FirstRecord(); record != nullptr;
				 record = record->Next()) {
				if (nick != record->Field(kNicknameField))
					continue;
				if (old != nullptr)
					*old = record->Field(field);
				record->SetField(field, text.c_str());
			}
			window->NoteRecordsChanged();
		});
	}
};

TEST_F(ExternalChangeTest, AnUnchangedWindowShowsTheFileAsTheOtherProgramLeftIt)
{
	const std::vector<std::string> nicks = Nicks(40);
	const std::string path = WriteBook("book.cvab", nicks);
	Launch({path});
	CVABWindow* window = Front();
	ABListView* list = window->ListView();
	Locked(window, [list] {
		list->Select(20);
		list->ScrollTo(BPoint(0, 150));
	});
	window->PostMessage(kModifyRecordCommand);
	Settle();
	CVABModifyWindow* editor = Find<CVABModifyWindow>();
	ASSERT_NE(editor, nullptr);

	Rewrite(path, {"set", "r20", "3", "Changed", "set", "r5", "15", "five@there", "del", "r1",
		"add", "new"});
	ASSERT_TRUE(WaitFor([&] { return RowTexts(window, kNicknameField).back() == "new"; }));
	std::vector<std::string> expected = nicks;
	expected.erase(expected.begin() + 1);
	expected.push_back("new");
	EXPECT_EQ(RowTexts(window, kNicknameField), expected);
	EXPECT_EQ(RowTexts(window, kEmail1Field)[4], "five@there");
	EXPECT_EQ(Locked(window, [list] {
		return static_cast<ABListItem*>(list->ItemAt(list->CurrentSelection()))->Record()->Field(0);
	}), std::string("r20")) << "the selection follows its record";
	EXPECT_EQ(Locked(window, [list] { return list->Bounds().top; }), 150) << "and the list stays";

	// The open editor changes one field of its record (the nickname, selected
	// as it opens); the other program's change to another field of it stays.
	editor->Activate();
	Type("twenty");
	Key("\n");
	window->PostMessage(kSaveBookCommand);
	Settle();
	EXPECT_EQ(Alert(), nullptr);
	EXPECT_NE(ReadFile(path).find(Line({"twenty", "", "", "Changed"})), std::string::npos);

	// A plain overwrite in place, with no ids, is shown as well.
	WriteFile(path, Line({"solo", "Only"}));
	EXPECT_TRUE(WaitFor([&] { return RowTexts(window, kNicknameField).size() == 1; }));
	EXPECT_EQ(RowTexts(window, kFirstNameField), std::vector<std::string>{"Only"});
	EXPECT_FALSE(MenuEnabled(window, "Save this Address Book"));

	// Deleted: the window keeps its records, now unsaved, and Save writes them anew.
	ASSERT_EQ(unlink(path.c_str()), 0);
	EXPECT_TRUE(WaitFor([&] { return MenuEnabled(window, "Save this Address Book"); }));
	EXPECT_EQ(RowTexts(window, kNicknameField), std::vector<std::string>{"solo"});
	window->PostMessage(kSaveBookCommand);
	Settle();
	EXPECT_EQ(ReadFile(path), Line({"solo", "Only"}));
}

// sed -i drops the book's type with any edit: a line that lost a column is
// read as the one line it is, and the book shown anew is not shifted.
TEST_F(ExternalChangeTest, ABookThatLostItsTypeIsShownUnshifted)
{
	const std::string path = WriteBook("book.cvab", {"ann", "bob", "cat"});
	Launch({path});
	CVABWindow* window = Front();
	std::string body = Line({"ann", "Ann"}) + Line({"bob", "Bob"}) + Line({"cat", "Cat"});
	body.erase(body.rfind('\t'), 1);
	WriteFile(Path("edited"), body);
	ASSERT_EQ(rename(Path("edited").c_str(), path.c_str()), 0);
	ASSERT_TRUE(WaitFor([&] { return RowTexts(window, kFirstNameField)[0] == "Ann"; }));
	EXPECT_EQ(RowTexts(window, kNicknameField), (std::vector<std::string>{"ann", "bob", "cat"}));
	EXPECT_EQ(RowTexts(window, kFirstNameField), (std::vector<std::string>{"Ann", "Bob", "Cat"}));
}

// A close, a quit and a SIGTERM save the same merge; only the first two have
// someone to tell, and the quit, which must also close another book, goes on
// once that alert is closed.
TEST_F(ExternalChangeTest, UnsavedChangesAreMergedWithTheOtherProgramsWhenTheWindowCloses)
{
	for (const std::string way : {"close", "quit", "signal"}) {
		SCOPED_TRACE(way);
		const std::string name = way + ".cvab";
		const std::string path = WriteBook(name, {"ann", "bob", "cat", "dan", "fay"});
		Launch({path});
		CVABWindow* window = Front();
		ClickRow(window, 3);
		ChooseMenu(window, "Records", "Delete the Selected Record");
		SetField(window, "ann", kEmail1Field, "ann@here");
		SetField(window, "bob", kFirstNameField, "Bobby");
		if (way == "quit") {
			WriteFile(Path("other.cvab"), Line({"zed"}));
			OpenRef(Path("other.cvab"));
		}

		Rewrite(path, {"add", "eve", "set", "cat", "15", "cat@there", "del", "fay", "set", "bob",
			"1", "Robert"});
		std::this_thread::sleep_for(std::chrono::milliseconds(500));
		Settle();
		EXPECT_EQ(RowTexts(window, kNicknameField),
			(std::vector<std::string>{"ann", "bob", "cat", "fay"})) << "unsaved: not read anew";

		if (way == "signal") {
			kill(getpid(), SIGTERM);
		} else {
			if (way == "close")
				Key("w", B_COMMAND_KEY);
			else
				be_app->PostMessage(B_QUIT_REQUESTED);
			Settle();
			EXPECT_EQ(AlertText(), "The address book \"" + name + "\" was changed by another "
				"program. Both sets of changes were kept; 1 field changed on both sides kept "
				"this window's value (see conflicts.log).");
			EXPECT_EQ(RowTexts(window, kNicknameField),
				(std::vector<std::string>{"ann", "bob", "cat", "eve"})) << "the merge is shown";
			Key("\x1b");
		}
		ASSERT_TRUE(Ended());
		EXPECT_EQ(ReadFile(path), WithEmail("ann", "ann@here") + Line({"bob", "Bobby"})
			+ WithEmail("cat", "cat@there") + Line({"eve"}));
		const std::string log = ReadFile(ConflictLogPath());
		EXPECT_NE(log.find(name + "\""), std::string::npos) << log;
		EXPECT_NE(log.rfind("mine \"Bobby\", theirs \"Robert\"; kept mine"), std::string::npos)
			<< log;
	}
}

// Another program wrote a NUL into one record and was cut off inside another,
// in place, while the window held a change: the save keeps every record the
// damaged version lacks, says how many and why, and logs each.
TEST_F(ExternalChangeTest, ASaveNeverDeletesWhatADamagedVersionLacks)
{
	const std::vector<std::string> nicks = Nicks(10);
	const std::string path = WriteBook("book.cvab", nicks);
	Launch({path});
	CVABWindow* window = Front();
	SetField(window, "r0", kEmail1Field, "mine@x");
	std::string body = ReadFile(path);
	body[body.find("r2\t") + 1] = '\0';
	body.resize(body.find("r7\t") + 3);
	WriteFile(path, body);
	std::this_thread::sleep_for(std::chrono::milliseconds(500));
	Settle();

	window->PostMessage(kSaveBookCommand);
	Settle();
	EXPECT_EQ(AlertText(), "The address book \"book.cvab\" was changed by another program. Both "
		"sets of changes were kept. The other program's version could not be read whole (1 line "
		"with a NUL byte and a last line without its line feed), so 4 records missing from it "
		"were kept rather than deleted (see conflicts.log).");
	AnswerAlert(0);
	EXPECT_EQ(RowTexts(window, kNicknameField), nicks);
	std::string expected = WithEmail("r0", "mine@x");
	for (size_t i = 1; i < nicks.size(); i++)
		expected += Line({nicks[i]});
	EXPECT_EQ(ReadFile(path), expected);
	const std::string log = ReadFile(ConflictLogPath());
	size_t logged = 0;
	for (size_t at = 0; (at = log.find("missing in theirs", at)) != std::string::npos; at++)
		logged++;
	EXPECT_EQ(logged, 4u) << log;
}

// The window edits and saves while another program rewrites the book 200
// times through the merging save: every value either side wrote is in the
// file, or was replaced by a side that had read it, or is in the conflict log.
TEST_F(ExternalChangeTest, SavingOverAndOverAgainstAnotherProgramLosesNothing)
{
	constexpr int kRecords = 12;
	constexpr int kRewrites = 200;
	const std::vector<std::string> nicks = Nicks(kRecords);
	const std::string path = WriteBook("book.cvab", nicks);
	Launch({path});
	CVABWindow* window = Front();
	const pid_t other = StartRewriter({path, "--stress", std::to_string(kRewrites),
		std::to_string(kRecords), Path("journal")});

	std::set<std::string> written;
	std::set<std::string> seen;
	std::map<std::string, std::string> phones;
	std::vector<std::string> added;
	const auto start = std::chrono::steady_clock::now();
	int otherStatus = 0;
	for (int j = 0; waitpid(other, &otherStatus, WNOHANG) == 0; j++) {
		ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(25));
		// Three rounds of changes, saved at the third; then seven rounds clean,
		// when it may read the file anew.
		if (j % 10 < 3) {
			const std::string own = nicks[j % kRecords];
			SetField(window, own, kPhoneField, phones[own] = "w" + std::to_string(j));
			if (j % 2 == 0) {
				std::string old;
				const std::string token = "W" + std::to_string(j);
				SetField(window, nicks[5 * j % kRecords], kEmail1Field, token, &old);
				written.insert(token);
				seen.insert(old);
			}
			if (j % 30 == 0) {
				added.push_back("wadd" + std::to_string(j));
				Locked(window, [&] {
					window->Book()->AddRecord()->SetField(kNicknameField, added.back().c_str());
				});
			}
		}
		if (j % 10 == 2)
			window->PostMessage(kSaveBookCommand);
		Settle();
		while (Alert() != nullptr)
			AnswerAlert(0);
		std::this_thread::sleep_for(std::chrono::milliseconds(40));
	}
	ASSERT_TRUE(ExitedWell(otherStatus)) << "the other program failed";
	window->PostMessage(kSaveBookCommand);
	Settle();
	while (Alert() != nullptr)
		AnswerAlert(0);
	ASSERT_TRUE(Quit());

	const auto records = RecordsOf(ReadFile(path));
	const std::string log = ReadFile(ConflictLogPath());
	std::istringstream journal(ReadFile(Path("journal")));
	for (std::string word, token; journal >> word >> token;)
		seen.insert(token);
	for (int k = 0; k < kRewrites; k++) {
		if (k % 3 == 0)
			written.insert("H" + std::to_string(k));
		if (k % 25 == 0)
			added.push_back("hadd" + std::to_string(k));
	}
	EXPECT_EQ(records.size(), kRecords + added.size());
	for (const std::string& nick : added)
		EXPECT_EQ(records.count(nick), 1u) << nick;
	std::set<std::string> emails;
	for (int i = 0; i < kRecords; i++) {
		const std::vector<std::string>& fields = records.at(nicks[i]);
		const int lastRewrite = kRewrites - 1 - (kRewrites - 1 - i) % kRecords;
		EXPECT_EQ(fields[kCompanyField], "h" + std::to_string(lastRewrite)) << nicks[i];
		EXPECT_EQ(fields[kPhoneField], phones[nicks[i]]) << nicks[i];
		emails.insert(fields[kEmail1Field]);
	}
	for (const std::string& token : written) {
		EXPECT_TRUE(emails.count(token) > 0 || seen.count(token) > 0
			|| log.find("\"" + token + "\"") != std::string::npos) << token << " was lost";
	}
}
