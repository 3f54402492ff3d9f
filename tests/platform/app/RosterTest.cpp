// Launching the web browser by its signature runs the configured opener with the
// arguments, detached, without leaving a zombie; what cannot be launched fails.
// (The opener's one address from a menu command is the main window tests'.)
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

TEST(Roster, BrowserLaunchRunsTheOpenerDetachedWithTheArgumentsOrFails)
{
	char pattern[] = "/tmp/cvab-roster-XXXXXX";
	ASSERT_NE(mkdtemp(pattern), nullptr);
	const std::string dir = pattern, script = dir + "/opener", record = dir + "/record";
	std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > "
		<< record << ".tmp\nmv " << record << ".tmp " << record << "\n";
	chmod(script.c_str(), 0755);
	setenv("CVAB_URL_OPENER", script.c_str(), 1);
	// The opener's arguments, one a line, once it has run; taken away for the next run.
	const auto recorded = [&] {
		for (int i = 0; i < 400; i++) {
			if (std::ifstream file{record}) {
				std::stringstream text;
				text << file.rdbuf();
				unlink(record.c_str());
				return text.str();
			}
			snooze(5000);
		}
		return std::string("(opener never ran)");
	};

	const char* args[] = {"https://example.org/a b?c=d", "second"};
	team_id team = -1;
	ASSERT_EQ(be_roster->Launch(CVAB_BROWSER_SIGNATURE, 2, args, &team), B_OK);
	EXPECT_GT(team, 0);
	EXPECT_NE(team, getpid());
	EXPECT_EQ(recorded(), std::string(args[0]) + "\nsecond\n");
	// The opener is not our child, so nothing is left to reap.
	errno = 0;
	EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
	EXPECT_EQ(errno, ECHILD);

	unlink(script.c_str());
	rmdir(dir.c_str());
	team = -1;
	EXPECT_EQ(be_roster->Launch(CVAB_BROWSER_SIGNATURE, 1, args, &team),
		B_LAUNCH_FAILED_EXECUTABLE);
	EXPECT_EQ(team, -1);
	unsetenv("CVAB_URL_OPENER");
	EXPECT_NE(be_roster->Launch("application/x-vnd.nobody-here", 1, args), B_OK);
}
