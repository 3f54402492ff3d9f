// Scratch directories and environment overrides for the storage tests.
#ifndef STORAGE_TEST_SUPPORT_H
#define STORAGE_TEST_SUPPORT_H

#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <optional>
#include <string>
#include <unistd.h>

// A fresh directory (its real path, links resolved) removed with its contents.
class TempDir {
public:
	TempDir()
	{
		char pattern[] = "/tmp/cvab-storage-XXXXXX";
		const char* made = mkdtemp(pattern);
		char resolved[4096];
		fPath = made != nullptr && realpath(made, resolved) != nullptr ? resolved : "";
	}
	~TempDir()
	{
		if (!fPath.empty()) {
			nftw(fPath.c_str(), [](const char* path, const struct stat*, int, struct FTW*) {
				return remove(path);
			}, 16, FTW_DEPTH | FTW_PHYS);
		}
	}
	const std::string& Path() const { return fPath; }
	std::string operator/(const std::string& leaf) const { return fPath + "/" + leaf; }

private:
	std::string fPath;
};

// Sets (or, with nullptr, clears) an environment variable for one scope.
class ScopedEnv {
public:
	ScopedEnv(const char* name, const char* value)
		: fName(name)
	{
		if (const char* old = std::getenv(name))
			fOld = old;
		if (value != nullptr)
			setenv(name, value, 1);
		else
			unsetenv(name);
	}
	~ScopedEnv()
	{
		if (fOld)
			setenv(fName.c_str(), fOld->c_str(), 1);
		else
			unsetenv(fName.c_str());
	}

private:
	std::string fName;
	std::optional<std::string> fOld;
};

inline void write_file(const std::string& path, const std::string& contents)
{
	const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	if (fd >= 0) {
		if (write(fd, contents.data(), contents.size()) < 0) {
			// The test that reads it back reports the fault.
		}
		close(fd);
	}
}

inline std::string read_file(const std::string& path)
{
	std::string contents;
	const int fd = open(path.c_str(), O_RDONLY);
	if (fd < 0)
		return contents;
	char buffer[4096];
	ssize_t got;
	while ((got = read(fd, buffer, sizeof(buffer))) > 0)
		contents.append(buffer, got);
	close(fd);
	return contents;
}

#endif
