#include "RecordSearch.h"

#include "CVABook.h"

const ABookRecord* RecordSearch::Start(const CVABook& book, std::string_view text)
{
	fKey = SearchKey(text.substr(0, UTF8CutLength(text.data(), text.size(), kFieldTextLength)));
	fRecord = book.FirstRecord();
	fSerial = fRecord != nullptr ? fRecord->Serial() : 0;
	fPosition = 0;
	fField = 0;
	return Continue(book);
}

const ABookRecord* RecordSearch::Continue(const CVABook& book)
{
	int32 field = 0;
	int32 position = fPosition;
	for (const ABookRecord* record = _ResumeRecord(book, &field); record != nullptr;
		 record = record->Next(), position++, field = 0) {
		for (; field < kBookFieldCount; field++) {
			const char* text = record->Field(field);
			if (*text != '\0' && fKey.IsIn(text)) {
				fRecord = record;
				fSerial = record->Serial();
				fPosition = position;
				fField = field + 1;
				return record;
			}
		}
	}
	fRecord = nullptr;
	fSerial = 0;
	return nullptr;
}

// Contains() looks at the address only, so a deleted record is never read; the
// serial tells a new record that reuses its memory, in this book or another.
const ABookRecord* RecordSearch::_ResumeRecord(const CVABook& book, int32* field) const
{
	if (fSerial == 0)
		return nullptr;
	if (book.Contains(fRecord) && fRecord->Serial() == fSerial) {
		*field = fField;
		return fRecord;
	}
	*field = 0;
	return book.RecordAt(fPosition);
}
