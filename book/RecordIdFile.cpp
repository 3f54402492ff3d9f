// Sections: names and the attribute; the file's text; ids for a body.
#include "RecordIdFile.h"

#include "BookBody.h"
#include "BookPaths.h"
#include "RecordIdIndex.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char kRecordIdsAttrName[] = "CVABRecordIds";
const char kRecordIdFileSuffix[] = ".cvabids";

namespace {

const char kDigestLabel[] = "sha256:";
constexpr size_t kDigestLabelLength = sizeof(kDigestLabel) - 1;
// "<id> <digest>\n" and "sha256:<digest>\n".
constexpr size_t kIdLineLength = kRecordIdTextLength + 1 + kSha256TextLength + 1;
constexpr size_t kLastLineLength = kDigestLabelLength + kSha256TextLength + 1;
// Larger files are not read: a book of 2.5 million records has one this size.
constexpr off_t kLargestIdFile = off_t(256) << 20;

}  // namespace

// --- names and the attribute

std::string RecordIdFileName(std::string_view leaf)
{
	return HiddenNameBeside(leaf, kRecordIdFileSuffix);
}

std::string RecordIdsAttrValue(std::string_view fileName, const sha256_digest& body)
{
	return std::string(fileName) + " " + kDigestLabel + Sha256Text(body);
}

bool ParseRecordIdsAttr(std::string_view value, std::string* fileName, sha256_digest* body)
{
	constexpr size_t kTail = 1 + kDigestLabelLength + kSha256TextLength;
	if (value.size() <= kTail)
		return false;
	const std::string_view name = value.substr(0, value.size() - kTail);
	const std::string_view tail = value.substr(name.size());
	if (tail.substr(0, 1 + kDigestLabelLength) != std::string(" ") + kDigestLabel
		|| !ParseSha256(tail.substr(1 + kDigestLabelLength), body))
		return false;
	// A name only, in the book's own folder.
	if (name == "." || name == ".." || name.find('/') != std::string_view::npos
		|| name.find('\0') != std::string_view::npos)
		return false;
	*fileName = name;
	return true;
}

// --- the file's text

std::string RecordIdFileText(const std::vector<record_id>& ids,
	const std::vector<sha256_digest>& lineDigests, const sha256_digest& body)
{
	std::string text(ids.size() * kIdLineLength + kLastLineLength, '\0');
	char* out = text.data();
	for (size_t i = 0; i < ids.size(); i++) {
		FormatRecordId(ids[i], out);
		out[kRecordIdTextLength] = ' ';
		FormatSha256(lineDigests[i], out + kRecordIdTextLength + 1);
		out[kIdLineLength - 1] = '\n';
		out += kIdLineLength;
	}
	memcpy(out, kDigestLabel, kDigestLabelLength);
	FormatSha256(body, out + kDigestLabelLength);
	out[kLastLineLength - 1] = '\n';
	return text;
}

// --- ids for a body

namespace {

// Lines read from the file at a time: the file is parsed as it is read, so a
// large one never has to fit in memory whole.
constexpr size_t kLinesAtOnce = 8192;

bool ReadExactly(int fd, char* buffer, size_t size)
{
	while (size > 0) {
		const ssize_t got = read(fd, buffer, size);
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			return false;
		buffer += got;
		size -= static_cast<size_t>(got);
	}
	return true;
}

// "<id> <digest>\n"; the digest is read only when digest is not null.
bool ParseIdLine(std::string_view line, record_id* id, sha256_digest* digest)
{
	return ParseRecordId(line.substr(0, kRecordIdTextLength), id)
		&& line[kRecordIdTextLength] == ' ' && line.back() == '\n'
		&& (digest == nullptr
			|| ParseSha256(line.substr(kRecordIdTextLength + 1, kSha256TextLength), digest));
}

// The file the attribute names, open for reading, and how many id lines its
// size allows; -1 when it is missing, not a regular file, too large or of a
// size no such file has.
int OpenIdFile(const std::string& bookPath, const std::string& fileName, size_t* count)
{
	const std::string_view leaf = LeafOf(bookPath);
	const std::string path = bookPath.substr(0, bookPath.size() - leaf.size()) + fileName;
	// Never waits: a FIFO put in its place must not hold the reader up.
	const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
	struct stat info;
	if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
		|| info.st_size > kLargestIdFile || info.st_size < off_t(kLastLineLength)
		|| (size_t(info.st_size) - kLastLineLength) % kIdLineLength != 0) {
		if (fd >= 0)
			close(fd);
		return -1;
	}
	*count = (size_t(info.st_size) - kLastLineLength) / kIdLineLength;
	return fd;
}

