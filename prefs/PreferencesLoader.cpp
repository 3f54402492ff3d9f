// The library search: the bare name first, then each element of "LIBRARY_PATH",
// where "%A/" stands for the application's directory. A library counts only when all
// 22 entry points resolve; the first missing name is the one line printed.
#include "PreferencesLoader.h"

#include <OS.h>
#include <image.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

const char* const kLibraryName = "libprefs.so";
const char* const kLibraryPathVariable = "LIBRARY_PATH";
const char* const kAppDirectoryPrefix = "%A/";
const size_t kAppDirectorySize = 1024;
const int32 kEntryCount = int32(PrefsEntry::Count);

const char* const kEntryNames[kEntryCount] = {
	"PREFVersion",
	"PREFInit",
	"PREFShutdown",
	"PREFLoadSet",
	"PREFSaveSet",
	"PREFReloadSet",
	"PREFDisposeSet",
	"PREFSetData",
	"PREFDelete",
	"PREFGetData",
	"PREFGetMessage",
	"PREFListApplications",
	"PREFDisposeApplicationCookie",
	"PREFListSets",
	"PREFDisposeSetCookie",
	"PREFBeginTransaction",
	"PREFEndTransaction",
	"PREFListen",
	"PREFListData",
	"PREFDisposeDataCookie",
	"PREFRemoveApp",
	"PREFRemoveSet",
};

// 0: not tried yet; positive: the library's image (calls go there);
// negative: loading failed for good (the built-in store answers).
int32 sLoaderState = 0;
FILE* sReportStream = nullptr;  // null: standard output
void* sEntries[kEntryCount];

std::unique_ptr<char[]> AllocateChars(size_t count)
{
	return std::unique_ptr<char[]>(new (std::nothrow) char[count]);
}

// Tries one "LIBRARY_PATH" element; stores the load's outcome in the state.
status_t TryPathElement(const char* element, size_t length)
{
	const bool inAppDirectory = length >= std::strlen(kAppDirectoryPrefix)
		&& std::strncmp(element, kAppDirectoryPrefix, std::strlen(kAppDirectoryPrefix)) == 0;
	const size_t size = kAppDirectorySize + length + 1 + std::strlen(kLibraryName) + 1;
	std::unique_ptr<char[]> path = AllocateChars(size);
	if (!path)
		return B_NO_MEMORY;
	path[0] = '\0';
	if (inAppDirectory) {
		const status_t status = GetApplicationDirectory(path.get(), kAppDirectorySize);
		if (status != B_OK)
			return status;
		// From the element's "/" on: the directory keeps its own trailing slash.
		element += std::strlen(kAppDirectoryPrefix) - 1;
		length -= std::strlen(kAppDirectoryPrefix) - 1;
	}
	std::strncat(path.get(), element, length);
	std::strcat(path.get(), "/");
	std::strcat(path.get(), kLibraryName);
	sLoaderState = load_add_on(path.get());
	return B_OK;
}

// Walks "LIBRARY_PATH" until an element loads. B_OK when one did.
status_t WalkLibraryPath()
{
	const char* variable = std::getenv(kLibraryPathVariable);
	if (variable == nullptr)
		return sLoaderState;
	// A copy, so the walk does not depend on the environment changing under it.
	const size_t variableLength = std::strlen(variable);
	std::unique_ptr<char[]> copy = AllocateChars(variableLength + 1);
	if (!copy)
		return B_NO_MEMORY;
	std::memcpy(copy.get(), variable, variableLength + 1);

	const char* element = copy.get();
	while (*element != '\0') {
		const size_t length = std::strcspn(element, ":");
		if (length > 0) {
			const status_t status = TryPathElement(element, length);
			if (status != B_OK)
				return status;
			if (sLoaderState > 0)
				return B_OK;
		}
		element += length;
		if (*element == ':')
			element++;
	}
	return sLoaderState;
}

status_t ResolveEntries(image_id image)
{
	// Until every name resolved the built-in store answers, and it stays so.
	sLoaderState = -1;
	for (int32 index = 0; index < kEntryCount; index++) {
		const status_t status = get_image_symbol(image, kEntryNames[index],
			B_SYMBOL_TYPE_TEXT, &sEntries[index]);
		if (status != B_OK) {
			FILE* report = sReportStream != nullptr ? sReportStream : stdout;
			std::fprintf(report, "%s\n", kEntryNames[index]);
			std::fflush(report);
			return status;
		}
	}
	sLoaderState = image;
	return B_OK;
}

}  // namespace

status_t LoadPreferencesLibrary()
{
	if (sLoaderState < 0)
		return sLoaderState;
	if (sLoaderState > 0)
		return B_OK;

	sLoaderState = load_add_on(kLibraryName);
	if (sLoaderState < 0) {
		const status_t status = WalkLibraryPath();
		if (status != B_OK)
			return status;
	}
	return ResolveEntries(sLoaderState);
}

status_t GetApplicationDirectory(char* dst, int32 size)
{
	if (dst == nullptr || size <= 0)
		return B_BAD_VALUE;
	thread_info thread;
	const status_t status = get_thread_info(find_thread(nullptr), &thread);
	if (status != B_OK)
		return status;

	int32 cookie = 0;
	image_info image;
	while (get_next_image_info(thread.team, &cookie, &image) == B_OK) {
		if (image.type != B_APP_IMAGE)
			continue;
		std::strncpy(dst, image.name, size_t(size) - 1);
		dst[size - 1] = '\0';
		char* lastSlash = std::strrchr(dst, '/');
		if (lastSlash != nullptr)
			lastSlash[1] = '\0';
		else
			dst[0] = '\0';
		return B_OK;
	}
	return B_ERROR;
}

const char* PreferencesEntryName(PrefsEntry entry)
{
	return kEntryNames[int32(entry)];
}

void* PreferencesLibraryEntry(PrefsEntry entry)
{
	return sLoaderState > 0 ? sEntries[int32(entry)] : nullptr;
}

void SetPreferencesLoaderReport(FILE* stream)
{
	sReportStream = stream;
}
