// Redrawing on the headless screen, each run timed from the request until the
// window has drawn the invalid area and handed the frame to the display: a full
// 1,000 x 700 window of 40 text lines, the rate of glyphs drawn, a 20-row
// region of a scrolled view whose data is 100 or 100,000 rows tall, and a
// character typed into a record editor's field (beside the field redrawn as it
// is, in the same iterations).
#include <Application.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>

#include "../common/HeadlessApp.h"
#include "HeadlessScreen.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <future>
#include <string>
#include <thread>

namespace {

using Screen = BPrivate::HeadlessScreen;

constexpr float kRowHeight = 14;
constexpr int32 kLines = 40;

// A line of ordinary text, about 120 characters, different for every row.
std::string LineText(int32 row)
{
	char text[160];
	std::snprintf(text, sizeof(text),
		"%6d  Joanna Example-Smith  1234 Long Street Name  Springfield  OR 97401  "
		"joanna@example.org  (541) 555-0100", (int)row);
	return text;
}

// Draws the rows of a data set of any height, only those the update touches,
// as a list drawing its records does.
class RowsView : public BView {
public:
	RowsView(BRect frame, int32 rows, int32 overdraw = 1)
		: BView(frame, "rows", B_FOLLOW_ALL, B_WILL_DRAW),
		  fRows(rows),
		  fOverdraw(overdraw)
	{
		SetViewColor(255, 255, 255);
	}

	void Draw(BRect update) override
	{
		const int32 first = std::max<int32>(0, int32(std::floor(update.top / kRowHeight)));
		const int32 last = std::min<int32>(fRows - 1, int32(update.bottom / kRowHeight));
		for (int32 pass = 0; pass < fOverdraw; pass++) {
			for (int32 row = first; row <= last; row++) {
				const std::string text = LineText(row);
				DrawString(text.c_str(), BPoint(4, row * kRowHeight + 11));
				glyphs += int64(text.size());
			}
		}
	}

	int64 glyphs = 0;

private:
	const int32 fRows;
	const int32 fOverdraw;
};

constexpr uint32 kRedraw = 'rdrw';

// Redraws on request in its own thread and answers when the frame is handed on,
// so a run measures drawing, not the wait for the screen to settle.
class RedrawWindow : public BWindow {
public:
	RedrawWindow()
		: BWindow(BRect(10, 10, 1009, 709), "bench", B_TITLED_WINDOW, 0)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kRedraw) {
			BWindow::MessageReceived(message);
			return;
		}
		BRect rect;
		message->FindRect("rect", &rect);
		ChildAt(0)->Invalidate(rect);
		UpdateIfNeeded();
		BMessage done(B_REPLY);
		message->SendReply(&done);
	}
};

HeadlessApp& TheDisplay()
{
	static HeadlessApp app("application/x-vnd.cvab-display-bench");
	return app;
}

// A shown 1,000 x 700 window holding a RowsView, closed when done.
struct RowsWindow {
	RowsWindow(int32 rows, int32 overdraw, float scrollTo)
	{
		TheDisplay();
		window = new RedrawWindow();
		view = new RowsView(window->Bounds(), rows, overdraw);
		window->AddChild(view);
		view->ScrollTo(BPoint(0, scrollTo));
		window->Show();
		Screen::WaitForIdle();
	}
	~RowsWindow()
	{
		if (window->Lock())
			window->Quit();
		Screen::WaitForIdle();
	}

	// Invalidates rect (view coordinates) and waits until it is drawn.
	void Redraw(BRect rect)
	{
		BMessage request(kRedraw);
		request.AddRect("rect", rect);
		BMessage reply;
		BMessenger(window).SendMessage(&request, &reply);
	}

	int64 Glyphs()
	{
		window->Lock();
		const int64 glyphs = view->glyphs;
		window->Unlock();
		return glyphs;
	}

	BWindow* window;
	RowsView* view;
};

