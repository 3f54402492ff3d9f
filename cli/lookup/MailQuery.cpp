// Sections: the book last opened or saved; the answer.
#include "MailQuery.h"

#include "BookBody.h"
#include "LookupStatus.h"
#include "MuttQuery.h"
#include "PREF.h"
#include "PreferencesLoader.h"

#include <FindDirectory.h>
#include <Node.h>
#include <TypeConstants.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kAddressBookAppName[] = "x-vnd.tarvish-cvabdj";
const char kSettingsSetName[] = "settings";
const char kLastFileKey[] = "LastFileSaved";
const char kNoBookYet[] = "No address book to search: none has been opened or saved yet\n";

// --- the book last opened or saved

// Where the built-in preference store keeps the address book's set (see
// prefs/PreferenceSetPath.h), found without creating anything.
std::string SettingsFilePath()
{
	char directory[B_PATH_NAME_LENGTH];
	if (find_directory(B_USER_SETTINGS_DIRECTORY, -1, false, directory, sizeof(directory))
		!= B_OK)
		return std::string();
	return std::string(directory) + "/_LP_" + kAddressBookAppName + "/" + kSettingsSetName;
}

// The path of the book, or "" with *message saying why there is none. A query
// before any book must not leave a settings file behind, and loading a set
// creates its file: the built-in store is asked only when the file is there.
std::string LastBookPath(std::string* message)
{
	*message = kNoBookYet;
	const std::string settings = SettingsFilePath();
	struct stat st;
	if (LoadPreferencesLibrary() != B_OK && stat(settings.c_str(), &st) != 0 && errno == ENOENT)
		return std::string();
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	std::string path;
	if (PREFInit(kAddressBookAppName, &app) != B_OK
		|| PREFLoadSet(app, kSettingsSetName, true, &set) != B_OK) {
		*message = "The address book's settings cannot be read (" + OneLine(settings) + ")\n";
	} else {
		const void* data = nullptr;
		ssize_t size = 0;
		type_code type = 0;
		if (PREFGetData(set, kLastFileKey, &data, &size, &type) == B_OK
			&& type == B_STRING_TYPE && size > 1) {
			const char* text = static_cast<const char*>(data);
			path.assign(text, strnlen(text, size));
		}
		PREFDisposeSet(&set);
	}
	if (app != nullptr)
		PREFShutdown(app);
	return path;
}

// --- the answer

// The layout the file's type attribute names; none without one (or on a file
// system that keeps no attributes), for the typeless rule to decide.
std::optional<book_layout> StoredLayout(const std::string& path)
{
	BNode node(path.c_str());
	char type[kBookFileTypeSize + 8] = {};
	const ssize_t size = node.ReadAttr(kTypeAttrName, B_STRING_TYPE, 0, type, sizeof(type));
	if (size < 0)
		return std::nullopt;
	return LayoutForType(type, static_cast<size_t>(size));
}

// The book open for reading, or -1 with *message saying why. Opened without
// waiting and looked at through its descriptor: a pipe or a device put at the
// path, even between a look and the open, must never keep the mail client
// waiting.
int OpenBook(const std::string& path, std::string* message)
{
	const std::string named = "The address book " + OneLine(path);
	const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0) {
		*message = named + " cannot be opened: " + strerror(errno) + "\n";
		return -1;
	}
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
		*message = named + " is not a file\n";
		close(fd);
		return -1;
	}
	return fd;
}

void WriteAnswer(std::string_view text)
{
	fwrite(text.data(), 1, text.size(), stdout);
}

}  // namespace

int AnswerMailQuery(const char* word)
{
	std::string message;
	const std::string path = LastBookPath(&message);
	const int fd = path.empty() ? -1 : OpenBook(path, &message);
	if (fd < 0) {
		WriteOutput(message);
		return kExitNoMatch;
	}
	const int status = MuttQuery(word).Answer(fd, StoredLayout(path), path, WriteAnswer);
	close(fd);
	fflush(stdout);
	return status;
}
