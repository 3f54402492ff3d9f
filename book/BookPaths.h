// The names of the files kept beside a book: ".NAME.SUFFIX" in the book's own
// folder (hidden, and never ending in the book's extension). A name too long
// for the file system keeps its first 200 bytes and a digest of the whole.
// Threading: pure functions; safe from any thread.
#ifndef _BOOK_PATHS_H
#define _BOOK_PATHS_H

#include <string>
#include <string_view>

// The suffixes of the journal of a book's unsaved changes and of the backup
// a save in place keeps while it writes.
extern const char kJournalSuffix[];  // ".cvabjournal"
extern const char kBackupSuffix[];   // ".cvabbackup-", a number follows

// The hidden name beside a book named leaf, e.g. ".friends.lock".
std::string HiddenNameBeside(std::string_view leaf, std::string_view suffix);
// The path of that name in the folder of bookPath.
std::string HiddenPathBeside(const std::string& bookPath, std::string_view suffix);
// The last component of path.
std::string_view LeafOf(std::string_view path);

#endif
