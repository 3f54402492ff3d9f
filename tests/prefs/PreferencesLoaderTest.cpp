// The library search, each case in a child process since the decision is made once
// per process, and the application directory it starts from.
#include <PREF.h>
#include <PreferencesLoader.h>

#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

const status_t kAnyFailure = INT_MIN;  // any negative loader state
// The child's round of calls as the test library answers it: 100 plus each entry's
// place in the table.
const std::string kLibraryRound = "101 103 107 109 115 116 104 106 102";
const std::string kBuiltInRound = "0 0 0 0 0 0 0 0 0";

class LoaderChild : public testing::Test {
protected:
	// Runs the child with "LIBRARY_PATH" set to libraryPath (unset when null), its
	// output going to fHome's "out" and "report".
	void RunChild(const char* libraryPath)
	{
		std::fflush(nullptr);  // the child must not write our buffered output again
		const pid_t child = fork();
		if (child == 0) {
			setenv("XDG_CONFIG_HOME", fHome.Path().c_str(), 1);
			if (libraryPath != nullptr)
				setenv("LIBRARY_PATH", libraryPath, 1);
			else
				unsetenv("LIBRARY_PATH");
			if (std::freopen((fHome.Path() + "/out").c_str(), "w", stdout) != nullptr
				&& std::freopen((fHome.Path() + "/report").c_str(), "w", stderr) != nullptr)
				execl(PREFS_CHILD, PREFS_CHILD, static_cast<char*>(nullptr));
			_exit(127);
		}
		int status = 0;
		ASSERT_GT(child, 0);
		ASSERT_EQ(waitpid(child, &status, 0), child);
		ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	}

	// Runs the child and checks what the loader printed, the library it holds (none
	// when empty), its answer, which holds once made even when "LIBRARY_PATH" changes,
	// and that the round went wholly to the library or wholly to the built-in store.
	void RunAndCheck(const char* libraryPath, const std::string& out,
		const std::string& library, status_t loader)
	{
		RunChild(libraryPath);
		EXPECT_EQ(ReadWholeFile(fHome.Path() + "/out"), out);
		std::istringstream report(ReadWholeFile(fHome.Path() + "/report"));
		Texts lines;
		for (std::string line; std::getline(report, line);)
			lines.push_back(line);
		ASSERT_GE(lines.size(), 3u);
		EXPECT_EQ(lines[0], loader == B_OK ? kLibraryRound : kBuiltInRound);
		const status_t first = std::atoi(lines[1].c_str());
		if (loader == kAnyFailure)
			EXPECT_LT(first, 0);
		else
			EXPECT_EQ(first, loader);
		EXPECT_EQ(std::atoi(lines[2].c_str()), first);
		EXPECT_EQ(Texts(lines.begin() + 3, lines.end()),
			library.empty() ? Texts{} : Texts{library});
	}

	// The child's real directory, with its trailing slash.
	const std::string fAppDirectory
		= std::filesystem::canonical(PREFS_CHILD).parent_path().string() + "/";
	const std::string fIncompleteDirectory = PREFS_INCOMPLETE_DIR;
	TemporaryDirectory fHome;
	TemporaryDirectory fEmpty;
};

}  // namespace

TEST_F(LoaderChild, TheWalkSkipsEmptyElementsAndEndsAtTheFirstWholeLibrary)
{
	// "%A/" is the application directory with its own trailing slash, followed by
	// the element from its "/" on. The incomplete library after it is never tried,
	// or its missing name would be printed.
	RunAndCheck((fEmpty.Path() + ":%A/lib:" + fIncompleteDirectory).c_str(), "",
		fAppDirectory + "/lib/libprefs.so", B_OK);
	// "%Alib" is no application-directory element; it names nothing.
	RunAndCheck(("::%Alib::" + fAppDirectory + "lib:").c_str(), "",
		fAppDirectory + "lib/libprefs.so", B_OK);
}

TEST_F(LoaderChild, WithoutAWholeLibraryTheBuiltInStoreAnswers)
{
	RunAndCheck((fEmpty.Path() + ":%A/:/nonexistent").c_str(), "", "", kAnyFailure);
	// A library lacking an entry point: its name printed once, the state -1 for
	// good, and the library left loaded.
	RunAndCheck(fIncompleteDirectory.c_str(), "PREFRemoveSet\n",
		fIncompleteDirectory + "/libprefs.so", -1);

	void* installed = dlopen("libprefs.so", RTLD_NOW | RTLD_LOCAL);
	if (installed != nullptr) {
		dlclose(installed);
		GTEST_SKIP() << "a libprefs.so is installed on the default search path";
	}
	// Without "LIBRARY_PATH" only the bare name is tried.
	RunAndCheck(nullptr, "", "", kAnyFailure);
}

TEST(ApplicationDirectory, IsTheExecutablesDirectoryCutToTheBuffersLastSlash)
{
	const std::string whole
		= std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
	char directory[1024];
	std::memset(directory, 'x', sizeof(directory));
	ASSERT_EQ(GetApplicationDirectory(directory, sizeof(directory)), B_OK);
	EXPECT_EQ(std::string(directory), whole);

	// One byte short of the whole directory: its last slash is lost, so the
	// result is the parent directory.
	ASSERT_EQ(GetApplicationDirectory(directory, int32(whole.size())), B_OK);
	const std::string cut = whole.substr(0, whole.size() - 1);
	EXPECT_EQ(std::string(directory), cut.substr(0, cut.rfind('/') + 1));

	char one = 'x';
	ASSERT_EQ(GetApplicationDirectory(&one, 1), B_OK);
	EXPECT_EQ(one, '\0');
	EXPECT_EQ(GetApplicationDirectory(directory, 0), B_BAD_VALUE);
}
