// Arbitrary bytes as vCards: see ContactFuzzCheck.h.
#include "ContactFuzzCheck.h"

#include <ContactImport.h>
#include <FieldPlacement.h>
#include <VCardReader.h>
#include <VCardWriter.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string_view bytes(reinterpret_cast<const char*>(data), size);
	ConversionReport report;
	CVABook book(nullptr);
	const int32 read = VCardReader(&report).Read(bytes, &book);
	Require(read == book.CountRecords());
	CheckedFields(book);
	for (const conversion_note& note : report.Notes())
		Require(IsValidUTF8(ConversionReport::DescribeNote("", note)));

	// One card alone reads as the first record of the whole file, and every
	// field with text has a source line.
	ConversionReport cardReport;
	VCardReader::card card;
	if (VCardReader(&cardReport).ReadCard(bytes, &card)) {
		Require(read > 0);
		for (int32 field = 0; field < kBookFieldCount; field++) {
			Require(card.fields[field] == book.FirstRecord()->Field(field));
			Require(card.fields[field].empty() == (card.sources[field].index < 0));
		}
	}
	ContactImport::Detect("fuzz.vcf", bytes);

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

	// Each record through a card of either version and back is itself, once
	// what is read fills the fields the record uses.
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
		record_texts texts;
		for (int32 field = 0; field < kBookFieldCount; field++)
			texts[field] = r->Field(field);
		for (const vcard_version version : {vcard_version::k30, vcard_version::k40}) {
			std::string card;
			VCardWriter::AppendCard(r, &card, version);
			ConversionReport report;
			VCardReader::card back;
			Require(VCardReader(&report).ReadCard(card, &back));
			Require(FieldPlacement::Follow(back.fields, texts) == texts);
			Require(report.IsEmpty());
		}
	}
	return 0;
}
