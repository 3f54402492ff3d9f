// cvab-lookup as a separate process: the look-up through the running address
// book (here the real application object on the headless screen), the text
// going back unchanged with none running, and the mail client's query of the
// book last opened, with standard output holding results only.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

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

// Its first line is the preferences loader's (here an incomplete one, which
// complains): standard output holds only the matches.
TEST_F(LookupToolTest, TheMailQueryReadsTheLastBookWithoutAWindow)
{
	OpenBook();
	ASSERT_TRUE(Quit());
	const tool_run run = Run("--mutt-query BOB", "");
	EXPECT_EQ(run.status, 0) << run.err;
	const std::string expected =
		"bob@example.org\tRobert Smith\tBOB\n"
		"bobby@example.org\tBobby Brown\tbobby\n"
		"alice@example.org\tAlice Bobson\talice\n"
		"carol@bob.example.org\tCarol King\tcarol\n";
	ASSERT_NE(run.out.find('\n'), std::string::npos);
	EXPECT_EQ(run.out.substr(run.out.find('\n') + 1), expected);

	const tool_run none = Run("--mutt-query zebra", "");
	EXPECT_EQ(none.status, 1);
	EXPECT_EQ(std::count(none.out.begin(), none.out.end(), '\n'), 1);

	const tool_run complaining = Run("--mutt-query alice", "",
		"LIBRARY_PATH='" PREFS_INCOMPLETE_DIR "'");
	EXPECT_EQ(complaining.status, 0) << complaining.err;
	EXPECT_EQ(complaining.err.find("PREFRemoveSet"), 0u) << complaining.err;
	EXPECT_EQ(complaining.out.find("PREF"), std::string::npos) << complaining.out;
	EXPECT_NE(complaining.out.find("alice@example.org\tAlice Bobson\talice\n"), std::string::npos);
}

}  // namespace
