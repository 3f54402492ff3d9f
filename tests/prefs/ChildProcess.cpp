#include "ChildProcess.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const kPassedOn[] = {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"};

int TemporaryFile(std::string* path)
{
	char name[] = "/tmp/cvab-prefs-child-XXXXXX";
	const int fd = mkstemp(name);
	*path = name;
	return fd;
}

}  // namespace

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
	std::vector<std::string> environment)
{
	for (const char* name : kPassedOn) {
		if (const char* value = std::getenv(name))
			environment.push_back(std::string(name) + "=" + value);
	}
	std::string outPath, errPath;
	const int outFd = TemporaryFile(&outPath);
	const int errFd = TemporaryFile(&errPath);

	std::vector<char*> argv{const_cast<char*>(program.c_str())};
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(nullptr);
	std::vector<char*> envp;
	for (const std::string& variable : environment)
		envp.push_back(const_cast<char*>(variable.c_str()));
	envp.push_back(nullptr);

	ChildResult result;
	const pid_t pid = fork();
	if (pid == 0) {
		dup2(outFd, STDOUT_FILENO);
		dup2(errFd, STDERR_FILENO);
		execve(program.c_str(), argv.data(), envp.data());
		_exit(127);
	}
	int status = 0;
	if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
		result.exitStatus = WEXITSTATUS(status);
	close(outFd);
	close(errFd);
	result.out = ReadWholeFile(outPath);
	result.err = ReadWholeFile(errPath);
	unlink(outPath.c_str());
	unlink(errPath.c_str());
	return result;
}

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
