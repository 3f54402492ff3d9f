#include "WordScan.h"

bool IsWordByte(unsigned char byte)
{
	// isalnum in the "C" locale, whatever locale the process runs in.
	return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z')
		|| (byte >= 'a' && byte <= 'z');
}

void ScanWords(const char* text, size_t length,
	const std::function<void(const scanned_word&)>& each)
{
	size_t cursor = 0;
	while (cursor < length) {
		while (cursor < length && !IsWordByte(static_cast<unsigned char>(text[cursor])))
			cursor++;
		if (cursor >= length)
			return;
		const size_t start = cursor;
		while (cursor < length && IsWordByte(static_cast<unsigned char>(text[cursor])))
			cursor++;
		scanned_word word;
		word.word.assign(text + start, cursor - start);
		word.restFromEnd = static_cast<int32>(length - cursor);
		word.fromEnd = static_cast<int32>(length - start);
		each(word);
	}
}
