#include "AppSettings.h"

#include <TypeConstants.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <sys/stat.h>

namespace {

const char kLastFileKey[] = "LastFileSaved";

// Settings files are shared between processes and may be damaged: a path is
// used only when it is a NUL-terminated absolute path of sane length whose
// folder exists.
bool SanePath(const void* data, ssize_t size, type_code type)
{
	if (type != B_STRING_TYPE || data == nullptr || size < 3 || size > PATH_MAX)
		return false;
	const char* text = static_cast<const char*>(data);
	if (text[size - 1] != '\0' || strlen(text) != static_cast<size_t>(size - 1) || text[0] != '/')
		return false;
	const std::string path(text);
	const std::string folder = path.substr(0, std::max<size_t>(path.rfind('/'), 1));
	struct stat info;
	return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

AppSettings::AppSettings(const char* appName, const char* setName)
{
	fInitStatus = PREFInit(appName, &fApp);
	if (fInitStatus == B_OK)
		fSetStatus = PREFLoadSet(fApp, setName, true, &fSet);
}

AppSettings::~AppSettings()
{
	if (fSetStatus == B_OK && fSet != nullptr) {
		PREFSaveSet(fSet);
		PREFDisposeSet(&fSet);
	}
	if (fInitStatus == B_OK)
		PREFShutdown(fApp);
}

std::string AppSettings::LastFile() const
{
	if (fSetStatus != B_OK)
		return std::string();
	const void* data = nullptr;
	ssize_t size = 0;
	type_code type = 0;
	if (PREFGetData(fSet, kLastFileKey, &data, &size, &type) != B_OK
		|| !SanePath(data, size, type))
		return std::string();
	return static_cast<const char*>(data);
}

void AppSettings::SetLastFile(const std::string& path)
{
	if (fSetStatus != B_OK || path.empty())
		return;
	PREFSetData(fSet, kLastFileKey, path.c_str(), static_cast<ssize_t>(path.size() + 1),
		B_STRING_TYPE);
}
