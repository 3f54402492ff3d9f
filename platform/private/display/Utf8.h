// UTF-8 decoding shared by the renderer and the text views.
// Threading: pure functions, any thread.
#ifndef _DISPLAY_UTF8_H
#define _DISPLAY_UTF8_H

#include <SupportDefs.h>

namespace utf8 {

constexpr uint32 kReplacement = 0xfffd;

// Decodes one character at p (p < end) and moves p past it. A malformed sequence
// (stray continuation byte, overlong form, surrogate, value past U+10FFFF, cut
// short) yields kReplacement and consumes one byte, so decoding always progresses.
inline uint32 Decode(const char*& p, const char* end)
{
	const uint8 lead = (uint8)*p;
	if (lead < 0x80) {
		++p;
		return lead;
	}
	int32 length;
	uint32 value;
	uint32 minimum;
	if ((lead & 0xe0) == 0xc0) {
		length = 2; value = lead & 0x1f; minimum = 0x80;
	} else if ((lead & 0xf0) == 0xe0) {
		length = 3; value = lead & 0x0f; minimum = 0x800;
	} else if ((lead & 0xf8) == 0xf0) {
		length = 4; value = lead & 0x07; minimum = 0x10000;
	} else {
		++p;
		return kReplacement;
	}
	if (end - p < length) {
		++p;
		return kReplacement;
	}
	for (int32 i = 1; i < length; i++) {
		const uint8 next = (uint8)p[i];
		if ((next & 0xc0) != 0x80) {
			++p;
			return kReplacement;
		}
		value = (value << 6) | (next & 0x3f);
	}
	if (value < minimum || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff)) {
		++p;
		return kReplacement;
	}
	p += length;
	return value;
}

// Bytes of the character starting at text[offset] (1 for a malformed one).
inline int32 CharLength(const char* text, int32 offset, int32 length)
{
	const char* p = text + offset;
	Decode(p, text + length);
	return (int32)(p - (text + offset));
}

}  // namespace utf8

#endif
