// Launching the web browser by its signature runs the configured opener with the
// arguments, detached, without leaving a zombie.
#include <Roster.h>

#include <OS.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class OpenerScript : public ::testing::Test {
protected:
	void SetUp() override
	{
		char pattern[] = "/tmp/cvab-roster-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		fDir = pattern;
		fScript = fDir + "/opener";
		fRecord = fDir + "/record";
		std::ofstream(fScript) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > "
			<< fRecord << ".tmp\nmv " << fRecord << ".tmp " << fRecord << "\n";
		chmod(fScript.c_str(), 0755);
		setenv("CVAB_URL_OPENER", fScript.c_str(), 1);
	}
	void TearDown() override
	{
		unsetenv("CVAB_URL_OPENER");
		unlink(fRecord.c_str());
		unlink(fScript.c_str());
		rmdir(fDir.c_str());
	}

	// The opener's arguments, one a line, once it has run; taken away for the next run.
	std::string WaitForRecord()
	{
		for (int i = 0; i < 400; i++) {
			if (std::ifstream file{fRecord}) {
				std::stringstream text;
				text << file.rdbuf();
				unlink(fRecord.c_str());
				return text.str();
			}
			snooze(5000);
		}
		return "(opener never ran)";
	}

	std::string fDir;
	std::string fScript;
	std::string fRecord;
};

}  // namespace

TEST_F(OpenerScript, BrowserLaunchRunsTheOpenerWithTheArguments)
{
	const char* url = "https://example.org/a b?c=d";
	team_id team = -1;
	ASSERT_EQ(be_roster->Launch(CVAB_BROWSER_SIGNATURE, 1, &url, &team), B_OK);
	EXPECT_GT(team, 0);
	EXPECT_NE(team, getpid());
	EXPECT_EQ(WaitForRecord(), std::string(url) + "\n");
	// The opener is not our child, so nothing is left to reap.
	errno = 0;
	EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
	EXPECT_EQ(errno, ECHILD);

	// The signature is matched without case, and the team may be left out.
	const char* args[] = {"first", "second"};
	ASSERT_EQ(be_roster->Launch("application/x-vnd.be-npos", 2, args, nullptr), B_OK);
	EXPECT_EQ(WaitForRecord(), "first\nsecond\n");

	// A launch message's arguments after the program name reach the opener.
	BMessage argv(B_ARGV_RECEIVED);
	argv.AddString("argv", "browser");
	argv.AddString("argv", "http://example.com/");
	ASSERT_EQ(be_roster->Launch(CVAB_BROWSER_SIGNATURE, &argv), B_OK);
	EXPECT_EQ(WaitForRecord(), "http://example.com/\n");
}

TEST(Roster, AMissingOpenerUnknownSignaturesAndBadArgumentsFailTheLaunch)
{
	setenv("CVAB_URL_OPENER", "/nonexistent/opener-program", 1);
	const char* url = "http://example.com/";
	team_id team = -1;
	EXPECT_EQ(be_roster->Launch(CVAB_BROWSER_SIGNATURE, 1, &url, &team),
		B_LAUNCH_FAILED_EXECUTABLE);
	EXPECT_EQ(team, -1);
	unsetenv("CVAB_URL_OPENER");
	EXPECT_NE(be_roster->Launch("application/x-vnd.nobody-here", 1, &url), B_OK);
	EXPECT_EQ(be_roster->Launch(nullptr, 1, &url), B_BAD_VALUE);
	EXPECT_EQ(be_roster->Launch(CVAB_BROWSER_SIGNATURE, 1, nullptr), B_BAD_VALUE);
}
