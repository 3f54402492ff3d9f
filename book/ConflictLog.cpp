#include "ConflictLog.h"

#include "ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* SideName(merge_side side)
{
	return side == merge_side::kMine ? "mine" : "theirs";
}

std::string Timestamp(time_t when)
{
	struct tm local;
	char text[64] = "";
	if (localtime_r(&when, &local) != nullptr)
		strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%S%z", &local);
	return text;
}

}  // namespace

std::string CvabStateFolder()
{
	const char* state = getenv("XDG_STATE_HOME");
	if (state != nullptr && state[0] == '/')
		return std::string(state) + "/cvab";
	const char* home = getenv("HOME");
	return std::string(home != nullptr ? home : "") + "/.local/state/cvab";
}

status_t MakePrivateFolders(const std::string& path)
{
	for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
		const std::string part = path.substr(0, slash);
		if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
			return status_from_errno(errno);
		if (slash == std::string::npos)
			return B_OK;
	}
}

std::string ConflictLogPath()
{
	return CvabStateFolder() + "/conflicts.log";
}

std::string QuoteLogText(std::string_view text)
{
	std::string quoted = "\"";
	for (const char c : text) {
		const unsigned char byte = static_cast<unsigned char>(c);
		if (c == '"' || c == '\\') {
			quoted += '\\';
			quoted += c;
		} else if (c == '\t') {
			quoted += "\\t";
		} else if (c == '\n') {
			quoted += "\\n";
		} else if (c == '\r') {
			quoted += "\\r";
		} else if (byte < 0x20 || byte == 0x7f) {
			char escape[8];
			snprintf(escape, sizeof(escape), "\\x%02x", byte);
			quoted += escape;
		} else {
			quoted += c;
		}
	}
	return quoted + "\"";
}

std::string ConflictLogLine(time_t when, const std::string& bookPath,
	const merge_conflict& conflict)
{
	std::string line = Timestamp(when) + " " + QuoteLogText(bookPath) + " "
		+ RecordIdText(conflict.id) + " " + QuoteLogText(conflict.nickname) + " "
		+ QuoteLogText(conflict.firstName) + " " + QuoteLogText(conflict.lastName);
	switch (conflict.kind) {
		case conflict_kind::kBothChanged:
			line += " " + QuoteLogText(kBookFieldNames[conflict.field]) + ": mine "
				+ QuoteLogText(conflict.mine) + ", theirs " + QuoteLogText(conflict.theirs)
				+ "; kept " + SideName(conflict.kept);
			break;
		case conflict_kind::kDeletedInMine:
			line += ": deleted in mine, changed in theirs; kept theirs";
			break;
		case conflict_kind::kDeletedInTheirs:
			line += ": changed in mine, deleted in theirs; kept mine";
			break;
		case conflict_kind::kMissingInTheirs:
			line += ": missing in theirs, which could not be read whole; kept mine";
			break;
	}
	return line + "\n";
}

status_t AppendConflictLog(const std::string& bookPath,
	const std::vector<merge_conflict>& conflicts)
{
	if (conflicts.empty())
		return B_OK;
	const std::string path = ConflictLogPath();
	if (status_t status = MakePrivateFolders(CvabStateFolder()); status != B_OK)
		return status;
	const time_t now = time(nullptr);
	std::string lines;
	for (const merge_conflict& conflict : conflicts)
		lines += ConflictLogLine(now, bookPath, conflict);
	const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
	if (fd < 0)
		return status_from_errno(errno);
	const status_t status = WriteWholeFd(fd, lines);
	close(fd);
	return status;
}
