#include "HexText.h"

namespace {

const char kDigits[] = "0123456789abcdef";

// The value of every byte as a hexadecimal digit, 0xff for the others: a
// book's ids are 3.2 million digits, read without a branch each.
struct digit_values {
	uint8 value[256];

	constexpr digit_values()
		: value()
	{
		for (int c = 0; c < 256; c++)
			value[c] = 0xff;
		for (int c = '0'; c <= '9'; c++)
			value[c] = static_cast<uint8>(c - '0');
		for (int c = 'a'; c <= 'f'; c++)
			value[c] = static_cast<uint8>(c - 'a' + 10);
		for (int c = 'A'; c <= 'F'; c++)
			value[c] = static_cast<uint8>(c - 'A' + 10);
	}
};

constexpr digit_values kDigitValues;

}  // namespace

void EncodeHex(const uint8* bytes, size_t size, char* out)
{
	for (size_t i = 0; i < size; i++) {
		*out++ = kDigits[bytes[i] >> 4];
		*out++ = kDigits[bytes[i] & 0x0f];
	}
}

bool DecodeHex(const char* text, size_t size, uint8* bytes)
{
	uint8 invalid = 0;
	for (size_t i = 0; i < size; i++) {
		const uint8 high = kDigitValues.value[static_cast<uint8>(text[2 * i])];
		const uint8 low = kDigitValues.value[static_cast<uint8>(text[2 * i + 1])];
		invalid |= (high | low) & 0xf0;
		bytes[i] = static_cast<uint8>(high << 4 | (low & 0x0f));
	}
	return invalid == 0;
}
