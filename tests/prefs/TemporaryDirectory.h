// A fresh directory under the temporary folder, removed with everything in it when
// the object goes. Threading: the owning test's thread only.
#ifndef _TEMPORARY_DIRECTORY_H
#define _TEMPORARY_DIRECTORY_H

#include <string>

class TemporaryDirectory {
public:
	TemporaryDirectory();
	~TemporaryDirectory();
	const std::string& Path() const { return fPath; }

private:
	std::string fPath;
};

// The file's bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

#endif
