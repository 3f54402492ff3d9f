// cvab-convert's work on 100,000 contacts: vCards from a file to a book file,
// and the book file back to vCards, each beside the baseline of reading and
// writing the same bytes (a plain file copy), so the figures show what the
// parsing and writing add to the disk work.
#include "GeneratedBook.h"

#include <BookBody.h>
#include <ConversionReport.h>
#include <VCardReader.h>
#include <VCardWriter.h>

#include <benchmark/benchmark.h>

namespace {

using namespace bench_book;

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
	const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
		abort();
	close(fd);
}

// The two input files, made once: the generated book and its vCards.
struct Inputs {
	std::string folder;
	std::string book;
	std::string cards;
	size_t bookBytes = 0;
	size_t cardBytes = 0;

	Inputs()
	{
		char name[] = "/tmp/cvab-convert-bench.XXXXXX";
		if (mkdtemp(name) == nullptr)
			abort();
		folder = name;
		book = folder + "/book.cvab";
		cards = folder + "/cards.vcf";
		const std::string body = GenerateBody();
		WriteWholeFile(book, body);
		CVABook document(nullptr);
		ReadBookBody(&document, body.data(), body.size(), book_layout::kAllColumns);
		std::string vcards;
		for (const ABookRecord* r = document.FirstRecord(); r != nullptr; r = r->Next())
			VCardWriter::AppendCard(r, &vcards);
		WriteWholeFile(cards, vcards);
		bookBytes = body.size();
		cardBytes = vcards.size();
	}

	~Inputs()
	{
		for (const char* leaf : {"/book.cvab", "/cards.vcf", "/out.cvab", "/out.vcf"})
			unlink((folder + leaf).c_str());
		rmdir(folder.c_str());
	}
};

const Inputs& TheInputs()
{
	static const Inputs inputs;
	return inputs;
}

void BM_VCardsToBook(benchmark::State& state)
{
	const Inputs& in = TheInputs();
	for (auto _ : state) {
		ConversionReport report;
		CVABook book(nullptr);
		VCardReader(&report).Read(ReadWholeFile(in.cards), &book);
		if (book.CountRecords() != kRecords)
			state.SkipWithError("not every card was read");
		WriteWholeFile(in.folder + "/out.cvab", BookBodyBytes(&book));
	}
	state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.cardBytes));
}

void BM_VCardsBaseline(benchmark::State& state)
{
	const Inputs& in = TheInputs();
	for (auto _ : state)
		WriteWholeFile(in.folder + "/out.vcf", ReadWholeFile(in.cards));
	state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.cardBytes));
}

void BM_BookToVCards(benchmark::State& state)
{
	const Inputs& in = TheInputs();
	for (auto _ : state) {
		const std::string body = ReadWholeFile(in.book);
		CVABook book(nullptr);
		ReadBookBody(&book, body.data(), body.size(), book_layout::kAllColumns);
		std::string cards;
		cards.reserve(in.cardBytes);
		for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
			VCardWriter::AppendCard(r, &cards);
		WriteWholeFile(in.folder + "/out.vcf", cards);
	}
	state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.bookBytes));
}

void BM_BookBaseline(benchmark::State& state)
{
	const Inputs& in = TheInputs();
	for (auto _ : state)
		WriteWholeFile(in.folder + "/out.cvab", ReadWholeFile(in.book));
	state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.bookBytes));
}

}  // namespace

BENCHMARK(BM_VCardsToBook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VCardsBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BookToVCards)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BookBaseline)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
