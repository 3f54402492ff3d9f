// find_directory: the XDG places and their fall-backs, creating only when asked, and
// a buffer too small. (Absolute XDG_CONFIG_HOME, creating the settings folder and
// the common settings' place are also the preference store tests'.)
#include "StorageTestSupport.h"

#include <FindDirectory.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

std::string found(directory_which which, bool create = false)
{
	char path[B_PATH_NAME_LENGTH];
	return find_directory(which, 0, create, path, sizeof(path)) == B_OK ? path : "<error>";
}

}  // namespace

TEST(FindDirectory, XdgPlacesFallBackUnderHomeAndAreCreatedOnlyWhenAsked)
{
	TempDir dir;
	ScopedEnv home("HOME", dir.Path().c_str());
	ScopedEnv data("XDG_DATA_HOME", (dir / "data").c_str());
	EXPECT_EQ(found(B_USER_DIRECTORY), dir.Path());
	const std::string messy = dir.Path() + "//conf/";
	const std::pair<const char*, std::string> cases[] = {{nullptr, dir / ".config"},
		{"relative/conf", dir / ".config"}, {messy.c_str(), dir / "conf"}};
	for (const auto& [value, expected] : cases) {
		ScopedEnv config("XDG_CONFIG_HOME", value);
		EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), expected) << (value ? value : "unset");
		EXPECT_EQ(found(B_USER_CONFIG_DIRECTORY), expected);
	}
	EXPECT_EQ(found(B_USER_DATA_DIRECTORY), dir / "data");

	ScopedEnv config("XDG_CONFIG_HOME", (dir / "a/b/c").c_str());
	EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), dir / "a/b/c");
	struct stat st;
	EXPECT_NE(stat((dir / "a").c_str(), &st), 0);
	BPath path;
	ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &path, true), B_OK);
	EXPECT_STREQ(path.Path(), (dir / "a/b/c").c_str());
	EXPECT_TRUE(stat((dir / "a/b/c").c_str(), &st) == 0 && S_ISDIR(st.st_mode));
	write_file(dir / "file", "");
	ScopedEnv blocked("XDG_CONFIG_HOME", (dir / "file/sub").c_str());
	EXPECT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &path, true), B_NOT_A_DIRECTORY);
	EXPECT_EQ(path.InitCheck(), B_NO_INIT);

	char small[4];
	EXPECT_EQ(find_directory(B_USER_DATA_DIRECTORY, 0, false, small, sizeof(small)),
		B_NAME_TOO_LONG);
}
