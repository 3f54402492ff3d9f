// Another program writing a book as a cvab program does (its records keep their
// ids), for the tests of a window whose book changes on disk:
//   book_rewriter FILE EDIT...  one rewrite through SaveBookFile; an EDIT is
//     set NICK FIELD TEXT (FIELD 0 to 20), add NICK or del NICK
//   book_rewriter FILE --stress COUNT RECORDS JOURNAL  COUNT rewrites through
//     the merging save, 10 ms apart and 250 ms after every tenth (so that a
//     watcher sees both bursts and pauses), of the records r0 to r<RECORDS - 1>:
//     rewrite k sets Company of r<k % RECORDS> to h<k>; every third sets
//     Email 1 of r<7k % RECORDS> to H<k>, writing "seen OLD" to JOURNAL for
//     the value it replaced; every 25th adds a record hadd<k>.
// Each read holds the book's lock, as the window's does. Exit status 0, or 1
// with the reason on standard error.
#include "BookFile.h"
#include "BookLock.h"
#include "CVABook.h"
#include "MergingSave.h"

#include <Entry.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

int Fail(const std::string& what, status_t status)
{
	fprintf(stderr, "book_rewriter: %s: %s\n", what.c_str(), DescribeFileError(status));
	return 1;
}

ABookRecord* Find(CVABook& book, const std::string& nick)
{
	for (ABookRecord* record = book.FirstRecord(); record != nullptr; record = record->Next()) {
		if (nick == record->Field(kNicknameField))
			return record;
	}
	return nullptr;
}

status_t Load(const entry_ref& ref, const std::string& path, CVABook* book, BookAncestor* ancestor)
{
	BookLock lock(path);
	if (const status_t status = lock.Acquire(); status != B_OK)
		return status;
	return LoadBookFile(&ref, book, nullptr, nullptr, ancestor);
}

// The edit at argv[0], which uses count arguments; false when it is not one.
bool Edit(CVABook& book, char** argv, int left, int* count)
{
	const std::string verb = argv[0];
	*count = verb == "set" ? 4 : 2;
	if (left < *count)
		return false;
	if (verb == "add") {
		book.AddRecord()->SetField(kNicknameField, argv[1]);
		return true;
	}
	ABookRecord* record = Find(book, argv[1]);
	const int field = verb == "set" ? atoi(argv[2]) : -1;
	if (record != nullptr && verb == "del")
		book.RemoveRecord(record);
	else if (record != nullptr && field >= 0 && field < kBookFieldCount)
		record->SetField(field, argv[3]);
	else
		return false;
	return true;
}

int Stress(const entry_ref& ref, const std::string& path, int count, int records,
	const char* journalPath)
{
	std::ofstream journal(journalPath);
	for (int k = 0; k < count; k++) {
		CVABook book(nullptr);
		BookAncestor ancestor;
		if (const status_t status = Load(ref, path, &book, &ancestor); status != B_OK)
			return Fail("reading", status);
		ABookRecord* own = Find(book, "r" + std::to_string(k % records));
		if (own != nullptr)
			own->SetField(kCompanyField, ("h" + std::to_string(k)).c_str());
		ABookRecord* shared = Find(book, "r" + std::to_string(7 * k % records));
		if (k % 3 == 0 && shared != nullptr) {
			if (*shared->Field(kEmail1Field) != '\0')
				journal << "seen " << shared->Field(kEmail1Field) << '\n' << std::flush;
			shared->SetField(kEmail1Field, ("H" + std::to_string(k)).c_str());
		}
		if (k % 25 == 0)
			book.AddRecord()->SetField(kNicknameField, ("hadd" + std::to_string(k)).c_str());
		book_frame frame;
		ReadBookFrame(&ref, &frame);
		status_t status;
		while ((status = SaveBookMerging(&ref, &book, frame, &ancestor, book_save_options(),
				nullptr)) == kBookBusyError) {
		}
		if (status != B_OK)
			return Fail("saving", status);
		usleep(k % 10 == 9 ? 250000 : 10000);
	}
	return 0;
}

}  // namespace

int main(int argc, char** argv)
{
	entry_ref ref;
	if (argc < 3 || get_ref_for_path(argv[1], &ref) != B_OK)
		return Fail("usage: book_rewriter FILE EDIT... | FILE --stress COUNT RECORDS JOURNAL",
			B_BAD_VALUE);
	const std::string path = argv[1];
	if (strcmp(argv[2], "--stress") == 0 && argc == 6)
		return Stress(ref, path, atoi(argv[3]), atoi(argv[4]), argv[5]);
	CVABook book(nullptr);
	if (const status_t status = Load(ref, path, &book, nullptr); status != B_OK)
		return Fail("reading", status);
	for (int i = 2, count = 0; i < argc; i += count) {
		if (!Edit(book, argv + i, argc - i, &count))
			return Fail(std::string("cannot ") + argv[i], B_BAD_VALUE);
	}
	book_frame frame;
	ReadBookFrame(&ref, &frame);
	const status_t status = SaveBookFile(&ref, &book, frame, nullptr);
	return status == B_OK ? 0 : Fail("saving", status);
}
