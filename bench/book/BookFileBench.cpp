// The book file on disk, 100,000 records (about 15 MB), each measure timed
// beside its baseline in the same iterations, so that both see the same machine:
//  - Load: loading through the storage kit, against one read of the file split
//    into 21 strings a line;
//  - LoadWithIds: loading a book with its ids (attribute and the file beside
//    it) and the ancestor a window keeps for its next save, against the same
//    load of the same body without them (its records get new ones), and
//    against the steps a load took before records had ids;
//  - Save: a safe save (new file, attributes, ids, flushes, renames), against
//    the steps a save took before its new files were made with their final
//    permissions and access list and before it cleared what killed saves
//    left (today), against the same save without the ids beside the book and
//    the lock (what a save cost before records had ids), and against one
//    write of the same bytes with one flush and rename;
//  - MergingSave: a save after another program changed 1,000 records and the
//    window 1,000 others (100 of them the same records), against a plain save
//    of the same book.
// Each reports its own time, the baseline's (baseline_ms) and their ratio
// (x_baseline).
#include "GeneratedBook.h"

#include <BookFile.h>
#include <BookLock.h>
#include <MergingSave.h>
#include <RecordIdFile.h>
#include <ReplacingFile.h>

#include <Entry.h>
#include <File.h>
#include <Node.h>
#include <TypeConstants.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace bench_book;
using Clock = std::chrono::steady_clock;

const book_frame kFrame{0, 0, 400, 300};

entry_ref RefFor(const std::string& path)
{
	entry_ref ref;
	if (get_ref_for_path(path.c_str(), &ref) != B_OK)
		abort();
	return ref;
}

// The generated book saved with its ids as "book", and the same body without
// them (type and frame only) as "plain".
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
		ref = RefFor(path);
		const std::string plain = directory + "/plain";
		plainRef = RefFor(plain);
		if (SaveBookFile(&ref, &book, kFrame, nullptr) != B_OK
			|| SaveBookFile(&plainRef, &book, kFrame, nullptr) != B_OK
			|| removexattr(plain.c_str(), "user.CVABRecordIds") != 0)
			abort();
	}
	~Files()
	{
		std::error_code ignored;
		std::filesystem::remove_all(directory, ignored);
	}

	CVABook book;
	std::string bytes;
	std::string directory;
	std::string path;
	entry_ref ref;
	entry_ref plainRef;
};

Files& TheFiles()
{
	static Files files;
	return files;
}

double Seconds(Clock::time_point from, Clock::time_point to)
{
	return std::chrono::duration<double>(to - from).count();
}

// Runs the timings in turn in every iteration; the iteration's time is the
// measure's, and each baseline's mean and ratio are reported as
// <name>_ms and x_<name>.
void Paired(benchmark::State& state, const std::function<double()>& measure,
	const std::vector<std::pair<const char*, std::function<double()>>>& baselines)
{
	double measured = 0;
	std::vector<double> base(baselines.size(), 0);
	for (auto _ : state) {
		const double seconds = measure();
		state.SetIterationTime(seconds);
		measured += seconds;
		for (size_t i = 0; i < baselines.size(); i++)
			base[i] += baselines[i].second();
	}
	for (size_t i = 0; i < baselines.size(); i++) {
		const std::string name = baselines[i].first;
		state.counters[name + "_ms"] = 1000 * base[i] / double(state.iterations());
		state.counters["x_" + name] = measured / base[i];
	}
	state.SetBytesProcessed(state.iterations() * TheFiles().bytes.size());
}

// The time to load the book at ref, with the ancestor a window keeps when
// asked; freeing them is not counted.
double TimeLoad(const entry_ref& ref, bool withAncestor = false)
{
	CVABook book(nullptr);
	BookAncestor ancestor;
	const Clock::time_point start = Clock::now();
	LoadBookFile(&ref, &book, nullptr, nullptr, withAncestor ? &ancestor : nullptr);
	benchmark::DoNotOptimize(book.LastRecord());
	return Seconds(start, Clock::now());
}

