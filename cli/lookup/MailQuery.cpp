#include "MailQuery.h"

#include "BookBody.h"
#include "LookupStatus.h"
#include "MuttQuery.h"
#include "PREF.h"

#include <Node.h>
#include <TypeConstants.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char kAddressBookAppName[] = "x-vnd.tarvish-cvabdj";


std::string LastBookPath()
{
	PREFAppHandle app = nullptr;
	if (PREFInit(kAddressBookAppName, &app) != B_OK)
		return std::string();
	std::string path;
	PREFSetHandle set = nullptr;
	if (PREFLoadSet(app, "settings", true, &set) == B_OK) {
		const void* data = nullptr;
		ssize_t size = 0;
		type_code type = 0;
		if (PREFGetData(set, "LastFileSaved", &data, &size, &type) == B_OK
			&& type == B_STRING_TYPE && size > 1) {
			const char* text = static_cast<const char*>(data);
			path.assign(text, strnlen(text, size));
		}
		PREFDisposeSet(&set);
	}
	PREFShutdown(app);
	return path;
}

}  // namespace

int AnswerMailQuery(const char* word)
{
	const std::string path = LastBookPath();
	if (path.empty()) {
		WriteOutput("No address book to search\n");
		fprintf(stderr, "cvab-lookup: no book was opened or saved yet\n");
		return kExitFailed;
	}
	// Read as the address book reads it, but one record at a time: a document
	// of 10,000 records would cost more than the whole search.
	std::string body;
	const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	struct stat st;
	if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
		if (fd >= 0)
			close(fd);
		WriteOutput("No address book to search\n");
		fprintf(stderr, "cvab-lookup: %s: %s\n", path.c_str(), strerror(errno));
		return kExitFailed;
	}
	body.resize(st.st_size);
	size_t filled = 0;
	while (filled < body.size()) {
		const ssize_t got = read(fd, body.data() + filled, body.size() - filled);
		if (got <= 0)
			break;
		filled += got;
	}
	body.resize(filled);
	close(fd);
	BNode node(path.c_str());
	char type[kBookFileTypeSize + 8] = {};
	const ssize_t typeSize = node.ReadAttr(kTypeAttrName, B_STRING_TYPE, 0, type, sizeof(type));
	const book_layout layout = typeSize >= 0 ? LayoutForType(type, typeSize)
		: LayoutForTypelessBody(body.data(), body.size());
	const std::vector<mutt_match> matches = MuttQueryBody(body.data(), body.size(), layout,
		word);
	if (matches.empty()) {
		WriteOutput("No match for \"" + std::string(word) + "\" in Corvane Address Book\n");
		return kExitNoMatch;
	}
	WriteOutput("Corvane Address Book: " + std::to_string(matches.size()) + " match"
		+ (matches.size() == 1 ? "" : "es") + "\n" + FormatMuttMatches(matches));
	return kExitDone;
}

