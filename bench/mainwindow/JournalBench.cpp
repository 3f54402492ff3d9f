// The journal of unsaved changes on the 100,000-record book (about 15 MB),
// each measure beside its baselines in the same iterations:
//  - JournalPerChange: one record's field changed, then the window's snapshot
//    (what its thread spends: snapshot_ms) and the journal composed, written,
//    flushed and renamed by the keeper's thread; against a 200-byte file
//    written, flushed and renamed (the least any journal that survives a
//    power cut costs) and against the save of the whole book, the one other
//    way to keep the change;
//  - JournalPerAdd: the same for a record added, which makes the snapshot take
//    the ids of every record in order;
//  - OpenWithJournal: loading the book with what a window keeps for its next
//    save, then everything the journal adds at opening (leftovers of killed
//    saves cleared, a backup and a journal looked for, the keeper started),
//    against the load alone.
// Each reports its own time, the baselines' (<name>_ms) and the ratios
// (x_<name>).
#include "../book/GeneratedBook.h"

#include <BookBackup.h>
#include <BookFile.h>
#include <BookJournal.h>
#include <JournalKeeper.h>
#include <ReplacingFile.h>

#include <Entry.h>
#include <Messenger.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace bench_book;
using Clock = std::chrono::steady_clock;

const book_frame kFrame{0, 0, 400, 300};

double Seconds(Clock::time_point from, Clock::time_point to)
{
	return std::chrono::duration<double>(to - from).count();
}

// The generated book saved with its ids in a folder on disk (not in memory:
// the flushes are what they are for a user).
struct Files {
	Files()
	{
		char pattern[] = "/var/tmp/cvab-bench-XXXXXX";
		directory = mkdtemp(pattern);
		path = directory + "/book";
		setenv("XDG_STATE_HOME", (directory + "/state").c_str(), 1);
		CVABook book(nullptr);
		const std::string body = GenerateBody();
		ReadBookBody(&book, body.data(), body.size(), book_layout::kAllColumns);
		if (get_ref_for_path(path.c_str(), &ref) != B_OK
			|| SaveBookFile(&ref, &book, kFrame, nullptr) != B_OK)
			abort();
	}
	~Files()
	{
		std::error_code ignored;
		std::filesystem::remove_all(directory, ignored);
	}

	std::string directory;
	std::string path;
	entry_ref ref;
};

Files& TheFiles()
{
	static Files files;
	return files;
}

void Report(benchmark::State& state, double measured, double snapshot,
	const std::vector<std::pair<const char*, double>>& baselines)
{
	const double n = double(state.iterations());
	state.counters["snapshot_ms"] = 1000 * snapshot / n;
	for (const auto& [name, seconds] : baselines) {
		state.counters[std::string(name) + "_ms"] = 1000 * seconds / n;
		state.counters["x_" + std::string(name)] = measured / seconds;
	}
}

double TimeSmallDurableWrite(const std::string& path)
{
	const Clock::time_point start = Clock::now();
	ReplacingFile file(path, file_access::Private());
	file.Open();
	file.Write(std::string(200, 'j'));
	file.Commit();
	return Seconds(start, Clock::now());
}

double TimeSave(const Files& files, const CVABook& book)
{
	const Clock::time_point start = Clock::now();
	SaveBookFile(&files.ref, &book, kFrame, nullptr);
	return Seconds(start, Clock::now());
}

// Changes the book as change says, then times the window's snapshot and the
// keeper's write until the journal is on disk.
void JournalEach(benchmark::State& state, const std::function<void(CVABook&, int)>& change)
{
	const Files& files = TheFiles();
	CVABook book(nullptr);
	BookAncestor ancestor;
	LoadBookFile(&files.ref, &book, nullptr, nullptr, &ancestor);
	JournalKeeper keeper{BMessenger(), 0};
	keeper.StartFromFile(files.path, ancestor, &book);
	// The first change reads the base back, once after each save.
	change(book, 0);
	keeper.TakeSnapshot(&book);
	keeper.Flush();
	double measured = 0, snapshot = 0, small = 0, save = 0;
	int n = 1;
	for (auto _ : state) {
		change(book, n++);
		const Clock::time_point start = Clock::now();
		keeper.TakeSnapshot(&book);
		const Clock::time_point taken = Clock::now();
		keeper.Flush();
		const double seconds = Seconds(start, Clock::now());
		state.SetIterationTime(seconds);
		measured += seconds;
		snapshot += Seconds(start, taken);
		small += TimeSmallDurableWrite(files.directory + "/small");
		if (n % 10 == 0)  // the save is slow: one in ten, scaled
			save += 10 * TimeSave(files, book);
	}
	Report(state, measured, snapshot, {{"small_write", small}, {"save", save}});
	keeper.Stop(nullptr);
}

void JournalPerChange(benchmark::State& state)
{
	std::mt19937 random(7);
	JournalEach(state, [&random](CVABook& book, int n) {
		book.RecordAt(static_cast<int32>(random() % kRecords))
			->SetField(kPhoneField, std::to_string(n).c_str());
	});
}

void JournalPerAdd(benchmark::State& state)
{
	JournalEach(state, [](CVABook& book, int n) {
		book.AddRecord()->SetField(kNicknameField, ("new" + std::to_string(n)).c_str());
	});
}

// What the journal adds to opening a book, as a window does it.
void OpenWithJournal(benchmark::State& state)
{
	const Files& files = TheFiles();
	JournalKeeper keeper{BMessenger(), 0};
	double measured = 0, load = 0;
	for (auto _ : state) {
		Clock::time_point start = Clock::now();
		{
			CVABook book(nullptr);
			BookAncestor ancestor;
			LoadBookFile(&files.ref, &book, nullptr, nullptr, &ancestor);
			load += Seconds(start, Clock::now());
		}
		start = Clock::now();
		CVABook book(nullptr);
		BookAncestor ancestor;
		LoadBookFile(&files.ref, &book, nullptr, nullptr, &ancestor);
		RemoveSaveLeftovers(files.path);
		book_backup backup;
		benchmark::DoNotOptimize(FindLeftBackup(files.path, ancestor.State().body, &backup));
		benchmark::DoNotOptimize(FindLeftJournal(files.path, false));
		keeper.StartFromFile(files.path, ancestor, &book);
		const double seconds = Seconds(start, Clock::now());
		state.SetIterationTime(seconds);
		measured += seconds;
	}
	state.counters["load_ms"] = 1000 * load / double(state.iterations());
	state.counters["x_load"] = measured / load;
	keeper.Stop(nullptr);
}

}  // namespace

BENCHMARK(JournalPerChange)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(50);
BENCHMARK(JournalPerAdd)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(50);
BENCHMARK(OpenWithJournal)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

BENCHMARK_MAIN();