// The steps of a load before records had ids: the body read through the
// storage kit, the type attribute, the records.
double TimeLoadAsBefore(const entry_ref& ref)
{
	CVABook book(nullptr);
	const Clock::time_point start = Clock::now();
	BFile file(&ref, B_READ_WRITE);
	off_t size = 0;
	file.GetSize(&size);
	std::vector<char> body(static_cast<size_t>(size));
	file.Read(body.data(), body.size());
	char type[64];
	file.ReadAttr(kTypeAttrName, B_MIME_STRING_TYPE, 0, type, sizeof(type));
	ReadBookBody(&book, body.data(), body.size(), LayoutForType(type, sizeof(type)));
	benchmark::DoNotOptimize(book.LastRecord());
	return Seconds(start, Clock::now());
}

void Load(benchmark::State& state)
{
	const Files& files = TheFiles();
	Paired(state, [&] { return TimeLoad(files.ref); }, {{"strings", [&] {
		const Clock::time_point start = Clock::now();
		std::vector<std::string> fields = SplitLines(ReadWholeFile(files.path));
		benchmark::DoNotOptimize(fields.data());
		return Seconds(start, Clock::now());
	}}});
}

void LoadWithIds(benchmark::State& state)
{
	const Files& files = TheFiles();
	Paired(state, [&] { return TimeLoad(files.ref, true); },
		{{"no_ids", [&] { return TimeLoad(files.plainRef, true); }},
			{"steps_before", [&] { return TimeLoadAsBefore(files.plainRef); }}});
}

// The steps of a save before records had ids: body, type and frame through a
// replacing file, without the ids beside it or the lock.
double TimeSaveAsBefore(const Files& files, const std::string& path)
{
	const Clock::time_point start = Clock::now();
	ReplacingFile file(path);
	file.Open();
	WriteBookBody(&files.book, [&](const char* bytes, size_t size) {
		return file.Write(std::string_view(bytes, size));
	});
	uint8 frame[kFrameAttrSize];
	EncodeFrame(kFrame, frame);
	BNode node(file.NewPath().c_str());
	node.WriteAttr(kTypeAttrName, B_MIME_STRING_TYPE, 0, kBookFileType, kBookFileTypeSize);
	node.WriteAttr(kFrameAttrName, B_RECT_TYPE, 0, frame, kFrameAttrSize);
	file.Commit();
	return Seconds(start, Clock::now());
}

