// The word scan of a Word Services session: a word is a maximal run
// of bytes that isalnum accepts in the "C" locale (ASCII letters and digits);
// every other byte, each byte of 0x80 and above included, separates words.
// Each word comes with its distances to the end of the text, so the text can be
// rewritten from left to right with positions taken from the text as fetched.
// Threading: pure functions.
#ifndef _WORD_SCAN_H
#define _WORD_SCAN_H

#include <SupportDefs.h>

#include <functional>
#include <string>

struct scanned_word {
	std::string word;
	// Bytes from the start of the word to the end of the text (T), and from the
	// end of the word to the end of the text (R).
	int32 fromEnd;
	int32 restFromEnd;
};

bool IsWordByte(unsigned char byte);

// Calls each with every word of text[0, length), left to right.
void ScanWords(const char* text, size_t length,
	const std::function<void(const scanned_word&)>& each);

#endif
