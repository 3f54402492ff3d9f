// One screen of the record list's text, as the list draws it (21 columns 80
// pixels apart from 2 pixels inside the first, baselines 2 above each row's
// bottom, clipped to a 780 x 555 list), each run beside its baseline in the same
// iterations, timed in the drawing thread's processor time:
//  - a screen of the generated 100,000-record book drawn by the text engine,
//    against the same screen drawn by the FreeType path the engine replaced
//    (kept in LegacyText as it was); each iteration shows rows not shown
//    before, as paging through the book does, so no layout is kept from before;
//  - the same screen drawn again at once, the layouts kept;
//  - a screen of names in a dozen scripts and emoji, against the Latin screen of
//    the same rows, both by the text engine: rows not shown before, and again.
// Sections: the rows; drawing a screen; the measures.
#include "../book/GeneratedBook.h"
#include "LegacyText.h"

#include <Painter.h>
#include <TextEngine.h>
#include <TextLayout.h>

#include <benchmark/benchmark.h>

#include <string>
#include <time.h>
#include <vector>

namespace {

constexpr int32 kRows = 37;  // of 15 pixels in the list's 555
constexpr int32 kWidth = 780;
constexpr int32 kHeight = 555;
const TextFont kFont{"Liberation Sans", "Regular", 10};

// --- the rows

using Screen = std::vector<std::string>;  // kRows x 21 field texts

const std::vector<std::string>& LatinFields()
{
	static const std::vector<std::string> fields = bench_book::SplitLines(
		bench_book::GenerateBody());
	return fields;
}

// Rows first to first + kRows of the Latin book, wrapping round at its end.
Screen LatinScreen(int32 first)
{
	const std::vector<std::string>& fields = LatinFields();
	Screen screen;
	for (int32 row = 0; row < kRows; row++) {
		const size_t record = size_t(first + row) % bench_book::kRecords;
		for (int32 field = 0; field < kBookFieldCount; field++)
			screen.push_back(fields[record * kBookFieldCount + field]);
	}
	return screen;
}

// The same rows with each field a name in one of a dozen scripts, made unique
// by its record's number, as every record of a real book differs.
Screen MixedScreen(int32 first)
{
	static const char* const kNames[] = {
		"\xe5\xb1\xb1\xe7\x94\xb0 \xe5\xa4\xaa\xe9\x83\x8e", "\xe7\x8e\x8b\xe5\xb0\x8f\xe6\x98\x8e",
		"\xea\xb9\x80\xeb\xaf\xbc\xec\xa4\x80", "\xd9\x85\xd8\xad\xd9\x85\xd8\xaf \xd8\xb9\xd9\x84\xd9\x8a",
		"\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d", "\xe0\xa4\xa8\xe0\xa4\xae\xe0\xa4\xb8\xe0\xa5\x8d\xe0\xa4\xa4\xe0\xa5\x87",
		"\xe0\xb8\xaa\xe0\xb8\xa1\xe0\xb8\x8a\xe0\xb8\xb2\xe0\xb8\xa2", "Nguy\xe1\xbb\x85n V\xc4\x83n",
		"\xce\x93\xce\xb9\xcf\x8e\xcf\x81\xce\xb3\xce\xbf\xcf\x82", "\xd0\x81\xd0\xb6\xd0\xb8\xd0\xba",
		"\xf0\x9f\x87\xaf\xf0\x9f\x87\xb5 Yuki", "Ann Lee"};
	Screen screen;
	for (int32 row = 0; row < kRows; row++) {
		for (int32 field = 0; field < kBookFieldCount; field++) {
			screen.push_back(std::string(kNames[(row + field) % std::size(kNames)]) + " "
				+ std::to_string(first + row));
		}
	}
	return screen;
}

// --- drawing a screen

// Each text as BView::DrawString draws it now: nothing for text out of sight,
// else its shared line, then the painter.
void DrawWithEngine(Framebuffer& frame, Painter& painter, const Screen& screen)
{
	const std::vector<PixelRect> clip{frame.Bounds()};
	TextEngine& engine = TextEngine::Default();
	for (size_t i = 0; i < screen.size(); i++) {
		const int32 row = int32(i) / kBookFieldCount;
		const int32 x = 2 + 80 * (int32(i) % kBookFieldCount);
		painter.SetClip(clip);
		if (!painter.MayShowText(x, row * 15 + 12, kFont.size))
			continue;
		const std::shared_ptr<const TextLayout> line = engine.Line(kFont, screen[i]);
		painter.DrawText(*line, 0, x, row * 15 + 12, PackColor(0, 0, 0));
		benchmark::DoNotOptimize(line->Width());
	}
}

// Each text as BView::DrawString drew it before: the font's face looked up, the
// glyphs blended, the face's heights asked for the drawn area.
void DrawWithFreeType(Framebuffer& frame, const Screen& screen)
{
	for (size_t i = 0; i < screen.size(); i++) {
		const int32 row = int32(i) / kBookFieldCount;
		const int32 x = 2 + 80 * (int32(i) % kBookFieldCount);
		legacy::Face* face = legacy::Face::For("Liberation Sans", "Regular");
		const int32 advance = legacy::DrawString(frame, frame.Bounds(), face, 10, screen[i].data(),
			int32(screen[i].size()), x, row * 15 + 12, PackColor(0, 0, 0));
		benchmark::DoNotOptimize(advance + face->Ascent(10));
	}
}

// This thread's processor time: the machine is shared, and all the drawing
// happens in this thread.
double ThreadSeconds()
{
	timespec now;
	clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
	return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

template <typename Draw>
double Timed(Framebuffer& frame, Draw draw)
{
	frame.Resize(kWidth, kHeight);
	const double start = ThreadSeconds();
	draw();
	return ThreadSeconds() - start;
}

void ReportAgainst(benchmark::State& state, double measured, double baseline, const char* name)
{
	if (baseline <= 0 || state.iterations() == 0)
		return;
	state.counters[std::string(name) + "_us"] = 1e6 * baseline / double(state.iterations());
	state.counters["x_" + std::string(name)] = measured / baseline;
}

// --- the measures

// A screen of rows never drawn before, by the engine and by the old path.
void LatinScreenAgainstFreeType(benchmark::State& state)
{
	Framebuffer frame;
	Painter painter(frame);
	double engine = 0;
	double freeType = 0;
	int32 first = bench_book::kRecords / 2;
	for (auto _ : state) {
		const Screen screen = LatinScreen(first);
		first += kRows;
		const double drawn = Timed(frame, [&] { DrawWithEngine(frame, painter, screen); });
		freeType += Timed(frame, [&] { DrawWithFreeType(frame, screen); });
		state.SetIterationTime(drawn);
		engine += drawn;
	}
	ReportAgainst(state, engine, freeType, "freetype");
}

// The screen drawn again, its layouts kept, against the old path drawing it again.
void LatinScreenRedrawn(benchmark::State& state)
{
	Framebuffer frame;
	Painter painter(frame);
	const Screen screen = LatinScreen(0);
	DrawWithEngine(frame, painter, screen);
	double engine = 0;
	double freeType = 0;
	for (auto _ : state) {
		const double drawn = Timed(frame, [&] { DrawWithEngine(frame, painter, screen); });
		freeType += Timed(frame, [&] { DrawWithFreeType(frame, screen); });
		state.SetIterationTime(drawn);
		engine += drawn;
	}
	ReportAgainst(state, engine, freeType, "freetype");
}

// Names in many scripts against Latin names, rows never drawn before, both by
// the engine.
void MixedScreenAgainstLatin(benchmark::State& state)
{
	Framebuffer frame;
	Painter painter(frame);
	double mixed = 0;
	double latin = 0;
	int32 first = 0;
	for (auto _ : state) {
		const Screen names = MixedScreen(first);
		const Screen letters = LatinScreen(first);
		first += kRows;
		const double drawn = Timed(frame, [&] { DrawWithEngine(frame, painter, names); });
		latin += Timed(frame, [&] { DrawWithEngine(frame, painter, letters); });
		state.SetIterationTime(drawn);
		mixed += drawn;
	}
	ReportAgainst(state, mixed, latin, "latin");
}

// The same two screens drawn again, their layouts kept.
void MixedScreenRedrawnAgainstLatin(benchmark::State& state)
{
	Framebuffer frame;
	Painter painter(frame);
	const Screen names = MixedScreen(0);
	const Screen letters = LatinScreen(0);
	Timed(frame, [&] { DrawWithEngine(frame, painter, names); });
	Timed(frame, [&] { DrawWithEngine(frame, painter, letters); });
	double mixed = 0;
	double latin = 0;
	for (auto _ : state) {
		const double drawn = Timed(frame, [&] { DrawWithEngine(frame, painter, names); });
		latin += Timed(frame, [&] { DrawWithEngine(frame, painter, letters); });
		state.SetIterationTime(drawn);
		mixed += drawn;
	}
	ReportAgainst(state, mixed, latin, "latin");
}

}  // namespace

BENCHMARK(LatinScreenAgainstFreeType)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(LatinScreenRedrawn)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(MixedScreenAgainstLatin)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(MixedScreenRedrawnAgainstLatin)->Unit(benchmark::kMillisecond)->UseManualTime();

BENCHMARK_MAIN();
