// The main window on the headless screen, each measure run beside the plainest
// code doing the same work, interleaved in the same iterations so both see the
// same machine:
//  - opening a 100,000-record book to the first drawn frame of its list, against
//    one read of the file split into 21 strings a line;
//  - a click on a column header to the redrawn, sorted list, against the
//    document's sort alone;
//  - one page scrolled by Page Down (and by ScrollBy) in a list of 100 rows and
//    in one of 100,000;
//  - resident memory per record with the book shown, beside the file's bytes and
//    the same records as a plain vector of strings.
// Times in shown windows run from the request until the screen is idle again;
// IdleFloor is what that wait alone costs.
// Sections: the book files; windows; open; sort; page; memory.
#include "../book/GeneratedBook.h"
#include "../common/HeadlessApp.h"

#include <ABListView.h>
#include <BookFile.h>
#include <CVABWindow.h>
#include <CVABook.h>

#include <Autolock.h>
#include <Entry.h>

#include "HeadlessScreen.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace bench_book;
using Screen = BPrivate::HeadlessScreen;
using Clock = std::chrono::steady_clock;

// --- the book files

constexpr int32 kSmallRecords = 100;

struct BookFile {
	std::string path;
	entry_ref ref;
	size_t bytes = 0;
	int32 records = 0;
};

// The generated book saved as a real book file (body, type and frame), and its
// first 100 records as a second one, in a temporary folder.
class BookFiles {
public:
	BookFiles()
	{
		char pattern[] = "/var/tmp/cvab-bench-XXXXXX";
		fDirectory = mkdtemp(pattern);
		const std::string body = GenerateBody();
		size_t smallEnd = 0;
		for (int32 line = 0; line < kSmallRecords; line++)
			smallEnd = body.find('\n', smallEnd) + 1;
		large = Save(body, "large");
		small = Save(body.substr(0, smallEnd), "small");
	}
	~BookFiles()
	{
		unlink(large.path.c_str());
		unlink(small.path.c_str());
		rmdir(fDirectory.c_str());
	}

	BookFile large;
	BookFile small;

private:
	BookFile Save(const std::string& body, const char* name) const
	{
		CVABook book(nullptr);
		BookFile file;
		file.records = ReadBookBody(&book, body.data(), body.size(), book_layout::kAllColumns);
		file.path = fDirectory + "/" + name;
		get_ref_for_path(file.path.c_str(), &file.ref);
		if (SaveBookFile(&file.ref, &book, book_frame{20, 20, 800, 600}, nullptr) != B_OK)
			abort();
		struct stat info;
		stat(file.path.c_str(), &info);
		file.bytes = size_t(info.st_size);
		return file;
	}

	std::string fDirectory;
};

const BookFiles& TheFiles()
{
	static const BookFiles files;
	return files;
}

// --- windows

HeadlessApp& TheDisplay()
{
	static HeadlessApp app("application/x-vnd.cvab-mainwindow-bench");
	return app;
}

// Opening 100,000 records takes far longer than the screen's usual five seconds.
bool Settle()
{
	return Screen::WaitForIdle(60000000);
}

// The application's own way of opening a book: a new window, then ReadBookFile
// with the file's ref, which shows it.
CVABWindow* OpenBook(const BookFile& file)
{
	TheDisplay();
	auto* window = new CVABWindow(BRect(20, 20, 800, 600), nullptr);
	BMessage refs(B_REFS_RECEIVED);
	refs.AddRef("refs", &file.ref);
	window->ReadBookFile(&refs);
	return window;
}

void Close(CVABWindow* window)
{
	if (window->Lock())
		window->Quit();
	Settle();
}

double Seconds(Clock::time_point from, Clock::time_point to)
{
	return std::chrono::duration<double>(to - from).count();
}

// The ratio and the baseline's mean time as counters beside the measure.
void ReportAgainst(benchmark::State& state, double measured, double baseline, const char* name)
{
	if (baseline <= 0 || state.iterations() == 0)
		return;
	state.counters[std::string(name) + "_ms"] = 1e3 * baseline / double(state.iterations());
	state.counters["x_" + std::string(name)] = measured / baseline;
}

