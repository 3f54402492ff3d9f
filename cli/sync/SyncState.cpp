#include "SyncState.h"

#include <BookFields.h>
#include <ConflictLog.h>
#include <RecordIdIndex.h>
#include <ReplacingFile.h>

#include <Errors.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <unordered_set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kHeader[] = "cvab-sync state 1\n";

// Backslash escapes for the bytes a line of the file cannot hold; TABs may
// stay when they separate the fields of a book line.
void AppendEscaped(std::string* out, std::string_view text, bool keepTabs = false)
{
	for (const char c : text) {
		switch (c) {
			case '\\': out->append("\\\\"); break;
			case '\n': out->append("\\n"); break;
			case '\r': out->append("\\r"); break;
			case '\t': out->append(keepTabs ? "\t" : "\\t"); break;
			default: out->push_back(c);
		}
	}
}

bool Unescape(std::string_view text, std::string* out)
{
	out->clear();
	if (text.find('\\') == std::string_view::npos) {
		out->assign(text);
		return true;
	}
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] != '\\') {
			out->push_back(text[i]);
			continue;
		}
		if (++i == text.size())
			return false;
		const char c = text[i];
		if (c != '\\' && c != 'n' && c != 'r' && c != 't')
			return false;
		out->push_back(c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : '\\');
	}
	return true;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number* number)
{
	const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *number);
	return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Splits line at its first count - 1 TABs; false when it has fewer.
bool SplitColumns(std::string_view line, std::string_view* columns, size_t count)
{
	for (size_t i = 0; i + 1 < count; i++) {
		const size_t tab = line.find('\t');
		if (tab == std::string_view::npos)
			return false;
		columns[i] = line.substr(0, tab);
		line.remove_prefix(tab + 1);
	}
	columns[count - 1] = line;
	return true;
}

bool ParseEntry(std::string_view line, sync_entry* entry)
{
	std::string_view columns[8];
	if (!SplitColumns(line, columns, 8))
		return false;
	// The fields: a book line of exactly 21 columns.
	const std::string_view fields = columns[7];
	if (static_cast<size_t>(std::count(fields.begin(), fields.end(), '\t')) != kBookFieldCount - 1)
		return false;
	return ParseRecordId(columns[0], &entry->id) && ParseSha256(columns[1], &entry->digest)
		&& ParseNumber(columns[2], &entry->stat.size)
		&& ParseNumber(columns[3], &entry->stat.modified)
		&& ParseNumber(columns[4], &entry->stat.inode) && Unescape(columns[5], &entry->uid)
		&& Unescape(columns[6], &entry->file) && !entry->file.empty()
		&& Unescape(fields, &entry->fields);
}

// Whether two entries share an id or a card file.
bool HasRepeats(const std::vector<sync_entry>& entries)
{
	std::unordered_set<std::string_view> files;
	files.reserve(entries.size());
	for (const sync_entry& entry : entries) {
		if (!files.insert(entry.file).second)
			return true;
	}
	return RecordIdIndex(entries.empty() ? nullptr : &entries[0].id, entries.size(),
		sizeof(sync_entry)).HasRepeats();
}

// The state's folder: beside the conflict log, in the user's state folder.
std::string StateFolder()
{
	return CvabStateFolder() + "/sync";
}

}  // namespace

SyncState::SyncState(std::string bookPath, std::string folderPath)
	: fBook(std::move(bookPath)),
	  fFolder(std::move(folderPath)),
	  fPath(StateFolder() + "/" + Sha256Text(Sha256Of(fBook + '\0' + fFolder)) + ".state")
{
}

std::string SyncState::Text(const std::vector<sync_entry>& entries) const
{
	std::string text = kHeader;
	text.reserve(entries.size() * 256 + 256);
	text += "book\t";
	AppendEscaped(&text, fBook);
	text += "\nfolder\t";
	AppendEscaped(&text, fFolder);
	text += '\n';
	char id[kRecordIdTextLength];
	char digest[kSha256TextLength];
	for (const sync_entry& entry : entries) {
		FormatRecordId(entry.id, id);
		FormatSha256(entry.digest, digest);
		text.append(id, sizeof(id)).append("\t").append(digest, sizeof(digest));
		text.append("\t" + std::to_string(entry.stat.size) + "\t"
			+ std::to_string(entry.stat.modified) + "\t" + std::to_string(entry.stat.inode) + "\t");
		AppendEscaped(&text, entry.uid);
		text += '\t';
		AppendEscaped(&text, entry.file);
		text += '\t';
		AppendEscaped(&text, entry.fields, true);
		text += '\n';
	}
	const std::string end = "end\t" + std::to_string(entries.size()) + "\t"
		+ Sha256Text(Sha256Of(text)) + "\n";
	return text + end;
}

bool SyncState::Parse(std::string_view text, std::vector<sync_entry>* entries,
	std::string* problem) const
{
	entries->clear();
	const auto fail = [problem, entries](const char* what) {
		*problem = what;
		entries->clear();
		return false;
	};
	if (text.empty() || text.back() != '\n')
		return fail("it is cut short");
	const size_t endLine = text.rfind('\n', text.size() - 2) + 1;
	std::string_view end[3];
	size_t count = 0;
	if (!SplitColumns(text.substr(endLine, text.size() - endLine - 1), end, 3) || end[0] != "end"
		|| !ParseNumber(end[1], &count))
		return fail("it is cut short");
	const std::string_view body = text.substr(0, endLine);
	if (end[2] != Sha256Text(Sha256Of(body)))
		return fail("its digest does not match what it holds");
	std::string expected = kHeader;
	expected += "book\t";
	AppendEscaped(&expected, fBook);
	expected += "\nfolder\t";
	AppendEscaped(&expected, fFolder);
	expected += '\n';
	if (!body.starts_with(expected))
		return fail("it belongs to another book or folder");
	entries->reserve(count);
	for (std::string_view rest = body.substr(expected.size()); !rest.empty();) {
		const size_t feed = rest.find('\n');
		sync_entry& entry = entries->emplace_back();
		if (!ParseEntry(rest.substr(0, feed), &entry))
			return fail("an entry is not well formed");
		rest.remove_prefix(feed + 1);
	}
	if (entries->size() != count)
		return fail("it does not hold as many entries as it says");
	if (HasRepeats(*entries))
		return fail("it names a record or a card twice");
	return true;
}

status_t SyncState::Read(std::vector<sync_entry>* entries, std::string* problem) const
{
	entries->clear();
	const int fd = open(fPath.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return errno == ENOENT ? B_ENTRY_NOT_FOUND : status_from_errno(errno);
	std::string text;
	const status_t status = ReadWholeFd(fd, &text);
	close(fd);
	if (status != B_OK)
		return status;
	if (!Parse(text, entries, problem)) {
		entries->clear();
		return B_BAD_DATA;
	}
	return B_OK;
}

status_t SyncState::MakeFolder() const
{
	return MakePrivateFolders(StateFolder());
}

status_t SyncState::Write(const std::vector<sync_entry>& entries) const
{
	if (const status_t status = MakeFolder(); status != B_OK)
		return status;
	return ReplacingFile::WriteWhole(fPath, Text(entries));
}
