// Bytes as lower-case hexadecimal text and back, for the ids and digests kept
// in the file beside a book.
// Threading: pure functions; safe from any thread.
#ifndef _HEX_TEXT_H
#define _HEX_TEXT_H

#include <SupportDefs.h>

// Writes 2 * size characters to out, no terminator.
void EncodeHex(const uint8* bytes, size_t size, char* out);
// Reads 2 * size hexadecimal digits (either case) from text; false when any
// character is not one (bytes then hold nothing of use).
bool DecodeHex(const char* text, size_t size, uint8* bytes);

#endif
