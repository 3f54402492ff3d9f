// Helpers shared by the tests of the book on disk: a scratch folder, file
// contents, refs, and a child process.
#ifndef _FILE_TEST_SUPPORT_H
#define _FILE_TEST_SUPPORT_H

#include <Entry.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using Texts = std::vector<std::string>;

// A fresh directory, its real path, removed with its contents.
class ScratchDir {
public:
	ScratchDir()
	{
		char pattern[] = "/tmp/cvab-book-XXXXXX";
		if (mkdtemp(pattern) != nullptr)
			fPath = std::filesystem::canonical(pattern).string();
	}
	~ScratchDir()
	{
		std::error_code ignored;
		std::filesystem::permissions(fPath, std::filesystem::perms::owner_all, ignored);
		std::filesystem::remove_all(fPath, ignored);
	}
	std::string operator/(const std::string& leaf) const { return fPath + "/" + leaf; }
	const std::string& Path() const { return fPath; }

	Texts Names() const
	{
		Texts names;
		for (const auto& entry : std::filesystem::directory_iterator(fPath))
			names.push_back(entry.path().filename().string());
		std::sort(names.begin(), names.end());
		return names;
	}

private:
	std::string fPath;
};

inline entry_ref RefFor(const std::string& path)
{
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
	return ref;
}

inline std::string Contents(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream bytes;
	bytes << in.rdbuf();
	return bytes.str();
}

inline void WriteContents(const std::string& path, const std::string& bytes)
{
	std::ofstream(path, std::ios::binary) << bytes;
}

// The uid of a second user of this machine, made (with useradd) the first
// time when we are root; -1 when we are not, or it cannot be made.
inline uid_t SecondUser()
{
	static const char kName[] = "cvab-watcher";
	if (geteuid() != 0)
		return static_cast<uid_t>(-1);
	if (const struct passwd* user = getpwnam(kName))
		return user->pw_uid;
	// Tests running at once may both try: whichever made it, it is there.
	(void)!std::system("useradd --system --no-create-home --shell /usr/sbin/nologin "
		"cvab-watcher >/dev/null 2>&1");
	const struct passwd* user = getpwnam(kName);
	return user != nullptr ? user->pw_uid : static_cast<uid_t>(-1);
}

// Runs body in a child process as the user uid (and that user's group).
inline int AsUser(uid_t uid, const std::function<int()>& body)
{
	const pid_t pid = fork();
	if (pid == 0) {
		const struct passwd* user = getpwuid(uid);
		if (user == nullptr || setgroups(0, nullptr) != 0 || setgid(user->pw_gid) != 0
			|| setuid(uid) != 0)
			_exit(99);
		_exit(body());
	}
	int status = 0;
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// The id of a process of this host that has ended.
inline pid_t GonePid()
{
	const pid_t child = fork();
	if (child == 0)
		_exit(0);
	waitpid(child, nullptr, 0);
	return child;
}

// Runs body in a child process, as an unprivileged user when asked and we are
// root, and returns its exit code.
inline int InChild(const std::function<int()>& body, bool unprivileged = false)
{
	const pid_t pid = fork();
	if (pid == 0) {
		if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
			_exit(99);
		_exit(body());
	}
	int status = 0;
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

#endif
