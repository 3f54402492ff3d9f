// Sections: the text; reading it back; where journals are kept.
#include "BookJournal.h"

#include "BookPaths.h"
#include "ConflictLog.h"
#include "ReplacingFile.h"

#include <Errors.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kFirstLine[] = "cvab-journal 1\n";
const char kDigestLabel[] = "sha256:";
// Larger files are not read: far more than a book of the largest size the
// program opens could need.
constexpr off_t kLargestJournal = off_t(1) << 30;
constexpr size_t kRecordTabs = 20;

// A path on one line: TAB, line feed and backslash escaped.
std::string Escaped(std::string_view text)
{
	std::string escaped;
	for (const char c : text) {
		if (c == '\t')
			escaped += "\\t";
		else if (c == '\n')
			escaped += "\\n";
		else if (c == '\\')
			escaped += "\\\\";
		else
			escaped += c;
	}
	return escaped;
}

std::string Unescaped(std::string_view text)
{
	std::string plain;
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] != '\\' || i + 1 == text.size()) {
			plain += text[i];
			continue;
		}
		const char next = text[++i];
		plain += next == 't' ? '\t' : next == 'n' ? '\n' : next;
	}
	return plain;
}

void AppendItem(const journal_item& item, std::string* text)
{
	const std::string id = RecordIdText(item.id);
	switch (item.kind) {
		case journal_item_kind::kKept:
			*text += "=\t" + std::to_string(item.first) + "\t" + std::to_string(item.last) + "\n";
			return;
		case journal_item_kind::kChanged:
			*text += "*\t" + std::to_string(item.first) + "\t" + id + "\t" + item.line + "\n";
			break;
		case journal_item_kind::kAdded:
			*text += "+\t" + id + "\t" + item.line + "\n";
			return;
		case journal_item_kind::kDeleted:
			*text += "-\t" + std::to_string(item.first) + "\t" + id + "\n";
			break;
	}
	if (item.beforeKnown)
		*text += "<\t" + item.before + "\n";
}

}  // namespace

// --- the text

std::string JournalText(const book_journal& journal)
{
	std::string text = kFirstLine;
	text += "book\t" + Escaped(journal.book) + "\n";
	if (journal.hasBase) {
		text += "base\t" + std::string(kDigestLabel) + Sha256Text(journal.base) + "\t"
			+ std::to_string(journal.baseRecords) + "\n";
	} else {
		text += "base\tnone\n";
	}
	text += "writer\t" + journal.writer.host + "\t" + std::to_string(journal.writer.pid) + "\t"
		+ std::to_string(journal.writer.start) + "\n";
	for (const journal_item& item : journal.items)
		AppendItem(item, &text);
	return text + "end\t" + kDigestLabel + Sha256Text(Sha256Of(text)) + "\n";
}

// --- reading it back

namespace {

// A line cut at its TABs: at most count parts, the last taking the rest.
std::vector<std::string_view> Parts(std::string_view line, size_t count)
{
	std::vector<std::string_view> parts;
	while (parts.size() + 1 < count) {
		const size_t tab = line.find('\t');
		if (tab == std::string_view::npos)
			break;
		parts.push_back(line.substr(0, tab));
		line.remove_prefix(tab + 1);
	}
	parts.push_back(line);
	return parts;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number* number)
{
	const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *number);
	return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseDigest(std::string_view text, sha256_digest* digest)
{
	const size_t label = sizeof(kDigestLabel) - 1;
	return text.substr(0, label) == kDigestLabel && ParseSha256(text.substr(label), digest)
		&& text.size() == label + kSha256TextLength;
}

bool IsRecord(std::string_view line)
{
	return static_cast<size_t>(std::count(line.begin(), line.end(), '\t')) == kRecordTabs;
}

class JournalParser {
public:
	explicit JournalParser(book_journal* journal)
		: fJournal(journal)
	{
	}

	// The header lines come once each, in the order the writer writes them.
	bool Header(int index, std::string_view line)
	{
		static constexpr std::string_view kHeaders[] = {"book", "base", "writer"};
		const std::vector<std::string_view> parts = Parts(line, 4);
		if (parts[0] != kHeaders[index])
			return false;
		if (parts[0] == "book" && parts.size() == 2) {
			fJournal->book = Unescaped(parts[1]);
			return true;
		}
		if (parts[0] == "base" && parts.size() == 2 && parts[1] == "none")
			return true;
		if (parts[0] == "base" && parts.size() == 3) {
			fJournal->hasBase = true;
			return ParseDigest(parts[1], &fJournal->base)
				&& ParseNumber(parts[2], &fJournal->baseRecords);
		}
		if (parts[0] != "writer" || parts.size() != 4 || parts[1].empty())
			return false;
		writer_process& writer = fJournal->writer;
		writer.host = parts[1];
		return ParseNumber(parts[2], &writer.pid) && ParseNumber(parts[3], &writer.start);
	}

	bool Item(std::string_view line)
	{
		std::vector<journal_item>& items = fJournal->items;
		if (line.starts_with("<\t")) {
			const std::string_view before = line.substr(2);
			if (items.empty() || items.back().beforeKnown || !IsRecord(before)
				|| (items.back().kind != journal_item_kind::kChanged
					&& items.back().kind != journal_item_kind::kDeleted))
				return false;
			items.back().beforeKnown = true;
			items.back().before = before;
			return true;
		}
		journal_item item;
		if (!_Item(line, &item))
			return false;
		items.push_back(std::move(item));
		return true;
	}

private:
	bool _Position(std::string_view text, uint32* position) const
	{
		return ParseNumber(text, position) && *position < fJournal->baseRecords;
	}

