#include "CsvWriter.h"

#include <cstring>

namespace {

void AppendValue(const char* text, std::string* out)
{
	const size_t length = strlen(text);
	const bool quote = strpbrk(text, ",;\"\r\n\t") != nullptr
		|| (length > 0 && (text[0] == ' ' || text[length - 1] == ' '));
	if (!quote) {
		out->append(text, length);
		return;
	}
	*out += '"';
	for (const char* p = text; *p != '\0'; p++) {
		if (*p == '"')
			*out += '"';
		*out += *p;
	}
	*out += '"';
}

}  // namespace

void CsvWriter::AppendHeader(std::string* out)
{
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (field > 0)
			*out += ',';
		AppendValue(kBookFieldNames[field], out);
	}
	out->append("\r\n");
}

void CsvWriter::AppendRow(const ABookRecord* record, std::string* out)
{
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (field > 0)
			*out += ',';
		AppendValue(record->Field(field), out);
	}
	out->append("\r\n");
}
