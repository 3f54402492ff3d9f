// KeySymbols: a key of the platform's key messages (its "bytes", its "key" for a
// function key, its "modifiers") as X names keys for a screen reader's key
// listeners: the key symbol, the name a reader speaks for a key that types
// nothing, and the modifier state bits (Shift 1, Caps Lock 2, Control 4, Alt 8).
// Threading: plain functions.
#ifndef _CVAB_KEY_SYMBOLS_H
#define _CVAB_KEY_SYMBOLS_H

#include <SupportDefs.h>

#include <string>

namespace BPrivate {

class KeySymbols {
public:
	struct Key {
		uint32 symbol;     // 0 for none
		std::string text;  // what it types, or the key's name
	};

	static Key For(const char* bytes, int32 functionKey);
	static uint32 StateOf(uint32 modifiers);
};

}  // namespace BPrivate

#endif