	bool _Item(std::string_view line, journal_item* item) const
	{
		const std::vector<std::string_view> parts = Parts(line, 4);
		const std::string_view kind = parts[0];
		if (kind == "=" && parts.size() == 3) {
			item->kind = journal_item_kind::kKept;
			return _Position(parts[1], &item->first) && _Position(parts[2], &item->last)
				&& item->first <= item->last;
		}
		if ((kind == "*" && parts.size() == 4 && IsRecord(parts[3]))
			|| (kind == "-" && parts.size() == 3)) {
			item->kind = kind == "*" ? journal_item_kind::kChanged : journal_item_kind::kDeleted;
			if (parts.size() == 4)
				item->line = parts[3];
			if (!_Position(parts[1], &item->first) || !ParseRecordId(parts[2], &item->id))
				return false;
			item->last = item->first;
			return true;
		}
		const std::vector<std::string_view> added = Parts(line, 3);
		if (kind != "+" || added.size() != 3 || !IsRecord(added[2]))
			return false;
		item->kind = journal_item_kind::kAdded;
		item->line = added[2];
		return ParseRecordId(added[1], &item->id);
	}

	book_journal* const fJournal;
};

}  // namespace

bool ParseJournal(std::string_view text, book_journal* journal)
{
	*journal = book_journal();
	// The last line names the digest of everything before it.
	const size_t endLine = text.size() >= 2 ? text.rfind('\n', text.size() - 2) : std::string_view::npos;
	sha256_digest digest;
	if (!text.starts_with(kFirstLine) || !text.ends_with('\n') || endLine == std::string_view::npos
		|| text.substr(endLine + 1, 4) != "end\t"
		|| !ParseDigest(text.substr(endLine + 5, text.size() - endLine - 6), &digest)
		|| Sha256Of(text.substr(0, endLine + 1)) != digest)
		return false;
	JournalParser parser(journal);
	std::string_view rest = text.substr(sizeof(kFirstLine) - 1, endLine + 1 - (sizeof(kFirstLine) - 1));
	for (int header = 0; header < 3; header++) {
		const size_t feed = rest.find('\n');
		if (feed == std::string_view::npos || !parser.Header(header, rest.substr(0, feed)))
			return false;
		rest.remove_prefix(feed + 1);
	}
	while (!rest.empty()) {
		const size_t feed = rest.find('\n');
		if (!parser.Item(rest.substr(0, feed)))
			return false;
		rest.remove_prefix(feed + 1);
	}
	return true;
}

status_t ReadJournalFile(const std::string& path, book_journal* journal)
{
	const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0)
		return errno == ENOENT ? B_ENTRY_NOT_FOUND : status_from_errno(errno);
	struct stat info;
	std::string text;
	status_t status = fstat(fd, &info) == 0 ? B_OK : status_from_errno(errno);
	// Another user's file there may say anything: only ours is believed.
	if (status == B_OK && (!S_ISREG(info.st_mode) || info.st_uid != getuid()
			|| info.st_size > kLargestJournal))
		status = B_BAD_DATA;
	if (status == B_OK)
		status = ReadWholeFd(fd, &text);
	close(fd);
	if (status == B_OK && !ParseJournal(text, journal))
		status = B_BAD_DATA;
	return status;
}

// --- where journals are kept

namespace {

std::string JournalFolder()
{
	return CvabStateFolder() + "/journals";
}

std::string PathKey(const std::string& path)
{
	return Sha256Text(Sha256Of(path)).substr(0, 32);
}

bool LeftBehind(const std::string& path, book_journal* journal)
{
	return ReadJournalFile(path, journal) == B_OK && WriterGone(journal->writer);
}

}  // namespace

std::string JournalBeside(const std::string& bookPath)
{
	return HiddenPathBeside(bookPath, kJournalSuffix);
}

std::string JournalInStateFolder(const std::string& bookPath)
{
	return JournalFolder() + "/book-" + PathKey(bookPath) + kJournalSuffix;
}

std::string ImportJournalPath(const std::string& sourcePath)
{
	return JournalFolder() + "/import-" + PathKey(sourcePath) + kJournalSuffix;
}

std::string NewBookJournalPath()
{
	static std::atomic<uint32> counter{0};
	const writer_process self = ThisWriter();
	return JournalFolder() + "/new-" + self.host + "-" + std::to_string(self.pid) + "-"
		+ std::to_string(counter++) + kJournalSuffix;
}

status_t MakeJournalFolder()
{
	return MakePrivateFolders(JournalFolder());
}

std::string FindLeftJournal(const std::string& bookPath, bool imported)
{
	book_journal journal;
	if (imported)
		return LeftBehind(ImportJournalPath(bookPath), &journal) ? ImportJournalPath(bookPath) : "";
	// One without a base beside a book is of a window whose file was deleted.
	for (const std::string& path : {JournalBeside(bookPath), JournalInStateFolder(bookPath)}) {
		if (LeftBehind(path, &journal))
			return path;
	}
	return std::string();
}

std::vector<std::string> FindLeftNewBookJournals()
{
	std::vector<std::string> found;
	DIR* folder = opendir(JournalFolder().c_str());
	if (folder == nullptr)
		return found;
	while (const dirent* entry = readdir(folder)) {
		const std::string_view name = entry->d_name;
		const std::string path = JournalFolder() + "/" + entry->d_name;
		book_journal journal;
		if (name.starts_with("new-") && name.ends_with(kJournalSuffix)
			&& LeftBehind(path, &journal) && !journal.hasBase)
			found.push_back(path);
	}
	closedir(folder);
	std::sort(found.begin(), found.end());
	return found;
}
