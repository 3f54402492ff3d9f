// cvab-lookup as a separate process: the look-up through the running address
// book (here the real application object on the headless screen), the text
// going back unchanged with none running, and the mail client's query of the
// book last opened: its statuses, and standard error left silent.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct tool_run {
	int status = -1;
	std::string out;
	std::string err;
};

class LookupToolTest : public AppTest {
protected:
	tool_run Run(const std::string& arguments, const std::string& input,
		const std::string& environment = std::string())
	{
		WriteFile(Path("in"), input);
		const std::string command = environment + " '" CVAB_LOOKUP "' " + arguments + " < '"
			+ Path("in") + "' > '" + Path("out") + "' 2> '" + Path("err") + "'";
		const int result = std::system(command.c_str());
		tool_run run;
		run.status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
		run.out = ReadFile(Path("out"));
		run.err = ReadFile(Path("err"));
		return run;
	}

	void OpenBook()
	{
		std::string body;
		auto add = [&body](const std::string& nick, const std::string& first,
					   const std::string& last, const std::string& email,
					   const std::string& city = "") {
			std::vector<std::string> fields(kBookFieldCount);
			fields[kNicknameField] = nick;
			fields[kFirstNameField] = first;
			fields[kLastNameField] = last;
			fields[kEmail1Field] = email;
			fields[kCityField] = city;
			body += Line(fields);
		};
		add("bobby", "Bobby", "Brown", "bobby@example.org");
		add("alice", "Alice", "Bobson", "alice@example.org", "Springfield");
		add("BOB", "Robert", "Smith", "bob@example.org");
		add("carol", "Carol", "King", "carol@bob.example.org");
		add("dave", "Dave", "Jones", "");
		WriteFile(Path("book.cvab"), body);
		Launch({Path("book.cvab")});
	}
};

TEST_F(LookupToolTest, NicknamesAreReplacedByTheRunningAddressBookOrComeBack)
{
	const tool_run alone = Run("", "Dear bob,\nsee you.\n");
	EXPECT_EQ(alone.status, 2);
	EXPECT_EQ(alone.out, "Dear bob,\nsee you.\n");

	OpenBook();
	const tool_run run = Run("", "To: bob, alice\nCc: nobody\n");
	EXPECT_EQ(run.status, 0) << run.err;
	EXPECT_EQ(run.out, "To: bob@example.org, alice@example.org\nCc: nobody\n");
	const tool_run postal = Run("--postal", "alice");
	EXPECT_EQ(postal.status, 0) << postal.err;
	EXPECT_EQ(postal.out, "Alice  Bobson \n \n \n \n \nSpringfield   ");
}

// Standard output holds the answer only, and standard error nothing at all (a
// mail client shows it over its screen), whatever goes wrong.
TEST_F(LookupToolTest, TheMailQueryReadsTheLastBookWithoutAWindow)
{
	const tool_run early = Run("--mutt-query bob", "");
	EXPECT_EQ(early.status, 1);
	EXPECT_EQ(early.out, "No address book to search: none has been opened or saved yet\n");
	EXPECT_EQ(early.err, "");
	EXPECT_FALSE(std::filesystem::exists(Path("config/_LP_x-vnd.tarvish-cvabdj")))
		<< "a query before any book leaves no settings behind";

	OpenBook();
	ASSERT_TRUE(Quit());
	const tool_run run = Run("--mutt-query BOB", "");
	EXPECT_EQ(run.status, 0);
	EXPECT_EQ(run.err, "");
	EXPECT_EQ(run.out,
		"Corvane Address Book: matching addresses\n"
		"bob@example.org\tRobert Smith\tBOB\n"
		"bobby@example.org\tBobby Brown\tbobby\n"
		"alice@example.org\tAlice Bobson\talice\n"
		"carol@bob.example.org\tCarol King\tcarol\n");

	// Statuses: 1 with one line for no match (a leading '-' is part of the
	// word), 64 with one line for bad usage.
	for (const char* arguments : {"--mutt-query zebra", "--mutt-query -bob"}) {
		const tool_run none = Run(arguments, "");
		EXPECT_EQ(none.status, 1) << arguments;
		EXPECT_EQ(none.out.rfind("No match for \"", 0), 0u) << none.out;
		EXPECT_EQ(std::count(none.out.begin(), none.out.end(), '\n'), 1);
		EXPECT_EQ(none.err, "");
	}
	for (const char* arguments : {"--mutt-query", "--mutt-query bob --postal", "--bogus --mutt-query bob"}) {
		const tool_run usage = Run(arguments, "");
		EXPECT_EQ(usage.status, 64) << arguments;
		EXPECT_EQ(usage.out.rfind("cvab-lookup: ", 0), 0u) << usage.out;
		EXPECT_EQ(std::count(usage.out.begin(), usage.out.end(), '\n'), 1);
		EXPECT_EQ(usage.err, "");
	}

	// The preferences loader's line (an incomplete library) goes nowhere.
	const tool_run complaining = Run("--mutt-query alice", "",
		"LIBRARY_PATH='" PREFS_INCOMPLETE_DIR "'");
	EXPECT_EQ(complaining.status, 0);
	EXPECT_EQ(complaining.err, "");
	EXPECT_EQ(complaining.out.find("PREF"), std::string::npos) << complaining.out;
	EXPECT_NE(complaining.out.find("alice@example.org\tAlice Bobson\talice\n"), std::string::npos);
}

