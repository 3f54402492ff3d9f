// The log of merge conflicts: one line per conflict appended to
// $XDG_STATE_HOME/cvab/conflicts.log (~/.local/state when the variable is unset
// or not an absolute path), so that a value the merge did not keep can still be
// found. A line names the time, the book, the record (id, nickname, first and
// last name), the field and both values, each text in double quotes with
// backslash escapes, so a value cannot start a line of its own:
//   2025-06-01T12:00:00+0200 "/home/ann/friends" 0f8f...-... "joe" "Joe" "Smith"
//     "Email 1": mine "joe@a.example", theirs "joe@b.example"; kept mine
//   ... "joe" "Joe" "Smith": deleted in mine, changed in theirs; kept theirs
//   ... "joe" "Joe" "Smith": missing in theirs, which could not be read whole; kept mine
// (each one line).
// Threading: any thread; each append is one write to a file opened for
// appending, so lines from several programs do not interleave.
#ifndef _CONFLICT_LOG_H
#define _CONFLICT_LOG_H

#include "BookMerge.h"

#include <SupportDefs.h>

#include <ctime>
#include <string>
#include <vector>

// The program's folder in the user's state folder, where the conflict log
// and the sync states live.
std::string CvabStateFolder();
// Makes every missing folder on the way to path (which names a folder), each
// one for the user alone.
status_t MakePrivateFolders(const std::string& path);

std::string ConflictLogPath();

// text in double quotes: a quote and a backslash take a backslash before them,
// a TAB, line feed and carriage return are written \t \n \r and other control
// bytes \xHH; every other byte is kept.
std::string QuoteLogText(std::string_view text);

// One line, line feed included, for a conflict in the book at bookPath.
std::string ConflictLogLine(time_t when, const std::string& bookPath,
	const merge_conflict& conflict);

// Appends a line for each conflict, creating the folders and the file (for
// the user alone) as needed. Nothing to append is no error.
status_t AppendConflictLog(const std::string& bookPath,
	const std::vector<merge_conflict>& conflicts);

#endif
