// What cvab-sync tells its user: each change on standard output when asked
// (-v, --dry-run), one line a side:
//   book: add "Ann Lee" (from ann.vcf)
//   card: change ann.vcf "Ann Lee": Last Name, Cell Number
// and on standard error the conflicts (named with the conflict log) and the
// problems, each on a line of its own after "cvab-sync: ".
// Threading: the program's one thread.
#ifndef _SYNC_REPORT_H
#define _SYNC_REPORT_H

#include <BookMerge.h>

#include <cstdio>
#include <string>
#include <string_view>

class SyncReport {
public:
	SyncReport(FILE* out, FILE* err, bool listChanges);

	// A record or card added, changed or deleted; before is the old line of a
	// change (to name the fields), line the record's fields.
	void BookChange(const char* what, std::string_view line, std::string_view before,
		std::string_view file);
	void CardChange(const char* what, std::string_view file, std::string_view line,
		std::string_view before);
	void Conflict(const merge_conflict& conflict, bool withWindow);
	void Problem(const std::string& text);
	// A line for the user whatever is listed (a dry run's last word).
	void Note(const std::string& text);

	int32 Conflicts() const { return fConflicts; }

	// "Ann Lee" in quotes: the names, else company, nickname or e-mail.
	static std::string ContactName(std::string_view line);
	// The names of the fields that differ, "Last Name, Cell Number".
	static std::string ChangedFields(std::string_view before, std::string_view after);

private:
	FILE* const fOut;
	FILE* const fErr;
	const bool fList;
	int32 fConflicts = 0;
};

#endif