void IdleFloor(benchmark::State& state)
{
	TheDisplay();
	Settle();
	for (auto _ : state)
		Settle();
}

// --- open

void OpenToFirstFrame(benchmark::State& state)
{
	const BookFile& file = TheFiles().large;
	double opened = 0;
	double baseline = 0;
	for (auto _ : state) {
		const Clock::time_point start = Clock::now();
		CVABWindow* window = OpenBook(file);
		if (!Settle()) {
			state.SkipWithError("the window did not settle");
			break;
		}
		const Clock::time_point shown = Clock::now();
		Close(window);

		const Clock::time_point read = Clock::now();
		std::vector<std::string> fields = SplitLines(ReadWholeFile(file.path));
		benchmark::DoNotOptimize(fields.data());
		const Clock::time_point split = Clock::now();
		fields = {};

		state.SetIterationTime(Seconds(start, shown));
		opened += Seconds(start, shown);
		baseline += Seconds(read, split);
	}
	ReportAgainst(state, opened, baseline, "read_split");
	state.SetItemsProcessed(state.iterations() * file.records);
}

// --- sort

BPoint HeaderButtonCentre(CVABWindow* window, int32 field)
{
	BAutolock lock(window);
	BView* button = window->FindView(kBookFieldNames[field]);
	if (button == nullptr)
		abort();
	const BRect bounds = button->Bounds();
	return button->ConvertToScreen(
		BPoint((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2));
}

bool IsSortedBy(const CVABook* book, int32 field)
{
	for (const ABookRecord* record = book->FirstRecord(); record->Next() != nullptr;
		 record = record->Next()) {
		if (ABookRecord::CompareField(record, record->Next(), field) > 0)
			return false;
	}
	return true;
}

// Two fields in turn, so that every click finds the book in another order.
void HeaderClickSort(benchmark::State& state)
{
	const BookFile& file = TheFiles().large;
	const int32 fields[2] = {kLastNameField, kFirstNameField};
	CVABWindow* window = OpenBook(file);
	Settle();
	const BPoint buttons[2] = {HeaderButtonCentre(window, fields[0]),
		HeaderButtonCentre(window, fields[1])};
	CVABook plain(nullptr);
	LoadBookFile(&file.ref, &plain, nullptr);

	double sorted = 0;
	double baseline = 0;
	int which = 0;
	for (auto _ : state) {
		const Clock::time_point start = Clock::now();
		Screen::Click(buttons[which]);
		if (!Settle()) {
			state.SkipWithError("the window did not settle");
			break;
		}
		const Clock::time_point drawn = Clock::now();
		plain.SortByField(fields[which]);
		const Clock::time_point plainSorted = Clock::now();

		state.SetIterationTime(Seconds(start, drawn));
		sorted += Seconds(start, drawn);
		baseline += Seconds(drawn, plainSorted);
		which ^= 1;
	}
	window->Lock();
	const bool clicked = IsSortedBy(window->Book(), fields[which ^ 1]);
	window->Unlock();
	if (!clicked)
		state.SkipWithError("the click did not sort the book");
	ReportAgainst(state, sorted, baseline, "document_sort");
	Close(window);
}

// --- page

constexpr char kPageDown[] = {B_PAGE_DOWN, '\0'};

// A shown book whose list is paged through from a starting row: its middle when
// long (where the layout is deepest), its top when short. Between pages that
// are timed, the list goes back to the start whenever the next page would not
// be a whole one, untimed.
class PagedBook {
public:
	explicit PagedBook(const BookFile& file)
		: fWindow(OpenBook(file)),
		  fStart(file.records > 1000 ? file.records / 2 : 0)
	{
		Settle();
		BAutolock lock(fWindow);
		fWindow->ListView()->MakeFocus(true);
	}
	~PagedBook() { Close(fWindow); }

	// One Page Down key to the redrawn frame; negative when the list did not move.
	double PageByKey()
	{
		_Prepare(true);
		const float before = _Top();
		const Clock::time_point start = Clock::now();
		Screen::TypeKey(kPageDown);
		Settle();
		const double seconds = Seconds(start, Clock::now());
		return _Top() > before ? seconds : -1;
	}

	// ScrollBy one page on the list itself, the selection left alone.
	double PageByScroll()
	{
		_Prepare(false);
		const float before = _Top();
		const Clock::time_point start = Clock::now();
		fWindow->Lock();
		fWindow->ListView()->ScrollBy(0, fWindow->ListView()->Bounds().Height() + 1);
		fWindow->Unlock();
		Settle();
		const double seconds = Seconds(start, Clock::now());
		return _Top() > before ? seconds : -1;
	}

private:
	float _Top()
	{
		BAutolock lock(fWindow);
		return fWindow->ListView()->Bounds().top;
	}

	// Keys reach only the active window; a list near its end, or not yet
	// paged, goes back to its start row. After a rewind for keys, one Page Down
	// moves the selection to the bottom of the first page, so that the next one
	// scrolls a whole page.
	void _Prepare(bool byKey)
	{
		fWindow->Lock();
		ABListView* list = fWindow->ListView();
		const BRect bounds = list->Bounds();
		const float end = list->ItemFrame(list->CountItems() - 1).bottom;
		const bool rewind = !fPaged || bounds.bottom + bounds.Height() + 1 > end;
		if (byKey && !fWindow->IsActive())
			fWindow->Activate(true);
		if (rewind) {
			list->Select(fStart);
			list->ScrollTo(BPoint(0, list->ItemFrame(fStart).top));
		}
		fWindow->Unlock();
		Settle();
		if (rewind && byKey) {
			Screen::TypeKey(kPageDown);
			Settle();
		}
		fPaged = true;
	}

	CVABWindow* const fWindow;
	const int32 fStart;
	bool fPaged = false;
};

// Pages of the short list and of the long one in turn; the time reported is the
// long list's, its ratio to the short one's a counter.
void PageBoth(benchmark::State& state, double (PagedBook::*page)())
{
	PagedBook shortList(TheFiles().small);
	PagedBook longList(TheFiles().large);
	double shortTotal = 0;
	double longTotal = 0;
	for (auto _ : state) {
		const double shortTime = (shortList.*page)();
		const double longTime = (longList.*page)();
		if (shortTime < 0 || longTime < 0) {
			state.SkipWithError("a page did not scroll");
			break;
		}
		state.SetIterationTime(longTime);
		shortTotal += shortTime;
		longTotal += longTime;
	}
	ReportAgainst(state, longTotal, shortTotal, "100_rows");
}

void PageDownKey(benchmark::State& state)
{
	PageBoth(state, &PagedBook::PageByKey);
}

void PageByScrollBy(benchmark::State& state)
{
	PageBoth(state, &PagedBook::PageByScroll);
}

// --- memory

size_t ResidentBytes()
{
	FILE* statm = fopen("/proc/self/statm", "r");
	long size = 0;
	long resident = 0;
	if (statm == nullptr || fscanf(statm, "%ld %ld", &size, &resident) != 2)
		abort();
	fclose(statm);
	return size_t(resident) * size_t(sysconf(_SC_PAGESIZE));
}

// Freed memory handed back first, so that only what is held counts.
size_t HeldBytes()
{
	malloc_trim(0);
	return ResidentBytes();
}

void ResidentPerRecord(benchmark::State& state)
{
	const BookFile& file = TheFiles().large;
	TheDisplay();
	Settle();
	double window = 0;
	double strings = 0;
	for (auto _ : state) {
		const size_t beforeWindow = HeldBytes();
		CVABWindow* shown = OpenBook(file);
		Settle();
		window += double(HeldBytes() - beforeWindow);
		Close(shown);

		const size_t beforeStrings = HeldBytes();
		std::vector<std::string> fields = SplitLines(ReadWholeFile(file.path));
		strings += double(HeldBytes() - beforeStrings);
		benchmark::DoNotOptimize(fields.data());
	}
	const double records = double(state.iterations()) * file.records;
	state.counters["window_B_per_record"] = window / records;
	state.counters["file_B_per_record"] = double(file.bytes) / file.records;
	state.counters["strings_B_per_record"] = strings / records;
	state.counters["x_strings"] = window / strings;
}

}  // namespace

BENCHMARK(IdleFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OpenToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(HeaderClickSort)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(PageDownKey)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(PageByScrollBy)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(ResidentPerRecord)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