// Whether the id file the attribute names may be this book's: its own name,
// or, for a book renamed since it was saved, the name of a book that is no
// longer there. A copy made with its attributes beside the book it copies
// still names the original's file, and must not share its ids.
bool NamedForThisBook(const std::string& bookPath, const std::string& fileName)
{
	const std::string_view leaf = LeafOf(bookPath);
	if (fileName == RecordIdFileName(leaf))
		return true;
	const size_t suffix = sizeof(kRecordIdFileSuffix) - 1;
	if (fileName.size() <= 1 + suffix || fileName[0] != '.'
		|| fileName.compare(fileName.size() - suffix, suffix, kRecordIdFileSuffix) != 0)
		return false;
	const std::string named = fileName.substr(1, fileName.size() - 1 - suffix);
	const std::string folder = bookPath.substr(0, bookPath.size() - leaf.size());
	struct stat info;
	return RecordIdFileName(named) == fileName && lstat((folder + named).c_str(), &info) != 0
		&& errno == ENOENT;
}

bool ReadIdLines(int fd, size_t count, bool withLineDigests, record_id_file* file)
{
	file->ids.resize(count);
	file->lineDigests.resize(withLineDigests ? count : 0);
	std::string block(std::min(count, kLinesAtOnce) * kIdLineLength, '\0');
	for (size_t done = 0; done < count;) {
		const size_t lines = std::min(count - done, kLinesAtOnce);
		if (!ReadExactly(fd, block.data(), lines * kIdLineLength))
			return false;
		for (size_t i = 0; i < lines; i++, done++) {
			if (!ParseIdLine(std::string_view(block).substr(i * kIdLineLength, kIdLineLength),
					&file->ids[done], withLineDigests ? &file->lineDigests[done] : nullptr))
				return false;
		}
	}
	char last[kLastLineLength + 1];
	const std::string_view lastLine(last, kLastLineLength);
	return ReadExactly(fd, last, kLastLineLength) && read(fd, last, 1) == 0
		&& lastLine.substr(0, kDigestLabelLength) == kDigestLabel && lastLine.back() == '\n'
		&& ParseSha256(lastLine.substr(kDigestLabelLength, kSha256TextLength), &file->body)
		&& !RecordIdIndex(file->ids.data(), count).HasRepeats();
}

}  // namespace

bool ReadRecordIdFile(const std::string& bookPath, std::string_view attrValue,
	bool withLineDigests, record_id_file* file)
{
	std::string fileName;
	sha256_digest named;
	size_t count = 0;
	if (!ParseRecordIdsAttr(attrValue, &fileName, &named)
		|| !NamedForThisBook(bookPath, fileName))
		return false;
	const int fd = OpenIdFile(bookPath, fileName, &count);
	if (fd < 0)
		return false;
	const bool read = ReadIdLines(fd, count, withLineDigests, file) && file->body == named;
	close(fd);
	return read;
}

std::vector<record_id> RecordIdsByLine(const std::vector<std::string_view>& lines,
	const record_id_file& file)
{
	std::vector<sha256_digest> lineDigests(lines.size());
	for (size_t i = 0; i < lines.size(); i++)
		lineDigests[i] = Sha256Of(lines[i]);
	return MatchIdsByKey(lineDigests, file.lineDigests, file.ids);
}

std::vector<record_id> SettleRecordIds(const std::string& bookPath, std::string_view attrValue,
	record_id_file* trusted, const std::vector<std::string_view>& lines,
	const sha256_digest& digest, record_ids_found* found)
{
	record_ids_found kind = record_ids_found::kNone;
	std::vector<record_id> ids;
	record_id_file withLines;
	if (trusted != nullptr && digest == trusted->body && trusted->ids.size() == lines.size()) {
		kind = record_ids_found::kAll;
		ids = std::move(trusted->ids);
	} else if (trusted != nullptr && digest != trusted->body
		&& ReadRecordIdFile(bookPath, attrValue, true, &withLines)) {
		kind = record_ids_found::kByLine;
		ids = RecordIdsByLine(lines, withLines);
	} else {
		ids.resize(lines.size());
		NewRecordIds(ids.data(), ids.size());
	}
	if (found != nullptr)
		*found = kind;
	return ids;
}

std::vector<record_id> RecordIdsForBody(const std::string& bookPath, std::string_view attrValue,
	std::string_view body, const sha256_digest& digest, record_ids_found* found)
{
	record_id_file file;
	const bool trusted = ReadRecordIdFile(bookPath, attrValue, false, &file);
	return SettleRecordIds(bookPath, attrValue, trusted ? &file : nullptr,
		BodyLines(body.data(), body.size()), digest, found);
}