void FullRedraw(benchmark::State& state)
{
	RowsWindow shown(kLines, 1, 0);
	const int64 before = shown.Glyphs();
	for (auto _ : state)
		shown.Redraw(shown.view->Bounds());
	state.counters["glyphs_per_second"] = benchmark::Counter(
		double(shown.Glyphs() - before), benchmark::Counter::kIsRate);
}

// Ten passes of the same 40 lines a redraw, so drawing text outweighs filling.
void GlyphsDrawn(benchmark::State& state)
{
	RowsWindow shown(kLines, 10, 0);
	const int64 before = shown.Glyphs();
	for (auto _ : state)
		shown.Redraw(shown.view->Bounds());
	state.counters["glyphs_per_second"] = benchmark::Counter(
		double(shown.Glyphs() - before), benchmark::Counter::kIsRate);
}

// Twenty rows in the middle of the screen, the view scrolled half-way down its data.
void TwentyRowRegion(benchmark::State& state)
{
	const int32 rows = int32(state.range(0));
	const float top = std::max(0.f, rows * kRowHeight / 2 - 350);
	RowsWindow shown(rows, 1, top);
	const BRect region(0, top + 20 * kRowHeight, 999, top + 40 * kRowHeight - 1);
	for (auto _ : state)
		shown.Redraw(region);
}

constexpr uint32 kType = 'type';

// A record editor's field (its frame, text rectangle and limit), focused; on
// request it takes a key, or only redraws, and answers once the frame is handed on.
class FieldWindow : public BWindow {
public:
	explicit FieldWindow(const char* text)
		: BWindow(BRect(100, 100, 369, 569), "field", B_TITLED_WINDOW, 0)
	{
		field = new BTextView(BRect(85, 4, 245, 24), "field", BRect(5, 4, 152, 10), B_FOLLOW_ALL,
			B_WILL_DRAW | B_PULSE_NEEDED | B_NAVIGABLE);
		field->SetWordWrap(false);
		field->SetMaxBytes(40);
		AddChild(field);
		field->SetText(text);
		field->Select(field->TextLength(), field->TextLength());
		field->MakeFocus(true);
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kType) {
			BWindow::MessageReceived(message);
			return;
		}
		const char* bytes = message->GetString("bytes", nullptr);
		if (bytes != nullptr)
			field->KeyDown(bytes, int32(strlen(bytes)));
		else
			field->Invalidate();
		UpdateIfNeeded();
		BMessage done(B_REPLY);
		message->SendReply(&done);
	}

	BTextView* field;
};

// Seconds from asking the window until it answers.
double Ask(BWindow* window, const char* bytes)
{
	BMessage request(kType);
	if (bytes != nullptr)
		request.AddString("bytes", bytes);
	BMessage reply;
	const auto start = std::chrono::steady_clock::now();
	BMessenger(window).SendMessage(&request, &reply);
	return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A letter typed at the end of a name in Latin, Vietnamese and Japanese, then
// taken back with Backspace (both timed), against the field redrawn as it is.
void TypedCharacter(benchmark::State& state)
{
	TheDisplay();
	auto* window = new FieldWindow("Nguy\xe1\xbb\x85n V\xc4\x83n \xe5\xb1\xb1\xe7\x94\xb0 Ann");
	window->Show();
	Screen::WaitForIdle();
	const char* const keys[] = {"a", "\x08"};
	double typed = 0;
	double redrawn = 0;
	int key = 0;
	for (auto _ : state) {
		const double seconds = Ask(window, keys[key]);
		key ^= 1;
		redrawn += Ask(window, nullptr);
		state.SetIterationTime(seconds);
		typed += seconds;
	}
	if (window->Lock())
		window->Quit();
	Screen::WaitForIdle();
	if (state.iterations() > 0) {
		state.counters["redrawn_us"] = 1e6 * redrawn / double(state.iterations());
		state.counters["x_redrawn"] = typed / redrawn;
	}
}

}  // namespace

BENCHMARK(TypedCharacter)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(FullRedraw)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(GlyphsDrawn)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(TwentyRowRegion)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
