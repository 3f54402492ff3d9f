// edit_book: changes a book the way the address book window saves it (read
// with its ids, saved with the merging save), for scripts that play a user.
//   edit_book BOOK set M=VALUE F=NEW ...   fields F of the first record whose field M is VALUE
//   edit_book BOOK delete M=VALUE          that record
//   edit_book BOOK add F=VALUE ...         a new record
// Fields are numbers, 0 (Nickname) to 20. Exit status 0, or 1 with a message.
#include <BookFile.h>
#include <MergingSave.h>

#include <Entry.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool Split(const char* argument, int32* field, std::string* value)
{
	const char* equals = strchr(argument, '=');
	if (equals == nullptr)
		return false;
	*field = atoi(argument);
	*value = equals + 1;
	return *field >= 0 && *field < kBookFieldCount;
}

int Fail(const char* text)
{
	fprintf(stderr, "edit_book: %s\n", text);
	return 1;
}

}  // namespace

int main(int argc, char** argv)
{
	if (argc < 4)
		return Fail("usage: edit_book BOOK set|delete|add FIELD=VALUE ...");
	entry_ref ref;
	CVABook book(nullptr);
	BookAncestor ancestor;
	if (get_ref_for_path(argv[1], &ref) != B_OK
		|| LoadBookFile(&ref, &book, nullptr, nullptr, &ancestor) != B_OK)
		return Fail("cannot read the book");
	const std::string command = argv[2];
	int32 field;
	std::string value;
	ABookRecord* record = nullptr;
	int first = 3;
	if (command == "add") {
		record = book.AddRecord();
	} else if (Split(argv[3], &field, &value)) {
		for (record = book.FirstRecord(); record != nullptr && value != record->Field(field);)
			record = record->Next();
		first = 4;
	}
	if (record == nullptr)
		return Fail("no such record");
	if (command == "delete")
		book.RemoveRecord(record);
	for (int i = first; command != "delete" && i < argc; i++) {
		if (!Split(argv[i], &field, &value))
			return Fail("a change is FIELD=VALUE");
		record->SetField(field, value.c_str());
	}
	book_frame frame;
	if (ReadBookFrame(&ref, &frame) != B_OK)
		frame = book_frame{0, 0, -1, -1};
	if (SaveBookMerging(&ref, &book, frame, &ancestor, book_save_options(), nullptr) != B_OK)
		return Fail("cannot save the book");
	return 0;
}
