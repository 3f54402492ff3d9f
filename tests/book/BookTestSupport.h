// Helpers shared by the book tests: a recording owner window and list checks.
#ifndef _BOOK_TEST_SUPPORT_H
#define _BOOK_TEST_SUPPORT_H

#include <CVABook.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Records the document's calls on its window and checks the lock around them.
class RecordingOwner : public BookOwner {
public:
	void BuildRecordList() override { built++; }
	void RemoveRecordList() override
	{
		removed++;
		removedWhileLocked = lockDepth > 0;
	}
	void ReloadList() override { reloads++; }
	bool Lock() override
	{
		lockDepth++;
		return true;
	}
	void Unlock() override { lockDepth--; }
	bool IsLocked() const override { return lockDepth > 0; }

	int built = 0;
	int removed = 0;
	int reloads = 0;
	int lockDepth = 0;
	bool removedWhileLocked = false;
};

// A record's line: a nickname, a phone number and an e-mail address, the other
// fields empty.
inline std::string RecordLine(const char* nickname, const char* phone = "",
	const char* email = "")
{
	std::string line;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		line += field == kNicknameField ? nickname : field == kPhoneField ? phone
			: field == kEmail1Field ? email : "";
		if (field + 1 < kBookFieldCount)
			line += '\t';
	}
	return line;
}

// Appends a kept record whose field `field` holds text.
inline ABookRecord* AddRecord(CVABook& book, const char* text, int32 field = kNicknameField)
{
	ABookRecord* record = book.AddRecord();
	record->SetField(field, text);
	return record;
}

// The list walked forwards, one field per record; fails the test when the
// backward links, the ends or the count disagree with it.
inline std::vector<std::string> ListedField(const CVABook& book, int32 field = kNicknameField)
{
	std::vector<std::string> texts;
	const ABookRecord* previous = nullptr;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
		EXPECT_EQ(r->Previous(), previous) << "broken back link at " << texts.size();
		texts.push_back(r->Field(field));
		previous = r;
	}
	EXPECT_EQ(book.LastRecord(), previous);
	EXPECT_EQ(book.CountRecords(), static_cast<int32>(texts.size()));
	return texts;
}

#endif
