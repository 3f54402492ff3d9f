// Sections: construction, list operations, sort, look-ups.
#include "CVABook.h"

#include "AsciiText.h"

#include "BookText.h"
#include "RecordPool.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstring>
#include <utility>
#include <vector>

// --- construction

CVABook::CVABook(BookOwner* owner)
	: fOwner(owner),
	  fPool(std::make_unique<RecordPool>())
{
	if (fOwner != nullptr)
		fOwner->BuildRecordList();
}

CVABook::~CVABook()
{
	if (fOwner != nullptr) {
		BookOwnerLocker lock(fOwner);
		fOwner->RemoveRecordList();
	}
	MakeEmpty();
}

// --- list operations

// Serials are unique in the whole process, not only in one document: a window
// that outlives its book being read anew must not take a record of the new
// document for its own.
static uint64 NextSerial()
{
	static std::atomic<uint64> next{1};
	return next.fetch_add(1, std::memory_order_relaxed);
}

void CVABook::_AssertLocked() const
{
	assert(fOwner == nullptr || fOwner->IsLocked());
}

ABookRecord* CVABook::AddRecord()
{
	return AddRecord(NewRecordId());
}

ABookRecord* CVABook::AddRecord(const record_id& id)
{
	_AssertLocked();
	ABookRecord* record = fPool->New();
	record->fSerial = NextSerial();
	record->fId = id;
	record->fBook = this;
	if (fLogging) {
		fLog.added.push_back(id);
		_RecordChanging(record);
	}
	record->fPrevious = fLast;
	if (fLast != nullptr)
		fLast->fNext = record;
	else
		fFirst = record;
	fLast = record;
	fCount++;
	return record;
}

ABookRecord* CVABook::RecordAt(int32 n) const
{
	_AssertLocked();
	if (n < 0)
		return nullptr;
	ABookRecord* record = fFirst;
	while (record != nullptr && n-- > 0)
		record = record->fNext;
	return record;
}

int32 CVABook::IndexOf(const ABookRecord* record) const
{
	_AssertLocked();
	int32 index = 0;
	for (const ABookRecord* r = fFirst; r != nullptr; r = r->fNext, index++) {
		if (r == record)
			return index;
	}
	return -1;
}

ABookRecord* CVABook::RecordWithSerial(uint64 serial) const
{
	_AssertLocked();
	for (ABookRecord* record = fFirst; record != nullptr; record = record->fNext) {
		if (record->fSerial == serial)
			return record;
	}
	return nullptr;
}

ABookRecord* CVABook::RecordWithId(const record_id& id) const
{
	_AssertLocked();
	for (ABookRecord* record = fFirst; record != nullptr; record = record->fNext) {
		if (record->fId == id)
			return record;
	}
	return nullptr;
}

void CVABook::AssignIds(const record_id* ids, size_t count)
{
	_AssertLocked();
	size_t n = 0;
	for (ABookRecord* record = fFirst; record != nullptr && n < count; record = record->fNext)
		record->fId = ids[n++];
	_LogReordered();
}

// --- the change log

void CVABook::LogChanges(bool on)
{
	_AssertLocked();
	fLogging = on;
	TakeChangeLog();
}

book_change_log CVABook::TakeChangeLog()
{
	_AssertLocked();
	book_change_log log = std::move(fLog);
	fLog = book_change_log();
	for (const auto& [record, serial] : fLogChanged) {
		// A removed record's memory may hold a newer one, which has its own entry.
		if (fPool->Owns(record) && record->fSerial == serial)
			log.changed.push_back(record);
	}
	fLogChanged.clear();
	fLogRound++;
	return log;
}

void CVABook::_RecordChanging(ABookRecord* record)
{
	if (!fLogging || record->fLogged == fLogRound)
		return;
	record->fLogged = fLogRound;
	fLogChanged.emplace_back(record, record->fSerial);
}

void CVABook::_LogReordered()
{
	if (fLogging)
		fLog.reordered = true;
}

bool CVABook::Contains(const ABookRecord* record) const
{
	return record != nullptr && fPool->Owns(record);
}

void CVABook::RemoveRecord(ABookRecord* record)
{
	_AssertLocked();
	assert(record != nullptr);
	if (record->fPrevious != nullptr)
		record->fPrevious->fNext = record->fNext;
	else
		fFirst = record->fNext;
	if (record->fNext != nullptr)
		record->fNext->fPrevious = record->fPrevious;
	else
		fLast = record->fPrevious;
	if (fLogging)
		fLog.removed.push_back(record->fId);
	fPool->Delete(record);
	fCount--;
}

void CVABook::DeleteRecordAt(int32 n)
{
	if (ABookRecord* record = RecordAt(n))
		RemoveRecord(record);
}

