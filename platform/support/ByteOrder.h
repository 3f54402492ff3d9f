// Conversions between host order and the little-endian order of stored data.
#ifndef _BYTE_ORDER_H
#define _BYTE_ORDER_H

#include <SupportDefs.h>

#include <cstring>
#include <endian.h>

inline uint32 B_LENDIAN_TO_HOST_INT32(uint32 value) { return le32toh(value); }
inline uint32 B_HOST_TO_LENDIAN_INT32(uint32 value) { return htole32(value); }
inline uint64 B_LENDIAN_TO_HOST_INT64(uint64 value) { return le64toh(value); }
inline uint64 B_HOST_TO_LENDIAN_INT64(uint64 value) { return htole64(value); }
inline uint32 B_BENDIAN_TO_HOST_INT32(uint32 value) { return be32toh(value); }
inline uint32 B_HOST_TO_BENDIAN_INT32(uint32 value) { return htobe32(value); }

inline float B_LENDIAN_TO_HOST_FLOAT(float value)
{
	uint32 bits;
	std::memcpy(&bits, &value, sizeof(bits));
	bits = le32toh(bits);
	std::memcpy(&value, &bits, sizeof(bits));
	return value;
}

inline float B_HOST_TO_LENDIAN_FLOAT(float value)
{
	return B_LENDIAN_TO_HOST_FLOAT(value);
}

#endif
