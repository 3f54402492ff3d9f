// Cold start on a real X desktop: from starting the program on a small book to its
// window shown with its first frame on the screen, beside a bare SDL program that
// shows an empty window (the least any program here takes), in the same
// iterations. One untimed start first warms fontconfig's cache and the files.
// Needs a desktop: run it as tests/platform/server/sdl_desktop.sh bench_start.
// Sections: the programs; watching the screen; the measure.
#include "DesktopPrograms.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using bench_desktop::Named;
using bench_desktop::Start;
using bench_desktop::Stop;
using Clock = std::chrono::steady_clock;

// --- the programs

// A folder of its own for the program's settings, with a book of 20 records.
struct Scratch {
	Scratch()
	{
		char pattern[] = "/tmp/cvab-start-XXXXXX";
		folder = mkdtemp(pattern);
		setenv("HOME", folder.c_str(), 1);
		setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
		setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
		book = folder + "/book.cvab";
		std::ofstream out(book);
		for (int i = 0; i < 20; i++)
			out << "ann" << i << "\tAnn\t\tLee\t\tAcme\t1 Main St\t\tSpringfield\tIL\t62701\tUSA"
				<< "\t555-0100\t\t\tann@example.org\t\t\t\t\t\n";
	}
	~Scratch() { std::system(("rm -rf " + folder).c_str()); }

	std::string folder;
	std::string book;
};

// --- watching the screen

// Waits until a window of that name shows something other than black in its
// corner: its first frame is on the screen. False after ten seconds.
bool WaitForFrame(Display* display, const char* name)
{
	const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
	while (Clock::now() < deadline) {
		if (Window window = Named(display, DefaultRootWindow(display), name)) {
			XImage* image = XGetImage(display, window, 5, 5, 1, 1, AllPlanes, ZPixmap);
			const bool drawn = image != nullptr && (XGetPixel(image, 0, 0) & 0xffffff) != 0;
			if (image != nullptr)
				XDestroyImage(image);
			if (drawn)
				return true;
		}
		usleep(500);
	}
	return false;
}

// Seconds from starting the program until its window shows its first frame.
double TimeToFrame(Display* display, const std::vector<std::string>& program, const char* name)
{
	const Clock::time_point start = Clock::now();
	const pid_t child = Start(program);
	const bool shown = WaitForFrame(display, name);
	const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
	Stop(child);
	return shown ? seconds : -1;
}

// --- the measure

void ColdStartToFirstFrame(benchmark::State& state)
{
	Display* display = XOpenDisplay(nullptr);
	if (display == nullptr) {
		state.SkipWithError("no display: run it on a desktop (sdl_desktop.sh)");
		return;
	}
	Scratch scratch;
	const std::vector<std::string> cvab{CVAB_BINARY, scratch.book};
	const std::vector<std::string> bare{BARE_WINDOW_BINARY};
	TimeToFrame(display, cvab, "book.cvab");
	double program = 0;
	double baseline = 0;
	for (auto _ : state) {
		const double shown = TimeToFrame(display, cvab, "book.cvab");
		const double bareShown = TimeToFrame(display, bare, "bare");
		if (shown < 0 || bareShown < 0) {
			state.SkipWithError("a window did not show");
			break;
		}
		state.SetIterationTime(shown);
		program += shown;
		baseline += bareShown;
	}
	XCloseDisplay(display);
	if (state.iterations() > 0 && baseline > 0) {
		state.counters["bare_sdl_ms"] = 1e3 * baseline / double(state.iterations());
		state.counters["x_bare_sdl"] = program / baseline;
	}
}

}  // namespace

BENCHMARK(ColdStartToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

BENCHMARK_MAIN();
