// The Find window's search over the generated 100,000-record book: Search Again
// steps near the start and near the end of the book (every record matches once,
// in its last field, so a step examines one record's 21 fields wherever it
// stands), and a walk of the whole book that finds nothing, beside a plain loop
// over the same records making the same comparisons by the ASCII rule; and the
// walk of a book whose names and cities end in "ö", three fields a record that
// are folded through the library rather than byte by byte.
#include "GeneratedBook.h"

#include <AsciiText.h>
#include <CVABook.h>
#include <RecordSearch.h>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace bench_book;

enum class extra { kNone, kMarker, kAccents };

// The generated records; with a marker in every record's last field, or an "ö"
// after the names and the city. The generated texts hold letters and spaces
// only, never '#'.
std::unique_ptr<CVABook> MakeBook(extra added)
{
	auto book = std::make_unique<CVABook>(nullptr);
	const std::string body = GenerateBody();
	size_t start = 0;
	ABookRecord* record = nullptr;
	int32 field = 0;
	for (size_t i = 0; i < body.size(); i++) {
		if (body[i] != '\t' && body[i] != '\n')
			continue;
		if (record == nullptr)
			record = book->AddRecord();
		record->SetField(field++, body.data() + start, i - start);
		start = i + 1;
		if (body[i] == '\n') {
			if (added == extra::kMarker)
				record->SetField(kBirthdayField, "#");
			for (const int32 accented : {kFirstNameField, kLastNameField, kCityField}) {
				if (added == extra::kAccents)
					record->SetField(accented, (record->Field(accented) + std::string("\u00f6")).c_str());
			}
			record = nullptr;
			field = 0;
		}
	}
	return book;
}

const CVABook& MarkedBook()
{
	static const std::unique_ptr<CVABook> book = MakeBook(extra::kMarker);
	return *book;
}

const CVABook& PlainBook()
{
	static const std::unique_ptr<CVABook> book = MakeBook(extra::kNone);
	return *book;
}

const CVABook& AccentedBook()
{
	static const std::unique_ptr<CVABook> book = MakeBook(extra::kAccents);
	return *book;
}

constexpr int32 kSteps = 1000;

// A search under way at record `at` of the marked book, copied for each run.
void StepFrom(benchmark::State& state, int32 at)
{
	const CVABook& book = MarkedBook();
	RecordSearch from;
	from.Start(book, "#");
	for (int32 n = 0; n < at; n++)
		from.Continue(book);
	for (auto _ : state) {
		RecordSearch search = from;
		for (int32 n = 0; n < kSteps; n++)
			benchmark::DoNotOptimize(search.Continue(book));
	}
	state.SetItemsProcessed(state.iterations() * kSteps);
}

void BM_SearchAgainAtStart(benchmark::State& state)
{
	StepFrom(state, 0);
}
BENCHMARK(BM_SearchAgainAtStart)->Unit(benchmark::kMicrosecond);

void BM_SearchAgainAtEnd(benchmark::State& state)
{
	StepFrom(state, kRecords - kSteps - 1);
}
BENCHMARK(BM_SearchAgainAtEnd)->Unit(benchmark::kMicrosecond);

void SearchWhole(benchmark::State& state, const CVABook& book)
{
	for (auto _ : state) {
		RecordSearch search;
		benchmark::DoNotOptimize(search.Start(book, "#"));
	}
	state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_SearchWholeBookNoMatch(benchmark::State& state)
{
	SearchWhole(state, PlainBook());
}
BENCHMARK(BM_SearchWholeBookNoMatch)->Unit(benchmark::kMillisecond);

void BM_PlainLoopWholeBookNoMatch(benchmark::State& state)
{
	const CVABook& book = PlainBook();
	for (auto _ : state) {
		const ABookRecord* found = nullptr;
		for (const ABookRecord* record = book.FirstRecord(); record != nullptr && found == nullptr;
			 record = record->Next()) {
			for (int32 field = 0; field < kBookFieldCount; field++) {
				const char* text = record->Field(field);
				if (*text != '\0' && ContainsFolded(text, "#")) {
					found = record;
					break;
				}
			}
		}
		benchmark::DoNotOptimize(found);
	}
	state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_PlainLoopWholeBookNoMatch)->Unit(benchmark::kMillisecond);

void BM_SearchWholeAccentedBookNoMatch(benchmark::State& state)
{
	SearchWhole(state, AccentedBook());
}
BENCHMARK(BM_SearchWholeAccentedBookNoMatch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
