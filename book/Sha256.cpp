#include "Sha256.h"

#include "HexText.h"

#include <openssl/evp.h>

#include <cstdlib>

namespace {

// Fetched once: looking the algorithm up costs more than hashing a line.
const EVP_MD* Algorithm()
{
	static EVP_MD* const algorithm = EVP_MD_fetch(nullptr, "SHA256", nullptr);
	if (algorithm == nullptr)
		abort();  // libcrypto without SHA-256 cannot keep a book's ids
	return algorithm;
}

}  // namespace

Sha256::Sha256()
	: fContext(EVP_MD_CTX_new())
{
	if (fContext == nullptr)
		abort();
	_Start();
}

Sha256::~Sha256()
{
	EVP_MD_CTX_free(fContext);
}

void Sha256::_Start()
{
	if (EVP_DigestInit_ex2(fContext, Algorithm(), nullptr) != 1)
		abort();
}

void Sha256::Update(const void* data, size_t size)
{
	if (size > 0 && EVP_DigestUpdate(fContext, data, size) != 1)
		abort();
}

sha256_digest Sha256::Finish()
{
	sha256_digest digest;
	unsigned int size = 0;
	if (EVP_DigestFinal_ex(fContext, digest.bytes, &size) != 1 || size != sizeof(digest.bytes))
		abort();
	_Start();
	return digest;
}

sha256_digest Sha256Of(std::string_view data)
{
	thread_local Sha256 calculator;
	calculator.Update(data.data(), data.size());
	return calculator.Finish();
}

void FormatSha256(const sha256_digest& digest, char* out)
{
	EncodeHex(digest.bytes, sizeof(digest.bytes), out);
}

std::string Sha256Text(const sha256_digest& digest)
{
	std::string text(kSha256TextLength, '\0');
	FormatSha256(digest, text.data());
	return text;
}

bool ParseSha256(std::string_view text, sha256_digest* digest)
{
	return text.size() == kSha256TextLength
		&& DecodeHex(text.data(), sizeof(digest->bytes), digest->bytes);
}
