// Arbitrary bytes as the lines of a journal of unsaved changes, sealed with the
// digest line a whole journal ends with (so the fuzzer reaches past the check
// that throws out damaged ones): a journal that parses must write out as text
// that parses back equal, and recovering it into a book, over its base or over
// a book changed since, must keep every record within the field rules.
#include <BookBody.h>
#include <BookJournal.h>
#include <JournalRecovery.h>
#include <Sha256.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Require(bool condition)
{
	if (!condition)
		abort();
}

std::string Sealed(std::string text)
{
	return text + "end\tsha256:" + Sha256Text(Sha256Of(text)) + "\n";
}

void CheckFields(const CVABook& book)
{
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
		for (int32 field = 0; field < kBookFieldCount; field++) {
			const char* text = r->Field(field);
			const size_t length = strnlen(text, kFieldBufferSize);
			Require(length <= kFieldTextLength);
			Require(memchr(text, '\t', length) == nullptr);
			Require(memchr(text, '\n', length) == nullptr);
		}
	}
}

// A base of three records, read with the ids the journal's base positions name
// (when it has three), then recovered.
void Recover(const book_journal& journal, bool overItsBase)
{
	static const char kBase[] = "a\tAnn\n\tBob\t\tRoe\nc\n";
	CVABook book(nullptr);
	ReadBookBody(&book, kBase, sizeof(kBase) - 1, book_layout::kAllColumns);
	std::vector<record_id> ids;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
		ids.push_back(r->Id());
	if (!overItsBase || journal.baseRecords != ids.size())
		ids.clear();
	RecoverJournal(journal, ids, &book);
	CheckFields(book);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string text = Sealed("cvab-journal 1\n"
		+ std::string(reinterpret_cast<const char*>(data), size));
	book_journal journal;
	if (!ParseJournal(text, &journal))
		return 0;
	book_journal again;
	Require(ParseJournal(JournalText(journal), &again));
	Require(again == journal);
	Recover(journal, true);
	Recover(journal, false);
	return 0;
}
