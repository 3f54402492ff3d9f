#include "ABookRecord.h"

#include "AsciiText.h"
#include "CVABook.h"

#include <cassert>
#include <cstring>

namespace {

inline unsigned char fold_ascii(unsigned char c)
{
	return static_cast<unsigned char>(FoldAscii(static_cast<char>(c)));
}

inline bool is_continuation(unsigned char c)
{
	return (c & 0xC0) == 0x80;
}

// How many bytes a character with this lead byte takes; 0 for a byte that cannot
// start a character.
inline size_t sequence_length(unsigned char lead)
{
	if (lead < 0x80)
		return 1;
	if (lead >= 0xC2 && lead <= 0xDF)
		return 2;
	if (lead >= 0xE0 && lead <= 0xEF)
		return 3;
	if (lead >= 0xF0 && lead <= 0xF4)
		return 4;
	return 0;
}

}  // namespace

size_t UTF8CutLength(const char* text, size_t length, size_t limit)
{
	if (length <= limit)
		return length;
	const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
	if (!is_continuation(bytes[limit]))
		return limit;
	// The first dropped byte continues a character: find that character's lead
	// byte, at most three bytes back, and cut before it if it really spans the cut.
	for (size_t back = 1; back <= 3 && back <= limit; back++) {
		const unsigned char c = bytes[limit - back];
		if (is_continuation(c))
			continue;
		const size_t needed = sequence_length(c);
		return needed > back ? limit - back : limit;
	}
	return limit;
}

ABookRecord::ABookRecord(int32 fieldCount)
{
	assert(fieldCount == kBookFieldCount);
	(void)fieldCount;
	// Whole buffers are cleared, not just their first bytes: the file writer
	// copies a field's full buffer at once.
	memset(fFields, 0, sizeof(fFields));
}

ABookRecord::~ABookRecord() = default;

void ABookRecord::SetField(int32 field, const char* text)
{
	SetField(field, text, strnlen(text, kFieldTextLength + 4));
}

void ABookRecord::SetField(int32 field, const char* text, size_t length)
{
	assert(field >= 0 && field < kBookFieldCount);
	const size_t kept = UTF8CutLength(text, length, kFieldTextLength);
	char* buffer = fFields[field];
	_NoteChange();
	if (kept > 0)  // an empty string_view's text may be null
		memmove(buffer, text, kept);  // text may be this very field
	buffer[kept] = '\0';
	for (size_t i = 0; i < kept; i++) {
		if (buffer[i] == '\t' || buffer[i] == '\n')
			buffer[i] = ' ';
	}
}

void ABookRecord::ClearFields()
{
	_NoteChange();
	for (char* field : fFields)
		field[0] = '\0';
}

void ABookRecord::_NoteChange()
{
	if (fBook != nullptr)
		fBook->_RecordChanging(this);
}

int ABookRecord::CompareField(const ABookRecord* a, const ABookRecord* b, int32 field)
{
	const unsigned char* left = reinterpret_cast<const unsigned char*>(a->fFields[field]);
	const unsigned char* right = reinterpret_cast<const unsigned char*>(b->fFields[field]);
	while (true) {
		const unsigned char l = fold_ascii(*left++);
		const unsigned char r = fold_ascii(*right++);
		if (l != r || l == '\0')
			return static_cast<int>(l) - static_cast<int>(r);
	}
}
