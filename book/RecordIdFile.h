// The records' ids on disk. They cannot live in an attribute (a file system
// may hold only a few KiB there), so they live in a hidden file beside the
// book, ".NAME.cvabids", in this text form:
//   <id> <SHA-256 of body line 1>        one line per body line, in order:
//   <id> <SHA-256 of body line 2>        the id as 36 characters of lower-case
//   ...                                  UUID text, one space, 64 lower-case
//   sha256:<SHA-256 of the whole body>   hex digits; a line's digest is of its
//                                        bytes without the line feed
// The book carries the attribute "CVABRecordIds", a plain string (not typed:
// `getfattr -n user.CVABRecordIds` shows it) naming that file and the body's
// digest: "<file name> sha256:<64 hex digits>". The file is trusted only when
// the attribute names it (this book's own, or, after a rename, that of a book
// no longer in the folder: a copy beside its original gets its own ids), the
// attribute's digest and the file's last line agree, and the file is well
// formed with no id twice; then:
//  - a body whose digest matches takes the ids in order;
//  - a body another program changed keeps the id of each line whose digest
//    is one in the file (equal lines paired in order); the rest get new ids.
// Anything else (no attribute, as after a plain copy; a missing, damaged or
// foreign file) gives every record a new id.
// Threading: pure functions and file reads; safe from any thread.
#ifndef _RECORD_ID_FILE_H
#define _RECORD_ID_FILE_H

#include "RecordId.h"
#include "Sha256.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

extern const char kRecordIdsAttrName[];  // "CVABRecordIds"
extern const char kRecordIdFileSuffix[]; // ".cvabids"

// The file's name beside a book named leaf: ".leaf.cvabids".
std::string RecordIdFileName(std::string_view leaf);

// The attribute's value, and its parts; ParseRecordIdsAttr is false for a
// value not of that form or whose file name is not a plain name in the folder.
std::string RecordIdsAttrValue(std::string_view fileName, const sha256_digest& body);
bool ParseRecordIdsAttr(std::string_view value, std::string* fileName, sha256_digest* body);

// The file's text for a body of lines with these ids and line digests.
std::string RecordIdFileText(const std::vector<record_id>& ids,
	const std::vector<sha256_digest>& lineDigests, const sha256_digest& body);

struct record_id_file {
	std::vector<record_id> ids;
	std::vector<sha256_digest> lineDigests;  // when asked for
	sha256_digest body;
};

// The id file beside the book at bookPath that its "CVABRecordIds" attribute,
// attrValue ("" when it has none), names, when it is to be trusted: false
// when there is none, or it is damaged in any way (a repeated or nil id
// included), or its digest is not the attribute's. file->body is then the
// digest of the body it was written for. Line digests are read only when
// withLineDigests.
bool ReadRecordIdFile(const std::string& bookPath, std::string_view attrValue,
	bool withLineDigests, record_id_file* file);

enum class record_ids_found {
	kNone,     // every line got a new id
	kByLine,   // the body changed: lines found in the file kept their ids
	kAll,      // the body is the one the file was written for
};

// The ids for the lines of a body (as BodyLines splits it) whose digest is
// digest, given the book's trusted id file as ReadRecordIdFile read it
// without line digests (null when there is none): its ids when the body is
// the one it was written for, else by line. Always one id per line, unique.
std::vector<record_id> SettleRecordIds(const std::string& bookPath, std::string_view attrValue,
	record_id_file* trusted, const std::vector<std::string_view>& lines,
	const sha256_digest& digest, record_ids_found* found = nullptr);

// Both steps for a body whose digest is known.
std::vector<record_id> RecordIdsForBody(const std::string& bookPath, std::string_view attrValue,
	std::string_view body, const sha256_digest& digest, record_ids_found* found = nullptr);

// The ids for the lines of a body the trusted file (read with its line
// digests) was not written for: each line whose digest is in the file keeps
// that line's id.
std::vector<record_id> RecordIdsByLine(const std::vector<std::string_view>& lines,
	const record_id_file& file);

// Pairs lines with earlier records by a key of their text: line i takes the
// id of the first unused donor whose key equals lineKeys[i] (equal keys pair
// in order); a line with none takes a new id. Donor ids must be unique.
template <typename Key>
std::vector<record_id> MatchIdsByKey(const std::vector<Key>& lineKeys,
	const std::vector<Key>& donorKeys, const std::vector<record_id>& donorIds);

// --- template definition

template <typename Key>
std::vector<record_id> MatchIdsByKey(const std::vector<Key>& lineKeys,
	const std::vector<Key>& donorKeys, const std::vector<record_id>& donorIds)
{
	// Donors sorted by key, equal keys in their own order; taken[start] counts
	// how many of the run beginning at start are used.
	std::vector<size_t> order(std::min(donorKeys.size(), donorIds.size()));
	for (size_t i = 0; i < order.size(); i++)
		order[i] = i;
	std::stable_sort(order.begin(), order.end(),
		[&](size_t a, size_t b) { return donorKeys[a] < donorKeys[b]; });
	std::vector<uint32> taken(order.size(), 0);
	std::vector<record_id> ids(lineKeys.size());
	NewRecordIds(ids.data(), ids.size());
	for (size_t line = 0; line < lineKeys.size(); line++) {
		const Key& key = lineKeys[line];
		const auto run = std::lower_bound(order.begin(), order.end(), key,
			[&](size_t donor, const Key& wanted) { return donorKeys[donor] < wanted; });
		if (run == order.end() || !(donorKeys[*run] == key))
			continue;
		const size_t start = run - order.begin();
		const size_t next = start + taken[start];
		if (next < order.size() && donorKeys[order[next]] == key) {
			ids[line] = donorIds[order[next]];
			taken[start]++;
		}
	}
	return ids;
}

#endif
