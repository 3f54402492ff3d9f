// Scratch directories and environment overrides for the storage tests.
#ifndef STORAGE_TEST_SUPPORT_H
#define STORAGE_TEST_SUPPORT_H

#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <iterator>
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
	std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

inline std::string read_file(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in), {});
}

#endif
