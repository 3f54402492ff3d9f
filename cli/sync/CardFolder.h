// A vCard folder (a "vdir"): one card a file, each named NAME.vcf. Lists its
// cards with what stat tells of them, reads them, and writes each through a
// hidden temporary file renamed over it, so that a program watching the
// folder (vdirsyncer, khard) never meets half a card nor takes the temporary
// file for one. Hidden files and files of other kinds are left alone.
// Threading: one thread at a time.
#ifndef _CARD_FOLDER_H
#define _CARD_FOLDER_H

#include "SyncState.h"

#include <NewFile.h>

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

struct folder_file {
	std::string name;
	card_stat stat;
};

class CardFolder {
public:
	explicit CardFolder(std::string path);
	~CardFolder();

	CardFolder(const CardFolder&) = delete;
	CardFolder& operator=(const CardFolder&) = delete;

	// Opens the folder: an error when it is missing or not a folder.
	status_t Open();
	const std::string& Path() const { return fPath; }

	// Its cards: regular files (links followed) named *.vcf, not hidden.
	// Temporary cards that a killed run left are removed on the way.
	status_t List(std::vector<folder_file>* files) const;
	status_t Read(const std::string& name, std::string* bytes, card_stat* stat) const;
	status_t Stat(const std::string& name, card_stat* stat) const;
	// Writes a card whole in place of any file of that name (keeping its
	// permissions); stat receives the new file's. A link is never written
	// through (its target may be outside the folder, anyone's): it is
	// replaced by a card of its own, and replacedLink (may be null) is set.
	// Not flushed: Flush makes every write so far lasting.
	status_t Write(const std::string& name, std::string_view bytes, card_stat* stat,
		bool* replacedLink = nullptr) const;
	// The same for a name the folder did not hold when it was listed, without
	// looking for a file of that name first.
	status_t WriteNew(const std::string& name, std::string_view bytes, card_stat* stat) const;
	status_t Remove(const std::string& name) const;
	status_t Flush() const;

	// The name of a new card: its UID made safe for a file name (letters,
	// digits and "-_.@+" kept, other bytes as '_'; a UID too long or empty by
	// a digest) and ".vcf", with "-2", "-3" ... when taken says it is used.
	static std::string NameFor(std::string_view uid,
		const std::function<bool(const std::string&)>& taken);

private:
	// Through a new file made as NewFile.h says, renamed over name.
	status_t _WriteThroughTemporary(const std::string& name, std::string_view bytes,
		const file_access& access, card_stat* stat) const;

	const std::string fPath;
	int fFd = -1;
};

#endif