// The steps of a save before its new files were made with their final
// permissions (made 0666 less the umask, then changed), before it read the
// book's access list and cleared the leftovers of killed saves: the lock, the
// body with its digests, the ids beside it, the attributes, the flushes and
// renames.
double TimeSaveAsToday(const Files& files, const std::string& path)
{
	const Clock::time_point start = Clock::now();
	BookLock lock(path);
	lock.Acquire();
	const std::string temporary = files.directory + "/.today.saving";
	const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
	fchmod(fd, 0644);
	Sha256 whole;
	std::vector<sha256_digest> lines;
	std::vector<uint64> hashes;
	std::vector<record_id> ids;
	WriteBookBody(&files.book, [&](const char* bytes, size_t size) {
		whole.Update(bytes, size);
		for (const std::string_view line : BodyLines(bytes, size)) {
			lines.push_back(Sha256Of(line));
			hashes.push_back(BookLineHash(line));
		}
		return WriteWholeFd(fd, std::string_view(bytes, size));
	}, &ids);
	const sha256_digest body = whole.Finish();
	const std::string idsTemporary = files.directory + "/..today.cvabids.saving";
	const int idsFd = open(idsTemporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
	WriteWholeFd(idsFd, RecordIdFileText(ids, lines, body));
	close(idsFd);
	uint8 frame[kFrameAttrSize];
	EncodeFrame(kFrame, frame);
	BNode node(temporary.c_str());
	node.WriteAttr(kTypeAttrName, B_MIME_STRING_TYPE, 0, kBookFileType, kBookFileTypeSize);
	node.WriteAttr(kFrameAttrName, B_RECT_TYPE, 0, frame, kFrameAttrSize);
	setxattr(temporary.c_str(), "user.mime_type", kBookFileType, strlen(kBookFileType), 0);
	const std::string idsAttr = RecordIdsAttrValue(".today.cvabids", body);
	setxattr(temporary.c_str(), "user.CVABRecordIds", idsAttr.data(), idsAttr.size(), 0);
	const int reader = open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
	fsync(fd);
	close(fd);
	rename(temporary.c_str(), path.c_str());
	const int dir = open(files.directory.c_str(), O_RDONLY | O_DIRECTORY);
	fsync(dir);
	close(dir);
	rename(idsTemporary.c_str(), (files.directory + "/.today.cvabids").c_str());
	close(reader);
	return Seconds(start, Clock::now());
}

void Save(benchmark::State& state)
{
	const Files& files = TheFiles();
	const std::string temporary = files.directory + "/plain.new";
	const std::string plain = files.directory + "/written";
	Paired(state, [&] {
		const Clock::time_point start = Clock::now();
		SaveBookFile(&files.ref, &files.book, kFrame, nullptr);
		return Seconds(start, Clock::now());
	}, {{"today", [&] { return TimeSaveAsToday(files, files.directory + "/today"); }},
		{"steps_before", [&] { return TimeSaveAsBefore(files, files.directory + "/before"); }},
		{"write", [&] {
		const Clock::time_point start = Clock::now();
		const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		benchmark::DoNotOptimize(write(fd, files.bytes.data(), files.bytes.size()));
		fsync(fd);
		close(fd);
		rename(temporary.c_str(), plain.c_str());
		const int dir = open(files.directory.c_str(), O_RDONLY | O_DIRECTORY);
		fsync(dir);
		close(dir);
		return Seconds(start, Clock::now());
	}}});
}

// Changes one field of every step-th record from first on, 1,000 in all.
void ChangeRecords(CVABook* book, int32 first, int32 step, const char* text)
{
	int32 n = 0;
	for (ABookRecord* record = book->FirstRecord(); record != nullptr; record = record->Next(), n++) {
		if (n >= first && (n - first) % step == 0 && (n - first) / step < 1000)
			record->SetField(n % 2 ? kEmail1Field : kPhoneField, text);
	}
}

void MergingSave(benchmark::State& state)
{
	const Files& files = TheFiles();
	// Their version, saved over the book by "another program" before each merge.
	CVABook theirs(nullptr);
	LoadBookFile(&files.ref, &theirs, nullptr);
	ChangeRecords(&theirs, 0, 100, "theirs");
	book_save_options options;
	options.logConflicts = false;
	Paired(state, [&] {
		SaveBookFile(&files.ref, &files.book, kFrame, nullptr);
		CVABook mine(nullptr);
		BookAncestor ancestor;
		LoadBookFile(&files.ref, &mine, nullptr, nullptr, &ancestor);
		ChangeRecords(&mine, 10 * 100, 90, "mine");
		SaveBookFile(&files.ref, &theirs, kFrame, nullptr);
		book_save_result result;
		const Clock::time_point start = Clock::now();
		SaveBookMerging(&files.ref, &mine, kFrame, &ancestor, options, &result);
		const double seconds = Seconds(start, Clock::now());
		if (!result.merged || result.conflicts.empty())
			abort();  // not the work this measures
		return seconds;
	}, {{"plain_save", [&] {
		const Clock::time_point start = Clock::now();
		SaveBookFile(&files.ref, &files.book, kFrame, nullptr);
		return Seconds(start, Clock::now());
	}}});
}

}  // namespace

BENCHMARK(Load)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(LoadWithIds)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(Save)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(MergingSave)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

BENCHMARK_MAIN();
