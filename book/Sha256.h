// SHA-256 digests, from libcrypto: of a book's whole body (to know whether the
// file beside it belongs to it, and whether the file changed) and of each of
// its lines (to find a record's id again after another program changed the
// body).
// Threading: one Sha256 object per thread at a time; Sha256Of from any thread.
#ifndef _SHA256_H
#define _SHA256_H

#include <SupportDefs.h>

#include <cstring>
#include <string>
#include <string_view>

struct sha256_digest {
	uint8 bytes[32] = {};

	bool operator==(const sha256_digest& other) const
	{
		return memcmp(bytes, other.bytes, sizeof(bytes)) == 0;
	}
	bool operator!=(const sha256_digest& other) const { return !(*this == other); }
	bool operator<(const sha256_digest& other) const
	{
		return memcmp(bytes, other.bytes, sizeof(bytes)) < 0;
	}
};

constexpr size_t kSha256TextLength = 64;

// A digest computed piece by piece; Finish ends it and starts the next one.
class Sha256 {
public:
	Sha256();
	~Sha256();

	Sha256(const Sha256&) = delete;
	Sha256& operator=(const Sha256&) = delete;

	void Update(const void* data, size_t size);
	sha256_digest Finish();

private:
	void _Start();

	struct evp_md_ctx_st* fContext;
};

// The digest of data, reusing one calculator per thread.
sha256_digest Sha256Of(std::string_view data);

// The lower-case hexadecimal text; out receives kSha256TextLength bytes.
void FormatSha256(const sha256_digest& digest, char* out);
std::string Sha256Text(const sha256_digest& digest);
// Reads kSha256TextLength hexadecimal digits; false for anything else.
bool ParseSha256(std::string_view text, sha256_digest* digest);

#endif
