// Gathers the values of one card or row for one record, so that every value
// that does not fit (no free field, cut to 40 bytes) is reported with the line
// and property it came from, under the name of the contact it belongs to.
// Threading: no lock; used by one reader in one thread.
#ifndef _RECORD_BUILDER_H
#define _RECORD_BUILDER_H

#include "BookFields.h"
#include "ConversionReport.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

class CVABook;

class RecordBuilder {
public:
	// kind and number name the item in notes: "card", 3 gives card 3 "Ann Lee".
	RecordBuilder(ConversionReport* report, const char* kind, int32 number);

	// Puts text into field when that is empty; otherwise the value is reported
	// as having no free field. Empty text is no value. Returns whether kept.
	bool Put(int32 field, std::string_view text, int32 line, std::string_view property);
	// Puts text into the first of fields that is empty.
	bool PutFirstFree(std::initializer_list<int32> fields, std::string_view text, int32 line,
		std::string_view property);
	// A note for "Comments" and "Comments 2": a short first line goes to the
	// first and the rest to the second; a long note runs on from one into the
	// other, broken at a space where that loses nothing. Line breaks become spaces.
	void PutNote(std::string_view text, int32 line, std::string_view property);
	// Reports a value that has no field at all.
	void NoField(std::string_view text, int32 line, std::string_view property);
	// A display name: splits into first, middle and last name when the record
	// gets none, otherwise reported only if it holds words the record lacks.
	void SetFullName(std::string_view text, int32 line, std::string_view property);
	// Any other note on this item (a property that could not be read, a guessed
	// character set), given out with the others in line order at Commit.
	void Note(note_kind kind, int32 line, std::string_view property, std::string text);
	// Words of the name already reported elsewhere (a prefix, a suffix).
	void AddReportedNameWords(std::string_view text);
	// The item has its name in parts (a vCard's N, even an empty one): the
	// display name is then never split into them.
	void SetHasNameParts() { fHasNameParts = true; }

	const std::string& Value(int32 field) const { return fFields[field]; }
	// The line the field's value came from, 0 when it has none.
	int32 FieldLine(int32 field) const { return fOrigins[field].line; }

	// Appends the record to book (raising its count), reporting texts cut to
	// 40 bytes, and hands the notes to the report. An item that gave no field
	// at all makes no record (false); its notes still count, and a note at
	// line says so.
	bool Commit(CVABook* book, int32 line);

	// "card 3 "Ann Lee"" as it stands now.
	std::string ItemName() const;

private:
	void Lose(int32 line, std::string_view property, std::string text)
	{
		Note(note_kind::kLoss, line, property, std::move(text));
	}
	void ApplyFullName();

	struct origin {
		int32 line = 0;
		std::string property;
	};
	struct pending_note {
		note_kind kind;
		int32 line;
		std::string property;
		std::string text;
	};

	ConversionReport* const fReport;
	const char* const fKind;
	const int32 fNumber;
	std::array<std::string, kBookFieldCount> fFields;
	std::array<origin, kBookFieldCount> fOrigins;
	std::vector<pending_note> fPending;
	std::string fFullName;
	origin fFullNameOrigin;
	std::string fReportedNameWords;
	bool fHasNameParts = false;
};

#endif
