// The book on a generated file of 100,000 records (about 15 MB): reading,
// writing, sorting by "Last Name", a look-up that finds nothing, and memory per
// record; each beside a plain baseline doing the same work the simplest way.
#include "GeneratedBook.h"

#include <BookBody.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fcntl.h>
#include <malloc.h>
#include <random>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace bench_book;

// The generated body, also stored in a file, shared by every benchmark.
struct Corpus {
	Corpus()
		: body(GenerateBody())
	{
		char name[] = "/tmp/cvab-bench-XXXXXX";
		const int fd = mkstemp(name);
		path = name;
		if (fd < 0 || write(fd, body.data(), body.size()) != ssize_t(body.size()))
			abort();
		close(fd);
	}
	~Corpus() { unlink(path.c_str()); }

	std::string body;
	std::string path;
};

const Corpus& TheCorpus()
{
	static const Corpus corpus;
	return corpus;
}

// --- read

void BM_ReadBook(benchmark::State& state)
{
	const Corpus& corpus = TheCorpus();
	for (auto _ : state) {
		const std::string bytes = ReadWholeFile(corpus.path);
		CVABook book(nullptr);
		ReadBookBody(&book, bytes.data(), bytes.size(), book_layout::kAllColumns);
		benchmark::DoNotOptimize(book.LastRecord());
		state.PauseTiming();  // freeing the book is not part of reading it
		book.MakeEmpty();
		state.ResumeTiming();
	}
	state.SetBytesProcessed(state.iterations() * corpus.body.size());
}

void BM_ReadBaseline(benchmark::State& state)
{
	const Corpus& corpus = TheCorpus();
	for (auto _ : state) {
		const std::string bytes = ReadWholeFile(corpus.path);
		std::vector<std::string> fields = SplitLines(bytes);
		benchmark::DoNotOptimize(fields.data());
		state.PauseTiming();
		fields = {};
		state.ResumeTiming();
	}
	state.SetBytesProcessed(state.iterations() * corpus.body.size());
}

// --- write

struct BookOnDisk {
	BookOnDisk()
		: book(nullptr)
	{
		const std::string& body = TheCorpus().body;
		ReadBookBody(&book, body.data(), body.size(), book_layout::kAllColumns);
		char name[] = "/tmp/cvab-bench-out-XXXXXX";
		fd = mkstemp(name);
		path = name;
	}
	~BookOnDisk()
	{
		close(fd);
		unlink(path.c_str());
	}
	void Rewind() const
	{
		if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0)
			abort();
	}

	CVABook book;
	int fd;
	std::string path;
};

BookOnDisk& TheBookOnDisk()
{
	static BookOnDisk book;
	return book;
}

void BM_WriteBook(benchmark::State& state)
{
	const BookOnDisk& target = TheBookOnDisk();
	for (auto _ : state) {
		target.Rewind();
		WriteBookBody(&target.book, [&](const char* bytes, size_t size) {
			return write(target.fd, bytes, size) == ssize_t(size) ? B_OK : B_IO_ERROR;
		});
	}
	state.SetBytesProcessed(state.iterations() * TheCorpus().body.size());
}

void BM_WriteBaseline(benchmark::State& state)
{
	const BookOnDisk& target = TheBookOnDisk();
	const std::string& body = TheCorpus().body;
	for (auto _ : state) {
		target.Rewind();
		benchmark::DoNotOptimize(write(target.fd, body.data(), body.size()));
	}
	state.SetBytesProcessed(state.iterations() * body.size());
}

// --- sort

// Each round first puts the book in another order (by "Phone Number", unrelated
// to the names), untimed, so every timed sort starts from a shuffled list.
void BM_SortByLastName(benchmark::State& state)
{
	CVABook& book = TheBookOnDisk().book;
	for (auto _ : state) {
		state.PauseTiming();
		book.SortByField(kPhoneField);
		state.ResumeTiming();
		book.SortByField(kLastNameField);
	}
}

void BM_SortBaseline(benchmark::State& state)
{
	CVABook& book = TheBookOnDisk().book;
	std::vector<ABookRecord*> records;
	for (auto _ : state) {
		state.PauseTiming();
		book.SortByField(kPhoneField);
		records.clear();
		for (ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
			records.push_back(r);
		state.ResumeTiming();
		std::sort(records.begin(), records.end(), [](ABookRecord* a, ABookRecord* b) {
			return ABookRecord::CompareField(a, b, kLastNameField) < 0;
		});
		benchmark::DoNotOptimize(records.data());
	}
}

// --- look-up of a missing nickname

void BM_LookUpMissing(benchmark::State& state)
{
	const CVABook& book = TheBookOnDisk().book;
	char email[kFieldTextLength + 1];
	for (auto _ : state)
		benchmark::DoNotOptimize(book.LookUpEmail("no such nickname", email, sizeof(email)));
}

void BM_LookUpBaseline(benchmark::State& state)
{
	std::vector<std::string> nicknames;
	for (const ABookRecord* r = TheBookOnDisk().book.FirstRecord(); r != nullptr; r = r->Next())
		nicknames.emplace_back(r->Field(kNicknameField));
	for (auto _ : state) {
		bool found = false;
		for (const std::string& nickname : nicknames) {
			if (strcasecmp(nickname.c_str(), "no such nickname") == 0) {
				found = true;
				break;
			}
		}
		benchmark::DoNotOptimize(found);
	}
}

// --- memory

// Heap in use, small blocks and the large ones malloc maps on its own.
size_t HeapInUse()
{
	const struct mallinfo2 info = mallinfo2();
	return info.uordblks + info.hblkhd;
}

void BM_MemoryPerRecord(benchmark::State& state)
{
	const std::string& body = TheCorpus().body;
	double bytesPerRecord = 0;
	for (auto _ : state) {
		const size_t before = HeapInUse();
		CVABook book(nullptr);
		ReadBookBody(&book, body.data(), body.size(), book_layout::kAllColumns);
		bytesPerRecord = double(HeapInUse() - before) / book.CountRecords();
	}
	state.counters["bytes_per_record"] = bytesPerRecord;
}

void BM_MemoryBaseline(benchmark::State& state)
{
	const std::string& body = TheCorpus().body;
	double bytesPerRecord = 0;
	for (auto _ : state) {
		const size_t before = HeapInUse();
		const std::vector<std::string> fields = SplitLines(body);
		bytesPerRecord = double(HeapInUse() - before) / kRecords;
	}
	state.counters["bytes_per_record"] = bytesPerRecord;
}

}  // namespace

BENCHMARK(BM_ReadBook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByLastName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookUpMissing)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookUpBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemoryPerRecord)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MemoryBaseline)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
