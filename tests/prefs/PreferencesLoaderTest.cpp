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
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// The values of the "key=value" lines a child reported under key.
Texts Reported(const ChildResult& result, const std::string& key)
{
	Texts values;
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
	const Texts values = Reported(result, key);
	return values.size() == 1 ? std::atoi(values[0].c_str()) : INT_MIN + 1;
}

off_t FileSize(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

const status_t kAnyFailure = INT_MIN;  // any negative loader state

class LoaderChild : public testing::Test {
protected:
	// Runs the child with libraryPath as "LIBRARY_PATH" (none when null) and checks
	// what it printed, the library it loaded (if any), and that the round of PREF
	// calls was answered in full by the library or else by the built-in store.
	void RunAndCheck(const char* libraryPath, const Texts& arguments, const std::string& out,
		const std::string& library, status_t loader)
	{
		const TemporaryDirectory config;
		std::vector<std::string> environment{"XDG_CONFIG_HOME=" + config.Path(),
			"XDG_DATA_HOME=" + config.Path(), "HOME=" + config.Path()};
		if (libraryPath != nullptr)
			environment.push_back(std::string("LIBRARY_PATH=") + libraryPath);
		const ChildResult result = RunChild(PREFS_CHILD, arguments, environment);

		ASSERT_EQ(result.exitStatus, 0) << result.err;
		EXPECT_EQ(result.out, out);
		EXPECT_EQ(Reported(result, "addon"), library.empty() ? Texts{} : Texts{library});
		const bool used = loader == B_OK;
		if (loader == kAnyFailure)
			EXPECT_LT(ReportedStatus(result, "loader"), 0);
		else
			EXPECT_EQ(ReportedStatus(result, "loader"), loader);
		// The decision holds, even when "LIBRARY_PATH" changes after it.
		EXPECT_EQ(ReportedStatus(result, "again"), ReportedStatus(result, "loader"));
		EXPECT_EQ(Reported(result, "version"), used ? Texts{"1"} : Texts{});

		for (const char* key : {"init", "load", "setdata", "getdata", "begin", "end", "save",
				"dispose", "shutdown"})
			EXPECT_EQ(ReportedStatus(result, key), B_OK) << key;
		EXPECT_EQ(Reported(result, "same"), Texts{"1"});
		EXPECT_EQ(Reported(result, "cleared"), Texts{"1"});
		EXPECT_EQ(ReportedStatus(result, "missing"), PREF_NOT_FOUND);
		// Only the built-in store refuses a "/" in an application's name.
		EXPECT_EQ(ReportedStatus(result, "slash"), used ? B_OK : B_BAD_VALUE);
		const off_t libraryFile
			= FileSize(config.Path() + "/test-libprefs/x-vnd.loader-child.settings.user");
		const off_t builtInFile = FileSize(config.Path() + "/_LP_x-vnd.loader-child/settings");
		if (used) {
			EXPECT_GT(libraryFile, 0);
			EXPECT_EQ(builtInFile, -1);
		} else {
			EXPECT_EQ(libraryFile, -1);
			EXPECT_GT(builtInFile, 4);
		}
	}

	// The child's real directory, with its trailing slash.
	const std::string fChildDirectory
		= std::filesystem::canonical(PREFS_CHILD).parent_path().string() + "/";
	const std::string fIncompleteDirectory = PREFS_INCOMPLETE_DIR;
	TemporaryDirectory fEmpty;
};

}  // namespace

TEST_F(LoaderChild, TheWalkEndsAtTheFirstLibraryWithEveryEntryPoint)
{
	// "%A/" is the application directory with its own trailing slash, followed by
	// the element from its "/" on. The incomplete library after it is never tried,
	// or its missing name would be printed.
	RunAndCheck((fEmpty.Path() + ":%A/lib:" + fIncompleteDirectory).c_str(), {}, "",
		fChildDirectory + "/lib/libprefs.so", B_OK);
}

TEST_F(LoaderChild, EmptyElementsAreSkippedAndOthersTakenAsTheyAre)
{
	// "%Alib" is no application-directory element; it names nothing.
	RunAndCheck(("::%Alib::" + fChildDirectory + "lib:").c_str(), {}, "",
		fChildDirectory + "lib/libprefs.so", B_OK);
}

TEST_F(LoaderChild, WithoutALibraryTheBuiltInStoreAnswersSilently)
{
	RunAndCheck((fEmpty.Path() + ":%A/:/nonexistent").c_str(), {}, "", "", kAnyFailure);

	void* installed = dlopen("libprefs.so", RTLD_NOW | RTLD_LOCAL);
	if (installed != nullptr) {
		dlclose(installed);
		GTEST_SKIP() << "a libprefs.so is installed on the default search path";
	}
	// Without "LIBRARY_PATH" only the bare name is tried.
	RunAndCheck(nullptr, {fChildDirectory + "lib"}, "", "", kAnyFailure);
}

TEST_F(LoaderChild, ALibraryLackingAnEntryPointPrintsItsNameOnceAndStaysLoaded)
{
	// The first call, inside PREFInit, failed for good: the state is -1 since.
	RunAndCheck(fIncompleteDirectory.c_str(), {fChildDirectory + "lib"}, "PREFRemoveSet\n",
		fIncompleteDirectory + "/libprefs.so", -1);
}

TEST(ApplicationDirectory, IsTheExecutablesDirectoryCutToTheBuffersLastSlash)
{
	char directory[1024];
	ASSERT_EQ(GetApplicationDirectory(directory, sizeof(directory)), B_OK);
	char executable[PATH_MAX];
	const ssize_t length = readlink("/proc/self/exe", executable, sizeof(executable) - 1);
	ASSERT_GT(length, 0);
	executable[length] = '\0';
	*(std::strrchr(executable, '/') + 1) = '\0';
	ASSERT_STREQ(directory, executable);

	// One byte short of the whole directory: its last slash is lost, so the
	// result is the parent directory.
	const size_t fullLength = std::strlen(directory);
	char cut[1024];
	std::memset(cut, 'x', sizeof(cut));
	ASSERT_EQ(GetApplicationDirectory(cut, int32(fullLength)), B_OK);
	std::string parent(directory, fullLength - 1);
	parent.erase(parent.rfind('/') + 1);
	EXPECT_EQ(std::string(cut), parent);

	char one = 'x';
	ASSERT_EQ(GetApplicationDirectory(&one, 1), B_OK);
	EXPECT_EQ(one, '\0');
	EXPECT_EQ(GetApplicationDirectory(cut, 0), B_BAD_VALUE);
}
