// The library search, each case in a fresh process since the decision is made once
// per process, and the application directory it starts from.
#include <PREF.h>
#include <PreferencesLoader.h>

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string ExecutableDirectory(const std::string& program)
{
	char resolved[PATH_MAX];
	if (realpath(program.c_str(), resolved) == nullptr)
		return std::string();
	std::string path(resolved);
	return path.substr(0, path.rfind('/') + 1);
}

// The values of the "key=value" lines a child reported under key.
std::vector<std::string> Reported(const ChildResult& result, const std::string& key)
{
	std::vector<std::string> values;
	std::istringstream lines(result.err);
	std::string line;
	while (std::getline(lines, line)) {
		if (line.compare(0, key.size() + 1, key + "=") == 0)
			values.push_back(line.substr(key.size() + 1));
	}
	return values;
}

int ReportedStatus(const ChildResult& result, const std::string& key)
{
	const std::vector<std::string> values = Reported(result, key);
	return values.size() == 1 ? std::atoi(values[0].c_str()) : INT_MIN + 1;
}

off_t FileSize(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

class LoaderChild : public testing::Test {
protected:
	// The child's round of calls, answered by whoever answers.
	void ExpectRoundAnswered(const ChildResult& result)
	{
		for (const char* key : {"init", "load", "setdata", "getdata", "begin", "end", "save",
				"dispose", "shutdown"})
			EXPECT_EQ(ReportedStatus(result, key), B_OK) << key;
		EXPECT_EQ(Reported(result, "same"), std::vector<std::string>{"1"});
		EXPECT_EQ(Reported(result, "cleared"), std::vector<std::string>{"1"});
		EXPECT_EQ(ReportedStatus(result, "missing"), PREF_NOT_FOUND);
	}

	void ExpectLibraryAnswered(const ChildResult& result)
	{
		ExpectRoundAnswered(result);
		EXPECT_EQ(ReportedStatus(result, "slash"), B_OK);
		EXPECT_GT(FileSize(fConfig.Path() + "/test-libprefs/x-vnd.loader-child.settings.user"),
			0);
		EXPECT_EQ(FileSize(fBuiltInDirectory), -1);
	}

	void ExpectBuiltInAnswered(const ChildResult& result)
	{
		ExpectRoundAnswered(result);
		EXPECT_EQ(ReportedStatus(result, "slash"), B_BAD_VALUE);
		EXPECT_GT(FileSize(fBuiltInDirectory + "/settings"), 4);
		EXPECT_EQ(FileSize(fConfig.Path() + "/test-libprefs"), -1);
	}

	ChildResult Run(const char* libraryPath, std::vector<std::string> arguments = {})
	{
		std::vector<std::string> environment{"XDG_CONFIG_HOME=" + fConfig.Path(),
			"XDG_DATA_HOME=" + fConfig.Path(), "HOME=" + fConfig.Path()};
		if (libraryPath != nullptr)
			environment.push_back(std::string("LIBRARY_PATH=") + libraryPath);
		return RunChild(PREFS_CHILD, arguments, environment);
	}

	const std::string fChildDirectory = ExecutableDirectory(PREFS_CHILD);
	const std::string fCompleteLibrary = fChildDirectory + "/lib/libprefs.so";
	const std::string fIncompleteDirectory = PREFS_INCOMPLETE_DIR;
	TemporaryDirectory fConfig;
	const std::string fBuiltInDirectory = fConfig.Path() + "/_LP_x-vnd.loader-child";
};

}  // namespace

TEST_F(LoaderChild, LibraryInTheApplicationsLibDirectoryLoadsAndEndsTheWalk)
{
	TemporaryDirectory empty;
	// The third element holds a library lacking an entry point: were it tried, its
	// missing name would be printed.
	const std::string path = empty.Path() + ":%A/lib:" + fIncompleteDirectory;
	const ChildResult result = Run(path.c_str());

	ASSERT_EQ(result.exitStatus, 0) << result.err;
	EXPECT_EQ(result.out, "");
	EXPECT_EQ(ReportedStatus(result, "loader"), B_OK);
	EXPECT_EQ(ReportedStatus(result, "again"), B_OK);
	EXPECT_EQ(Reported(result, "version"), std::vector<std::string>{"1"});
	// The directory keeps its trailing slash, then the element from its "/" on.
	EXPECT_EQ(Reported(result, "addon"), std::vector<std::string>{fCompleteLibrary});
	ExpectLibraryAnswered(result);
}

