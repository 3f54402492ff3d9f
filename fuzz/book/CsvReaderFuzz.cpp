// Arbitrary bytes as CSV: see ContactFuzzCheck.h.
#include "ContactFuzzCheck.h"

#include <CsvReader.h>
#include <CsvWriter.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	ContactFieldMap map;
	ConversionReport report;
	CVABook book(nullptr);
	const int32 read = CsvReader(map, &report).Read(
		std::string_view(reinterpret_cast<const char*>(data), size), &book);
	Require(read == book.CountRecords());
	const std::vector<std::string> fields = CheckedFields(book);

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