void CVABook::MakeEmpty()
{
	fPool->DeleteAll();
	fFirst = fLast = nullptr;
	fCount = 0;
	_LogReordered();
}

// --- sort

namespace {

// The partition follows the pivot record rather than copying its key, and splits
// at the pivot's final place: this, not just "a quicksort", fixes where equal
// keys end up.
class FieldQuicksort {
public:
	FieldQuicksort(ABookRecord** records, int32 field)
		: fRecords(records), fField(field)
	{
	}

	void Sort(ptrdiff_t lo, ptrdiff_t hi)
	{
		// The two parts are disjoint, so which one is sorted first does not
		// change the result; recursing into the smaller keeps the depth at log n.
		while (lo < hi) {
			const ptrdiff_t split = Partition(lo, hi);
			if (split - lo < hi - split) {
				Sort(lo, split);
				lo = split + 1;
			} else {
				Sort(split + 1, hi);
				hi = split;
			}
		}
	}

private:
	int Compare(ptrdiff_t x, ptrdiff_t y) const
	{
		return ABookRecord::CompareField(fRecords[x], fRecords[y], fField);
	}

	ptrdiff_t Partition(ptrdiff_t lo, ptrdiff_t hi)
	{
		ptrdiff_t pivot = lo + (hi - lo) / 2;
		ptrdiff_t i = lo - 1;
		ptrdiff_t j = hi + 1;
		while (true) {
			do
				j--;
			while (Compare(j, pivot) > 0);
			do
				i++;
			while (Compare(i, pivot) < 0);
			if (i >= j)
				return pivot == hi ? hi - 1 : pivot;
			std::swap(fRecords[i], fRecords[j]);
			if (pivot == i) {
				pivot = j;
				j++;
			} else if (pivot == j) {
				pivot = i;
				i--;
			}
		}
	}

	ABookRecord** const fRecords;
	const int32 fField;
};

}  // namespace

void SortRecordsByField(ABookRecord** records, size_t count, int32 field)
{
	if (count < 2)
		return;
	FieldQuicksort(records, field).Sort(0, static_cast<ptrdiff_t>(count) - 1);
}

void CVABook::SortByField(int32 field)
{
	_AssertLocked();
	assert(field >= 0 && field < kBookFieldCount);
	if (fCount < 2 || fFirst == nullptr || fFirst->fNext == nullptr)
		return;

	std::vector<ABookRecord*> records;
	records.reserve(static_cast<size_t>(fCount));
	for (ABookRecord* record = fFirst; record != nullptr; record = record->fNext)
		records.push_back(record);
	SortRecordsByField(records.data(), records.size(), field);

	ABookRecord* previous = nullptr;
	for (ABookRecord* record : records) {
		record->fPrevious = previous;
		if (previous != nullptr)
			previous->fNext = record;
		previous = record;
	}
	fFirst = records.front();
	fFirst->fPrevious = nullptr;
	fLast = records.back();
	fLast->fNext = nullptr;
	fRecordsChanged = true;
	_LogReordered();

	if (fOwner != nullptr)
		fOwner->ReloadList();
}

// --- look-ups

const ABookRecord* CVABook::_FindNickname(const char* text) const
{
	_AssertLocked();
	// The records are scanned in memory order, which stays fast after sorts
	// have scattered the list; the list is walked only to choose between
	// several equal nicknames.
	std::vector<const ABookRecord*> matches;
	fPool->ForEach([&](const ABookRecord* record) {
		if (EqualsIgnoringCase(text, record->Field(kNicknameField)))
			matches.push_back(record);
		return true;
	});
	if (matches.size() <= 1)
		return matches.empty() ? nullptr : matches.front();
	for (const ABookRecord* record = fFirst; record != nullptr; record = record->fNext) {
		if (std::find(matches.begin(), matches.end(), record) != matches.end())
			return record;
	}
	return nullptr;
}

bool CVABook::LookUpEmail(const char* text, char* output, size_t outputSize) const
{
	assert(outputSize > 0);
	output[0] = '\0';
	const ABookRecord* record = _FindNickname(text);
	if (record == nullptr)
		return false;
	const char* email = record->Field(kEmail1Field);
	const size_t length = min_c(strlen(email), outputSize - 1);
	memcpy(output, email, length);
	output[length] = '\0';
	return true;
}

bool CVABook::LookUpAddress(const char* text, char* output, size_t outputSize) const
{
	assert(outputSize > 0);
	output[0] = '\0';
	const ABookRecord* record = _FindNickname(text);
	if (record == nullptr)
		return false;
	BuildAddressBlock(record, output, outputSize);
	return true;
}
