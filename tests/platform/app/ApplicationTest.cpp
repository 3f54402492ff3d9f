// The application: launch arguments as one B_REFS_RECEIVED before ReadyToRun, plain
// arguments as B_ARGV_RECEIVED, and quitting. (Quitting asks the windows: the window
// tests, and the save tests' refusing book window; the app info names the executable
// the Word Services registration records.)
#include <Application.h>
#include <EntryRef.h>

#include "AppKitHooks.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class LaunchRecorder : public BApplication {
public:
	LaunchRecorder() : BApplication("application/x-vnd.cvab-test") {}

	void ArgvReceived(int32 argc, char** argv) override
	{
		EXPECT_TRUE(IsLaunching());
		events.push_back("argv");
		for (int32 i = 0; i < argc; i++)
			arguments.push_back(argv[i]);
	}
	void RefsReceived(BMessage* message) override
	{
		EXPECT_TRUE(IsLaunching());
		events.push_back("refs");
		entry_ref ref;
		for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++)
			refs.push_back(ref.DirectoryPath() + "/" + ref.name);
	}
	void ReadyToRun() override
	{
		events.push_back("ready");
		PostMessage(B_QUIT_REQUESTED);
	}

	std::vector<std::string> events;
	std::vector<std::string> arguments;
	std::vector<std::string> refs;
};

}  // namespace

TEST(Application, FileArgumentsArriveAsOneRefsMessageBeforeReadyToRunAndWithoutAnyOnlyReadyToRun)
{
	{
		BPrivate::set_command_line_for_next_application({"cvab"});
		LaunchRecorder plain;
		plain.Run();
		EXPECT_EQ(plain.events, (std::vector<std::string>{"ready"}));
		EXPECT_FALSE(plain.IsLaunching());
	}
	char dir[] = "/tmp/cvab-app-test-XXXXXX";
	char real[PATH_MAX];
	ASSERT_NE(mkdtemp(dir), nullptr);
	ASSERT_NE(realpath(dir, real), nullptr);
	const std::string first = std::string(real) + "/one.abk";
	const std::string second = std::string(real) + "/two.abk";
	std::ofstream(first) << "1";
	std::ofstream(second) << "2";
	char previous[PATH_MAX];
	ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
	ASSERT_EQ(chdir(real), 0);
	// A relative path is taken from the working directory; a missing file stays a plain
	// argument.
	BPrivate::set_command_line_for_next_application(
		{"/usr/bin/cvab", first, "--flag", "two.abk", std::string(real) + "/missing.abk"});
	LaunchRecorder app;
	ASSERT_EQ(app.InitCheck(), B_OK);
	app.Run();
	ASSERT_EQ(chdir(previous), 0);

	EXPECT_EQ(app.events, (std::vector<std::string>{"argv", "refs", "ready"}));
	EXPECT_EQ(app.refs, (std::vector<std::string>{first, second}));
	EXPECT_EQ(app.arguments,
		(std::vector<std::string>{"/usr/bin/cvab", "--flag", std::string(real) + "/missing.abk"}));
	unlink(first.c_str());
	unlink(second.c_str());
	rmdir(dir);
}
