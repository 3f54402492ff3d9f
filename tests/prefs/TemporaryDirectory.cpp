#include "TemporaryDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TemporaryDirectory::TemporaryDirectory()
{
	char name[] = "/tmp/cvab-prefs-XXXXXX";
	if (mkdtemp(name) != nullptr)
		fPath = name;
}

TemporaryDirectory::~TemporaryDirectory()
{
	if (!fPath.empty()) {
		std::error_code ignored;
		std::filesystem::remove_all(fPath, ignored);
	}
}

std::string ReadWholeFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream content;
	content << in.rdbuf();
	return content.str();
}
