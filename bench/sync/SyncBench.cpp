// cvab-sync on 10,000 contacts, each measure timed beside its baseline in the
// same iterations, so that both see the same machine:
//  - Unchanged: a run on a pair already in sync (it reads the state and the
//    book and stats every card, and writes nothing), against reading the
//    book with its ids and stating the folder's files;
//  - FirstRun: a run from the book to an empty folder (every card made, read
//    back and written, the folder flushed, the book saved with its ids, the
//    state written), against writing 10,000 small files of the same sizes.
// Each reports its own time, the baseline's (baseline_ms) and their ratio
// (x_baseline). The files go to /var/tmp, or to CVAB_BENCH_DIR: a disk's
// file system makes new files slowly for a while after many were deleted,
// which swamps a first run's own work; on /dev/shm that work shows alone.
#include <BookFile.h>
#include <SyncRunner.h>
#include <VCardWriter.h>

#include <Entry.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int32 kContacts = 10000;

double Seconds(Clock::time_point from)
{
	return std::chrono::duration<double>(Clock::now() - from).count();
}

// A book of kContacts people with names, a company, an address, numbers and
// mail, saved with its ids; a folder synced with it; and an empty one.
struct Pair {
	Pair()
	{
		// CVAB_BENCH_DIR picks the file system (/dev/shm leaves the disk out).
		const char* where = getenv("CVAB_BENCH_DIR");
		std::string pattern = std::string(where != nullptr ? where : "/var/tmp")
			+ "/cvab-sync-bench-XXXXXX";
		if (mkdtemp(pattern.data()) == nullptr)
			abort();
		directory = fs::canonical(pattern);
		setenv("XDG_STATE_HOME", (directory + "/state").c_str(), 1);
		fs::create_directory(directory + "/cards");
		std::mt19937 random(2026);
		const char* firsts[] = {"Ann", "Bob", "Cleo", "Dan", "Eva", "Finn", "Gus", "Hana"};
		const char* lasts[] = {"Lee", "Moss", "Nash", "Ortiz", "Park", "Quinn", "Reyes"};
		CVABook book(nullptr);
		for (int32 i = 0; i < kContacts; i++) {
			ABookRecord* record = book.AddRecord();
			const std::string n = std::to_string(i);
			record->SetField(kNicknameField, ("p" + n).c_str());
			record->SetField(kFirstNameField, firsts[random() % 8]);
			record->SetField(kLastNameField, lasts[random() % 7]);
			record->SetField(kCompanyField, "Acme");
			record->SetField(kAddress1Field, (n + " Main St").c_str());
			record->SetField(kCityField, "Springfield");
			record->SetField(kPhoneField, ("555-" + n).c_str());
			record->SetField(kEmail1Field, ("p" + n + "@example.org").c_str());
			std::string card;
			VCardWriter::AppendCard(record, &card);
			cardSizes.push_back(card.size() + 46);  // and its UID
		}
		entry_ref ref;
		if (get_ref_for_path(Book().c_str(), &ref) != B_OK
			|| SaveBookFile(&ref, &book, book_frame{0, 0, -1, -1}, nullptr) != B_OK
			|| Sync("cards") != kSyncDone)
			abort();
	}
	~Pair() { fs::remove_all(directory); }

	std::string Book() const { return directory + "/book"; }

	int Sync(const char* folder) const
	{
		sync_options options;
		options.book = Book();
		options.folder = directory + "/" + folder;
		FILE* null = fopen("/dev/null", "w");
		const int status = SyncRunner(options, null, null).Run();
		fclose(null);
		return status;
	}

	std::string directory;
	std::vector<size_t> cardSizes;
};

Pair& ThePair()
{
	static Pair pair;
	return pair;
}

// Runs the measure and the baseline in every iteration; the iteration's time
// is the measure's, the baseline's mean and ratio are reported as counters.
void Paired(benchmark::State& state, const std::function<double()>& measure,
	const std::function<double()>& baseline)
{
	double measured = 0;
	double base = 0;
	bool baselineFirst = false;
	for (auto _ : state) {
		// In turn first: what one leaves the file system (its inode
		// allocator, its journal) the other meets as often.
		if (baselineFirst)
			base += baseline();
		const double seconds = measure();
		state.SetIterationTime(seconds);
		measured += seconds;
		if (!baselineFirst)
			base += baseline();
		baselineFirst = !baselineFirst;
	}
	state.counters["baseline_ms"] = 1000 * base / double(state.iterations());
	state.counters["x_baseline"] = measured / base;
}

void Unchanged(benchmark::State& state)
{
	const Pair& pair = ThePair();
	Paired(state, [&] {
		const Clock::time_point start = Clock::now();
		if (pair.Sync("cards") != kSyncDone)
			state.SkipWithError("the pair was not in sync");
		return Seconds(start);
	}, [&] {
		const Clock::time_point start = Clock::now();
		entry_ref ref;
		get_ref_for_path(pair.Book().c_str(), &ref);
		CVABook book(nullptr);
		BookAncestor ancestor;
		LoadBookFile(&ref, &book, nullptr, nullptr, &ancestor);
		const int folder = open((pair.directory + "/cards").c_str(), O_RDONLY | O_DIRECTORY);
		DIR* entries = fdopendir(folder);
		size_t stated = 0;
		while (const dirent* entry = readdir(entries)) {
			struct stat info;
			stated += fstatat(folder, entry->d_name, &info, 0) == 0 ? 1 : 0;
		}
		closedir(entries);
		benchmark::DoNotOptimize(stated);
		return Seconds(start);
	});
}

// Each iteration syncs to a new folder and writes the baseline's files into
// another: deleting 10,000 files would slow the next ones made (the file
// system looks for recently freed inodes), so nothing is deleted until the end.
void FirstRun(benchmark::State& state)
{
	const Pair& pair = ThePair();
	static int32 folders = 0;  // new ones for every repetition too
	Paired(state, [&] {
		const std::string folder = "first-" + std::to_string(folders);
		fs::create_directory(pair.directory + "/" + folder);
		const Clock::time_point start = Clock::now();
		if (pair.Sync(folder.c_str()) != kSyncDone)
			state.SkipWithError("the first run failed");
		return Seconds(start);
	}, [&] {
		const std::string folder = pair.directory + "/plain-" + std::to_string(folders++);
		fs::create_directory(folder);
		const Clock::time_point start = Clock::now();
		const std::string bytes(400, 'x');
		for (size_t i = 0; i < pair.cardSizes.size(); i++) {
			const std::string name = folder + "/" + std::to_string(i) + ".vcf";
			const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
			if (fd < 0 || write(fd, bytes.data(), pair.cardSizes[i]) < 0)
				abort();
			close(fd);
		}
		return Seconds(start);
	});
}

}  // namespace

BENCHMARK(Unchanged)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(FirstRun)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(6);

BENCHMARK_MAIN();
