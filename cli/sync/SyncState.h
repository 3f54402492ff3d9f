// What cvab-sync remembers of one pair of book and vCard folder between runs:
// for each record synced, its card (UID, file name, digest of its bytes and
// its size, modification time and inode, so that an unchanged folder is
// checked by stat alone) and the record's fields as last synced, the common
// ancestor of the next run's three-way merge.
// One file per pair, $XDG_STATE_HOME/cvab/sync/<digest of both paths>.state,
// written through a temporary file and a rename. Its text:
//   cvab-sync state 1
//   book<TAB>/home/ann/friends.cvab
//   folder<TAB>/home/ann/.contacts/default
//   <id> <digest> <size> <mtime ns> <inode> <uid> <file> <21 fields>  (TABs between)
//   ...
//   end<TAB><entries><TAB><SHA-256 of every byte before this line>
// Texts have backslash escapes for backslash, TAB, line feed and carriage
// return. A file that is cut short, altered or not of this pair is damaged:
// it reads as no state, so that run pairs the two sides afresh.
// Threading: values and file calls; one thread at a time.
#ifndef _SYNC_STATE_H
#define _SYNC_STATE_H

#include <RecordId.h>
#include <Sha256.h>

#include <string>
#include <string_view>
#include <vector>

// A card file as stat tells it.
struct card_stat {
	int64 size = -1;
	int64 modified = 0;  // nanoseconds since the epoch
	uint64 inode = 0;

	bool operator==(const card_stat& other) const = default;
};

struct sync_entry {
	record_id id;
	std::string uid;
	std::string file;  // the card's name in the folder
	sha256_digest digest;  // of the card's bytes as last synced
	card_stat stat;
	std::string fields;  // the record's 21 fields as last synced, joined by TABs

	bool operator==(const sync_entry& other) const = default;
};

class SyncState {
public:
	// Absolute paths, links resolved.
	SyncState(std::string bookPath, std::string folderPath);

	// The state file, and the lock one run of the pair holds.
	const std::string& Path() const { return fPath; }

	// Makes the folder the state lives in, and its lock beside it.
	status_t MakeFolder() const;

	// B_OK; B_ENTRY_NOT_FOUND when the pair has no state yet; B_BAD_DATA when
	// it is damaged, with problem saying how; or the error reading it.
	status_t Read(std::vector<sync_entry>* entries, std::string* problem) const;
	// Writes the entries in place of the old state, creating the folders.
	status_t Write(const std::vector<sync_entry>& entries) const;

	std::string Text(const std::vector<sync_entry>& entries) const;
	bool Parse(std::string_view text, std::vector<sync_entry>* entries,
		std::string* problem) const;

private:
	const std::string fBook;
	const std::string fFolder;
	const std::string fPath;
};

#endif
