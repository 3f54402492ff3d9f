// Sections: names and the attribute; the file's text; ids for a body.
#include "RecordIdFile.h"

#include "BookBody.h"
#include "BookPaths.h"
#include "RecordIdIndex.h"
#include "ReplacingFile.h"

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

bool ParseRecordIdFile(std::string_view text, bool withLineDigests, record_id_file* file)
{
	if (text.size() < kLastLineLength || (text.size() - kLastLineLength) % kIdLineLength != 0)
		return false;
	const size_t count = (text.size() - kLastLineLength) / kIdLineLength;
	const std::string_view last = text.substr(count * kIdLineLength);
	if (last.substr(0, kDigestLabelLength) != kDigestLabel || last.back() != '\n'
		|| !ParseSha256(last.substr(kDigestLabelLength, kSha256TextLength), &file->body))
		return false;
	file->ids.resize(count);
	file->lineDigests.resize(withLineDigests ? count : 0);
	for (size_t i = 0; i < count; i++) {
		const std::string_view line = text.substr(i * kIdLineLength, kIdLineLength);
		if (!ParseRecordId(line.substr(0, kRecordIdTextLength), &file->ids[i])
			|| line[kRecordIdTextLength] != ' ' || line.back() != '\n')
			return false;
		if (withLineDigests
			&& !ParseSha256(line.substr(kRecordIdTextLength + 1, kSha256TextLength),
				&file->lineDigests[i]))
			return false;
	}
	return !RecordIdIndex(file->ids.data(), count).HasRepeats();
}

// --- ids for a body

namespace {

// The file the attribute names, read whole; false when it is missing, too
// large or not a regular file.
bool ReadIdFile(const std::string& bookPath, const std::string& fileName, std::string* text)
{
	const std::string_view leaf = LeafOf(bookPath);
	const std::string path = bookPath.substr(0, bookPath.size() - leaf.size()) + fileName;
	const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
	if (fd < 0)
		return false;
	struct stat info;
	bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kLargestIdFile;
	if (ok) {
		text->reserve(static_cast<size_t>(info.st_size));
		ok = ReadWholeFd(fd, text) == B_OK;
	}
	close(fd);
	return ok;
}

}  // namespace

bool ReadRecordIdFile(const std::string& bookPath, std::string_view attrValue,
	bool withLineDigests, record_id_file* file)
{
	std::string fileName;
	sha256_digest named;
	std::string text;
	return ParseRecordIdsAttr(attrValue, &fileName, &named)
		&& ReadIdFile(bookPath, fileName, &text)
		&& ParseRecordIdFile(text, withLineDigests, file) && file->body == named;
}

size_t CountWriterLines(std::string_view body)
{
	const size_t feeds = static_cast<size_t>(std::count(body.begin(), body.end(), '\n'));
	return feeds + (!body.empty() && body.back() != '\n');
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
	record_id_file* trusted, std::string_view body, const sha256_digest& digest,
	record_ids_found* found)
{
	record_ids_found kind = record_ids_found::kNone;
	std::vector<record_id> ids;
	record_id_file withLines;
	if (trusted != nullptr && digest == trusted->body
		&& trusted->ids.size() == CountWriterLines(body)) {
		kind = record_ids_found::kAll;
		ids = std::move(trusted->ids);
	} else if (trusted != nullptr && digest != trusted->body
		&& ReadRecordIdFile(bookPath, attrValue, true, &withLines)) {
		kind = record_ids_found::kByLine;
		ids = RecordIdsByLine(BodyLines(body.data(), body.size()), withLines);
	} else {
		ids.resize(BodyLines(body.data(), body.size()).size());
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
	return SettleRecordIds(bookPath, attrValue, trusted ? &file : nullptr, body, digest, found);
}
