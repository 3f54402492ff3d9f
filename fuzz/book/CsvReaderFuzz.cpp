// Arbitrary bytes as CSV: see ContactFuzzCheck.h.
#include "ContactFuzzCheck.h"

#include <ContactImport.h>
#include <CsvReader.h>
#include <CsvWriter.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string_view bytes(reinterpret_cast<const char*>(data), size);
	ContactFieldMap map;
	ConversionReport report;
	CVABook book(nullptr);
	const int32 read = CsvReader(map, &report).Read(bytes, &book);
	Require(read == book.CountRecords());
	const std::vector<std::string> fields = CheckedFields(book);
	for (const conversion_note& note : report.Notes())
		Require(IsValidUTF8(ConversionReport::DescribeNote("", note)));
	ContactImport::Detect("fuzz.csv", bytes);

	std::string csv;
	CsvWriter::AppendHeader(&csv);
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
		CsvWriter::AppendRow(r, &csv);
	ConversionReport second;
	CVABook again(nullptr);
	CsvReader(map, &second).Read(csv, &again);
	Require(second.IsEmpty());
	Require(CheckedFields(again) == fields);
	return 0;
}
