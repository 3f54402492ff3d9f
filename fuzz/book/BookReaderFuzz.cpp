// Arbitrary bytes as an address-book body: the reader must keep every field to
// 40 bytes without separators, keep its list and count in step, and what it read
// must write out and read back unchanged, with nothing reported lost.
#include <BookBody.h>

#include <cstdlib>
#include <cstring>

namespace {

void Require(bool condition)
{
	if (!condition)
		abort();
}

void CheckBook(const CVABook& book)
{
	int32 count = 0;
	const ABookRecord* previous = nullptr;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next(), count++) {
		Require(r->Previous() == previous);
		for (int32 field = 0; field < kBookFieldCount; field++) {
			const char* text = r->Field(field);
			const size_t length = strnlen(text, kFieldBufferSize);
			Require(length <= kFieldTextLength);
			Require(memchr(text, '\t', length) == nullptr);
			Require(memchr(text, '\n', length) == nullptr);
		}
		previous = r;
	}
	Require(book.LastRecord() == previous);
	Require(book.CountRecords() == count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const char* bytes = reinterpret_cast<const char*>(data);
	LayoutForType(bytes, size);
	LayoutForTypelessBody(bytes, size);

	for (const book_layout layout : {book_layout::kAllColumns, book_layout::kNoNickname}) {
		CVABook book(nullptr);
		const int32 read = ReadBookBody(&book, bytes, size, layout);
		Require(read == book.CountRecords());
		CheckBook(book);
		if (layout == book_layout::kNoNickname) {
			for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
				Require(r->Field(kNicknameField)[0] == '\0');
		}

		const std::string body = BookBodyBytes(&book);
		Require(LayoutForTypelessBody(body.data(), body.size()) == book_layout::kAllColumns
			|| read == 0);
		CVABook again(nullptr);
		book_read_losses losses;
		Require(ReadBookBody(&again, body.data(), body.size(), book_layout::kAllColumns,
			&losses) == read);
		Require(BookBodyBytes(&again) == body);
		Require(!losses.Any());  // what the writer wrote, the reader keeps whole
	}
	return 0;
}
