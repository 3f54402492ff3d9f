// Arbitrary bytes as vCards: see ContactFuzzCheck.h.
#include "ContactFuzzCheck.h"

#include <VCardReader.h>
#include <VCardWriter.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	ConversionReport report;
	CVABook book(nullptr);
	const int32 read = VCardReader(&report).Read(
		std::string_view(reinterpret_cast<const char*>(data), size), &book);
	Require(read == book.CountRecords());
	CheckedFields(book);

	std::string cards;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
		VCardWriter::AppendCard(r, &cards);
	ConversionReport second;
	CVABook again(nullptr);
	Require(VCardReader(&second).Read(cards, &again) == read);
	Require(second.IsEmpty());
	CheckedFields(again);
	// A field may move (a lone second comment becomes the first), but what is
	// written of the book read back is what was written of it.
	std::string rewritten;
	for (const ABookRecord* r = again.FirstRecord(); r != nullptr; r = r->Next())
		VCardWriter::AppendCard(r, &rewritten);
	Require(rewritten == cards);
	return 0;
}
