#include "RecordId.h"

#include "HexText.h"

#include <openssl/rand.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <pthread.h>
#include <sys/random.h>

namespace {

// Positions of the dashes in the text form.
constexpr size_t kDashes[] = {8, 13, 18, 23};

// Raised in every forked child, so that a batch drawn before the fork is
// thrown away rather than handed out in both processes.
std::atomic<uint32> sForkGeneration{0};

void CountFork()
{
	sForkGeneration.fetch_add(1, std::memory_order_relaxed);
}

void FillRandom(uint8* bytes, size_t size)
{
	if (RAND_bytes(bytes, static_cast<int>(size)) == 1)
		return;
	// libcrypto's generator failed to seed: ask the kernel directly.
	while (size > 0) {
		const ssize_t got = getrandom(bytes, size, 0);
		if (got < 0)
			abort();  // no randomness at all: an id that might repeat is worse
		bytes += got;
		size -= static_cast<size_t>(got);
	}
}

void MakeVersion4(record_id* id)
{
	id->bytes[6] = static_cast<uint8>((id->bytes[6] & 0x0f) | 0x40);
	id->bytes[8] = static_cast<uint8>((id->bytes[8] & 0x3f) | 0x80);
}

// One call into the generator costs far more than sixteen bytes of its
// output, so ids are drawn 256 (4 KiB) at a time.
struct IdBatch {
	static constexpr size_t kSize = 256;
	record_id ids[kSize];
	size_t next = kSize;
	uint32 generation = 0;
};

thread_local IdBatch tBatch;

}  // namespace

bool record_id::IsNil() const
{
	return *this == record_id();
}

uint64 record_id::Hash() const
{
	uint64 value;
	memcpy(&value, bytes, sizeof(value));
	return value;
}

void NewRecordIds(record_id* ids, size_t count)
{
	FillRandom(reinterpret_cast<uint8*>(ids), count * sizeof(record_id));
	for (size_t i = 0; i < count; i++)
		MakeVersion4(&ids[i]);
}

record_id NewRecordId()
{
	static std::once_flag registered;
	std::call_once(registered, [] { pthread_atfork(nullptr, nullptr, CountFork); });
	const uint32 generation = sForkGeneration.load(std::memory_order_relaxed);
	if (tBatch.next == IdBatch::kSize || tBatch.generation != generation) {
		NewRecordIds(tBatch.ids, IdBatch::kSize);
		tBatch.next = 0;
		tBatch.generation = generation;
	}
	return tBatch.ids[tBatch.next++];
}

void FormatRecordId(const record_id& id, char* out)
{
	size_t byte = 0;
	for (size_t position = 0; position < kRecordIdTextLength;) {
		if (position == kDashes[0] || position == kDashes[1] || position == kDashes[2]
			|| position == kDashes[3]) {
			out[position++] = '-';
			continue;
		}
		EncodeHex(&id.bytes[byte++], 1, out + position);
		position += 2;
	}
}

std::string RecordIdText(const record_id& id)
{
	std::string text(kRecordIdTextLength, '\0');
	FormatRecordId(id, text.data());
	return text;
}

bool ParseRecordId(std::string_view text, record_id* id)
{
	if (text.size() != kRecordIdTextLength)
		return false;
	size_t byte = 0;
	size_t position = 0;
	for (const size_t dash : kDashes) {
		const size_t digits = (dash - position) / 2;
		if (!DecodeHex(text.data() + position, digits, &id->bytes[byte]) || text[dash] != '-')
			return false;
		byte += digits;
		position = dash + 1;
	}
	return DecodeHex(text.data() + position, sizeof(id->bytes) - byte, &id->bytes[byte])
		&& !id->IsNil();
}
