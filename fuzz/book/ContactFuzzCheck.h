// What the contact reader fuzz targets require of any book read from any
// input: fields within 40 bytes of valid UTF-8 without separators, and a list
// in step with its count; and that what the writers make of it reads back the
// same without a note.
#ifndef _CONTACT_FUZZ_CHECK_H
#define _CONTACT_FUZZ_CHECK_H

#include <CVABook.h>
#include <ContactText.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <cstdio>

// Names the broken requirement before stopping, so a crash file explains itself.
#define Require(condition) \
	do { \
		if (!(condition)) { \
			fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #condition); \
			abort(); \
		} \
	} while (0)

inline std::vector<std::string> CheckedFields(const CVABook& book)
{
	std::vector<std::string> all;
	int32 count = 0;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next(), count++) {
		for (int32 field = 0; field < kBookFieldCount; field++) {
			const char* text = r->Field(field);
			const size_t length = strnlen(text, kFieldBufferSize);
			Require(length <= kFieldTextLength);
			Require(memchr(text, '\t', length) == nullptr && memchr(text, '\n', length) == nullptr);
			Require(IsValidUTF8(std::string_view(text, length)));
			all.emplace_back(text, length);
		}
	}
	Require(count == book.CountRecords());
	return all;
}

#endif
