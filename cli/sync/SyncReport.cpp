#include "SyncReport.h"

#include <ConflictLog.h>
#include <ContactText.h>

SyncReport::SyncReport(FILE* out, FILE* err, bool listChanges)
	: fOut(out),
	  fErr(err),
	  fList(listChanges)
{
}

std::string SyncReport::ContactName(std::string_view line)
{
	std::string_view fields[kBookFieldCount];
	SplitBookLine(line, fields);
	std::string name;
	for (const int32 field : {kFirstNameField, kMiddleNameField, kLastNameField}) {
		if (!fields[field].empty())
			AppendSeparated(&name, " ", fields[field]);
	}
	for (const int32 field : {kCompanyField, kNicknameField, kEmail1Field}) {
		if (TrimSpace(name).empty())
			name = fields[field];
	}
	return QuoteLogText(TrimSpace(name).empty() ? std::string_view("(no name)") : TrimSpace(name));
}

std::string SyncReport::ChangedFields(std::string_view before, std::string_view after)
{
	std::string_view old[kBookFieldCount];
	std::string_view now[kBookFieldCount];
	SplitBookLine(before, old);
	SplitBookLine(after, now);
	std::string names;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (old[field] != now[field])
			AppendSeparated(&names, ", ", kBookFieldNames[field]);
	}
	return names;
}

void SyncReport::BookChange(const char* what, std::string_view line, std::string_view before,
	std::string_view file)
{
	if (!fList)
		return;
	std::string text = std::string("book: ") + what + " " + ContactName(line);
	if (!before.empty())
		text += ": " + ChangedFields(before, line);
	if (!file.empty())
		text += " (from " + std::string(file) + ")";
	fprintf(fOut, "%s\n", text.c_str());
}

void SyncReport::CardChange(const char* what, std::string_view file, std::string_view line,
	std::string_view before)
{
	if (!fList)
		return;
	std::string text = std::string("card: ") + what + " " + std::string(file) + " "
		+ ContactName(line);
	if (!before.empty())
		text += ": " + ChangedFields(before, line);
	fprintf(fOut, "%s\n", text.c_str());
}

void SyncReport::Conflict(const merge_conflict& conflict, bool withWindow)
{
	fConflicts++;
	std::string name = conflict.firstName;
	if (!conflict.lastName.empty())
		AppendSeparated(&name, " ", conflict.lastName);
	if (TrimSpace(name).empty())
		name = conflict.nickname;
	std::string text = QuoteLogText(TrimSpace(name)) + ": ";
	// The sync's own merge has the book as "mine" and the card as "theirs";
	// its save, merged with a book another program saved meanwhile, has the
	// sync's book (the cards' values) as "mine".
	if (conflict.kind == conflict_kind::kBothChanged) {
		const std::string& kept = withWindow ? conflict.mine : conflict.theirs;
		const std::string& lost = withWindow ? conflict.theirs : conflict.mine;
		text += std::string(kBookFieldNames[conflict.field])
			+ (withWindow ? " was changed in the book meanwhile too" : " changed in the book and in its card")
			+ ": the card's " + QuoteLogText(kept) + " is kept, " + QuoteLogText(lost) + " is in "
			+ ConflictLogPath();
	} else if (conflict.kind == conflict_kind::kMissingInTheirs) {
		text += "missing from the book as another program left it, which could not be read "
			"whole: it stays";
	} else if (!withWindow) {
		text += conflict.kind == conflict_kind::kDeletedInMine
			? "deleted in the book but changed in its card: it is back in the book"
			: "its card was deleted but the record changed: the card is written again";
	} else {
		text += conflict.kind == conflict_kind::kDeletedInMine
			? "deleted as its card was, but changed in the book meanwhile: it stays"
			: "deleted in the book meanwhile, but changed in its card: it stays";
	}
	fprintf(fErr, "cvab-sync: conflict: %s\n", text.c_str());
}

void SyncReport::Problem(const std::string& text)
{
	fprintf(fErr, "cvab-sync: %s\n", text.c_str());
	fflush(fErr);
}

void SyncReport::Note(const std::string& text)
{
	fprintf(fOut, "%s\n", text.c_str());
}
