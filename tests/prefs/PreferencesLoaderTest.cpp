// The library search, each case in a fresh process since the decision is made once
// per process, and the application directory it starts from.
#include <PreferencesLoader.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace {

// The child's round of calls as the test library answers it (100 plus each entry
// point's place in the table) and as the built-in store does.
const std::string kLibraryRound = "101 103 107 109 115 116 104 106 102";
const std::string kBuiltInRound = "0 0 0 0 0 0 0 0 0";

class LoaderChild : public testing::Test {
protected:
	// What the child printed with "LIBRARY_PATH" set to libraryPath (unset when null).
	std::string Run(const char* libraryPath)
	{
		std::string command = "env -u LIBRARY_PATH XDG_CONFIG_HOME='" PREFS_CHILD_HOME "'";
		if (libraryPath != nullptr)
			command += std::string(" LIBRARY_PATH='") + libraryPath + "'";
		FILE* child = popen((command + " '" PREFS_CHILD "'").c_str(), "r");
		EXPECT_NE(child, nullptr);
		std::string out;
		char line[4096];
		while (child != nullptr && std::fgets(line, sizeof(line), child) != nullptr)
			out += line;
		EXPECT_EQ(child != nullptr ? pclose(child) : -1, 0) << out;
		return out;
	}

	// The loader's own output, then the child's round answered wholly by the library
	// (state 0) or wholly by the built-in store, the state, which holds even when
	// "LIBRARY_PATH" changes, and the library left loaded (none when empty).
	static std::string Expected(const std::string& loaderOutput, status_t state,
		const std::string& library)
	{
		const std::string line = std::to_string(state) + "\n";
		return loaderOutput + (state == B_OK ? kLibraryRound : kBuiltInRound) + "\n" + line
			+ line + (library.empty() ? "" : library + "\n");
	}

	// The child's real directory, with its trailing slash.
	const std::string fAppDirectory
		= std::filesystem::canonical(PREFS_CHILD).parent_path().string() + "/";
	const std::string fIncompleteDirectory = PREFS_INCOMPLETE_DIR;
	const std::string fNoLibrary = PREFS_CHILD_HOME;  // the child's settings only
};

}  // namespace

TEST_F(LoaderChild, TheWalkEndsAtTheFirstWholeLibraryElseTheBuiltInStoreAnswers)
{
	// "%A/" is the application directory with its own trailing slash, followed by
	// the element from its "/" on. The incomplete library after it is never tried,
	// or its missing name would be printed.
	EXPECT_EQ(Run((fNoLibrary + ":%A/lib:" + fIncompleteDirectory).c_str()),
		Expected("", B_OK, fAppDirectory + "/lib/libprefs.so"));
	// "%Alib" is no application-directory element; it names nothing.
	EXPECT_EQ(Run(("::%Alib::" + fAppDirectory + "lib:").c_str()),
		Expected("", B_OK, fAppDirectory + "lib/libprefs.so"));

	// Without a whole library the built-in store answers; the state is what
	// loading the last element gave.
	EXPECT_EQ(Run((fNoLibrary + ":%A/:/nonexistent").c_str()),
		Expected("", B_ENTRY_NOT_FOUND, ""));
	// A library lacking an entry point: its name printed once, the state -1 for
	// good, and the library left loaded.
	EXPECT_EQ(Run(fIncompleteDirectory.c_str()),
		Expected("PREFRemoveSet\n", -1, fIncompleteDirectory + "/libprefs.so"));

	void* installed = dlopen("libprefs.so", RTLD_NOW | RTLD_LOCAL);
	if (installed != nullptr) {
		dlclose(installed);
		GTEST_SKIP() << "a libprefs.so is installed on the default search path";
	}
	// Without "LIBRARY_PATH" only the bare name is tried.
	EXPECT_EQ(Run(nullptr), Expected("", B_ENTRY_NOT_FOUND, ""));
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
	EXPECT_EQ(GetApplicationDirectory(directory, 0), B_BAD_VALUE);
}
