// The book file on disk, 100,000 records (about 15 MB): loading through the
// storage kit against one read of the file split into 21 strings a line, and a
// safe save (new file, attributes, flush, rename) against one write of the same
// bytes with the same flush and rename.
#include "GeneratedBook.h"

#include <BookFile.h>

#include <Entry.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace bench_book;

struct Files {
	Files()
		: book(nullptr)
	{
		const std::string body = GenerateBody();
		ReadBookBody(&book, body.data(), body.size(), book_layout::kAllColumns);
		bytes = BookBodyBytes(&book);
		char pattern[] = "/var/tmp/cvab-bench-XXXXXX";
		directory = mkdtemp(pattern);
		path = directory + "/book";
		get_ref_for_path(path.c_str(), &ref);
		SaveBookFile(&ref, &book, book_frame{0, 0, 400, 300}, nullptr);
	}
	~Files()
	{
		unlink(path.c_str());
		unlink((directory + "/plain").c_str());
		rmdir(directory.c_str());
	}

	CVABook book;
	std::string bytes;
	std::string directory;
	std::string path;
	entry_ref ref;
};

const Files& TheFiles()
{
	static const Files files;
	return files;
}

void BM_LoadBookFile(benchmark::State& state)
{
	const Files& files = TheFiles();
	for (auto _ : state) {
		CVABook book(nullptr);
		LoadBookFile(&files.ref, &book, nullptr);
		benchmark::DoNotOptimize(book.LastRecord());
		state.PauseTiming();
		book.MakeEmpty();
		state.ResumeTiming();
	}
	state.SetBytesProcessed(state.iterations() * files.bytes.size());
}

void BM_LoadBaseline(benchmark::State& state)
{
	const Files& files = TheFiles();
	for (auto _ : state) {
		std::vector<std::string> fields = SplitLines(ReadWholeFile(files.path));
		benchmark::DoNotOptimize(fields.data());
		state.PauseTiming();
		fields = {};
		state.ResumeTiming();
	}
	state.SetBytesProcessed(state.iterations() * files.bytes.size());
}

void BM_SaveBookFile(benchmark::State& state)
{
	const Files& files = TheFiles();
	for (auto _ : state)
		SaveBookFile(&files.ref, &files.book, book_frame{0, 0, 400, 300}, nullptr);
	state.SetBytesProcessed(state.iterations() * files.bytes.size());
}

void BM_SaveBaseline(benchmark::State& state)
{
	const Files& files = TheFiles();
	const std::string temporary = files.directory + "/plain.new";
	const std::string plain = files.directory + "/plain";
	for (auto _ : state) {
		const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		benchmark::DoNotOptimize(write(fd, files.bytes.data(), files.bytes.size()));
		fsync(fd);
		close(fd);
		rename(temporary.c_str(), plain.c_str());
		const int dir = open(files.directory.c_str(), O_RDONLY | O_DIRECTORY);
		fsync(dir);
		close(dir);
	}
	state.SetBytesProcessed(state.iterations() * files.bytes.size());
}

}  // namespace

BENCHMARK(BM_LoadBookFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveBookFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