TEST_F(LookupToolTest, AMailQueryThatCannotBeAnsweredSaysWhyInOneLine)
{
	OpenBook();
	ASSERT_TRUE(Quit());
	auto expectOneLine = [this](const std::string& start) {
		const tool_run run = Run("--mutt-query bob", "");
		EXPECT_EQ(run.status, 1);
		EXPECT_EQ(run.out.rfind(start, 0), 0u) << run.out;
		EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
		EXPECT_EQ(run.err, "");
	};
	const std::string book = Path("book.cvab");
	WriteFile(book, ReadFile(book).insert(10, 1, '\0'));
	expectOneLine("The address book " + book + " is damaged (a NUL byte at byte 10)");
	std::filesystem::remove(book);
	expectOneLine("The address book " + book + " cannot be opened: No such file or directory");
	ASSERT_EQ(mkfifo(book.c_str(), 0600), 0);  // opening it blocking would wait for ever
	expectOneLine("The address book " + book + " is not a file");
	std::filesystem::remove(book);

	const std::string settings = Path("config/_LP_x-vnd.tarvish-cvabdj/settings");
	ASSERT_TRUE(std::filesystem::remove(settings));
	std::filesystem::create_directory(settings);
	expectOneLine("The address book's settings cannot be read (" + settings + ")");
}

// Without $XDG_RUNTIME_DIR the running book is found in a folder of the
// user's cache, which a folder another user made first in the temporary
// folder does not stand in the way of; and, where that name would be too long
// for a socket, in one made in /tmp and recorded there.
TEST_F(LookupToolTest, TheLookUpWorksWithoutARuntimeFolder)
{
	unsetenv("XDG_RUNTIME_DIR");
	const std::string planted = Path("tmp") + "/cvab-" + std::to_string(getuid());
	std::filesystem::create_directories(planted);
	setenv("TMPDIR", Path("tmp").c_str(), 1);
	if (geteuid() == 0) {
		ASSERT_EQ(chown(planted.c_str(), 65534, 65534), 0);
	}
	char host[256] = {};
	gethostname(host, sizeof(host) - 1);
	const std::string longCache = Path(std::string(80, 'c'));
	const struct {
		const char* what;
		std::string cache;
		std::string folder;  // where the sockets go; "" when recorded
	} cases[] = {
		{"in the cache folder", Home() + "/.cache", Home() + "/.cache/cvab/run-" + host},
		{"named too long for a socket", longCache, ""},
	};
	for (const auto& c : cases) {
		setenv("XDG_CACHE_HOME", c.cache.c_str(), 1);
		OpenBook();
		const tool_run run = Run("", "To: bob\n");
		EXPECT_EQ(run.status, 0) << c.what << ": " << run.err;
		EXPECT_EQ(run.out, "To: bob@example.org\n") << c.what;
		std::string folder = c.folder;
		if (folder.empty()) {
			folder = ReadFile(c.cache + "/cvab/run-" + host + ".where");
			folder = folder.substr(0, folder.find('\n'));
			EXPECT_EQ(folder.rfind("/tmp/cvab-run-", 0), 0u) << folder;
		}
		struct stat info;
		ASSERT_EQ(lstat(folder.c_str(), &info), 0) << c.what;
		EXPECT_EQ(info.st_mode & 0777, 0700u) << c.what;
		EXPECT_EQ(info.st_uid, getuid()) << c.what;
		ASSERT_TRUE(Quit());
		if (c.folder.empty())
			std::filesystem::remove_all(folder);
	}
	unsetenv("TMPDIR");
	unsetenv("XDG_CACHE_HOME");
}

}  // namespace