TEST_F(LoaderChild, NoLibraryPathAndNoLibraryIsSilentAndFinal)
{
	void* installed = dlopen("libprefs.so", RTLD_NOW | RTLD_LOCAL);
	if (installed != nullptr) {
		dlclose(installed);
		GTEST_SKIP() << "a libprefs.so is installed on the default search path";
	}
	// Setting "LIBRARY_PATH" after the first call must not change the decision.
	const ChildResult result = Run(nullptr, {fChildDirectory + "lib"});

	ASSERT_EQ(result.exitStatus, 0) << result.err;
	EXPECT_EQ(result.out, "");
	EXPECT_LT(ReportedStatus(result, "loader"), 0);
	EXPECT_LT(ReportedStatus(result, "again"), 0);
	EXPECT_TRUE(Reported(result, "addon").empty());
	ExpectBuiltInAnswered(result);
}

TEST_F(LoaderChild, LibraryWithoutOneEntryPointPrintsItsNameOnceAndStaysLoaded)
{
	const ChildResult result
		= Run(fIncompleteDirectory.c_str(), {fChildDirectory + "lib"});

	ASSERT_EQ(result.exitStatus, 0) << result.err;
	EXPECT_EQ(result.out, "PREFRemoveSet\n");
	// The first call, inside PREFInit, failed for good: the state is -1 since.
	EXPECT_EQ(ReportedStatus(result, "loader"), -1);
	EXPECT_EQ(ReportedStatus(result, "again"), -1);
	EXPECT_EQ(Reported(result, "addon"),
		std::vector<std::string>{fIncompleteDirectory + "/libprefs.so"});
	ExpectBuiltInAnswered(result);
}

TEST_F(LoaderChild, EmptyElementsAreSkippedAndOtherElementsTakenAsTheyAre)
{
	// "%Alib" is no application-directory element; it names nothing.
	const std::string path = "::%Alib::" + fChildDirectory + "lib:";
	const ChildResult result = Run(path.c_str());

	ASSERT_EQ(result.exitStatus, 0) << result.err;
	EXPECT_EQ(result.out, "");
	EXPECT_EQ(ReportedStatus(result, "loader"), B_OK);
	EXPECT_EQ(Reported(result, "addon"),
		std::vector<std::string>{fChildDirectory + "lib/libprefs.so"});
	ExpectLibraryAnswered(result);
}

TEST_F(LoaderChild, WalkWithoutAnyLibraryFailsSilently)
{
	TemporaryDirectory empty;
	const std::string path = empty.Path() + ":%A/:/nonexistent";
	const ChildResult result = Run(path.c_str());

	ASSERT_EQ(result.exitStatus, 0) << result.err;
	EXPECT_EQ(result.out, "");
	EXPECT_LT(ReportedStatus(result, "loader"), 0);
	EXPECT_TRUE(Reported(result, "addon").empty());
	ExpectBuiltInAnswered(result);
}

TEST(ApplicationDirectory, IsTheExecutablesDirectoryWithItsSlash)
{
	char directory[1024];
	ASSERT_EQ(GetApplicationDirectory(directory, sizeof(directory)), B_OK);
	char executable[PATH_MAX];
	const ssize_t length = readlink("/proc/self/exe", executable, sizeof(executable) - 1);
	ASSERT_GT(length, 0);
	executable[length] = '\0';
	*(std::strrchr(executable, '/') + 1) = '\0';
	EXPECT_STREQ(directory, executable);
}

TEST(ApplicationDirectory, SmallBuffersAreCutAtTheirLastSlashAndZeroIsRefused)
{
	char full[1024];
	ASSERT_EQ(GetApplicationDirectory(full, sizeof(full)), B_OK);
	const size_t fullLength = std::strlen(full);
	ASSERT_GT(fullLength, 2u);

	// One byte short of the whole directory: its last slash is lost, so the
	// result is the parent directory.
	char cut[1024];
	std::memset(cut, 'x', sizeof(cut));
	ASSERT_EQ(GetApplicationDirectory(cut, int32(fullLength)), B_OK);
	std::string parent(full, fullLength - 1);
	parent.erase(parent.rfind('/') + 1);
	EXPECT_EQ(std::string(cut), parent);

	char one = 'x';
	ASSERT_EQ(GetApplicationDirectory(&one, 1), B_OK);
	EXPECT_EQ(one, '\0');

	EXPECT_EQ(GetApplicationDirectory(cut, 0), B_BAD_VALUE);
}
