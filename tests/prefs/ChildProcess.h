// Runs a test program in a fresh process with a controlled environment and hands
// back its exit status and what it wrote on standard output and standard error.
// Threading: the calling test's thread only.
#ifndef _CHILD_PROCESS_H
#define _CHILD_PROCESS_H

#include <string>
#include <vector>

struct ChildResult {
	int exitStatus = -1;  // -1 when the program did not exit normally
	std::string out;
	std::string err;
};

// environment holds "NAME=value" strings; the sanitizers' options are passed on.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
	std::vector<std::string> environment);

// A fresh directory under the temporary folder, removed when the object goes.
class TemporaryDirectory {
public:
	TemporaryDirectory();
	~TemporaryDirectory();
	const std::string& Path() const { return fPath; }

private:
	std::string fPath;
};

std::string ReadWholeFile(const std::string& path);

#endif
