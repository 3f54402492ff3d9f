// The list view on the headless screen: appending 100,000 rows to a list that is
// shown against one in no window; redrawing one screenful of a list 100 or 100,000
// rows long; and IndexOf of the row being drawn, asked by the row itself, at both
// lengths. Work in a shown window runs in that window's thread, timed from the
// request until the frame is drawn and handed on.
#include <Application.h>
#include <ListView.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <Window.h>

#include "../common/HeadlessApp.h"
#include "HeadlessScreen.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

using Screen = BPrivate::HeadlessScreen;

constexpr int32 kAppended = 100000;

std::string Label(int32 row)
{
	char text[64];
	std::snprintf(text, sizeof(text), "%6d  Joanna Example-Smith  Springfield", (int)row);
	return text;
}

// A row that asks its list for its own index while drawing, as a table row that
// shades every other line does.
class IndexedItem : public BStringItem {
public:
	explicit IndexedItem(const char* text) : BStringItem(text) {}
	void DrawItem(BView* owner, BRect frame, bool complete) override
	{
		indexSum += static_cast<BListView*>(owner)->IndexOf(this);
		BStringItem::DrawItem(owner, frame, complete);
	}
	static inline int64 indexSum = 0;
};

std::vector<BListItem*> MakeItems(int32 count, bool indexed)
{
	std::vector<BListItem*> items;
	items.reserve(count);
	for (int32 i = 0; i < count; i++) {
		const std::string label = Label(i);
		items.push_back(indexed ? new IndexedItem(label.c_str())
			: static_cast<BListItem*>(new BStringItem(label.c_str())));
	}
	return items;
}

void DeleteAll(BListView* list)
{
	std::vector<BListItem*> items(list->Items(), list->Items() + list->CountItems());
	list->MakeEmpty();
	for (BListItem* item : items)
		delete item;
}

constexpr uint32 kAppend = 'appd';
constexpr uint32 kRedraw = 'rdrw';
constexpr uint32 kEmpty = 'empt';

// Holds a list in a scroll view and does each request in its own thread, answering
// once the window has drawn what the request made invalid.
class ListWindow : public BWindow {
public:
	ListWindow() : BWindow(BRect(10, 10, 409, 609), "bench", B_TITLED_WINDOW, 0)
	{
		list = new BListView(BRect(0, 0, 399 - B_V_SCROLL_BAR_WIDTH, 599), "list",
			B_MULTIPLE_SELECTION_LIST, B_FOLLOW_ALL_SIDES);
		AddChild(new BScrollView("scroll", list, B_FOLLOW_ALL_SIDES, 0, false, true,
			B_NO_BORDER));
	}

	void MessageReceived(BMessage* message) override
	{
		switch (message->what) {
			case kAppend:
				for (BListItem* item : pending)
					list->AddItem(item);
				pending.clear();
				break;
			case kRedraw:
				list->Invalidate();
				break;
			case kEmpty:
				DeleteAll(list);
				break;
			default:
				BWindow::MessageReceived(message);
				return;
		}
		UpdateIfNeeded();
		BMessage done(B_REPLY);
		message->SendReply(&done);
	}

	BListView* list;
	std::vector<BListItem*> pending;  // rows for the next kAppend
};

HeadlessApp& TheDisplay()
{
	static HeadlessApp app("application/x-vnd.cvab-list-bench");
	return app;
}

// A shown ListWindow, closed when done.
struct ShownList {
	ShownList()
	{
		TheDisplay();
		window = new ListWindow();
		window->Show();
		Screen::WaitForIdle();
	}
	~ShownList()
	{
		Ask(kEmpty);
		if (window->Lock())
			window->Quit();
		Screen::WaitForIdle();
	}
	void Ask(uint32 what)
	{
		BMessage request(what);
		BMessage reply;
		BMessenger(window).SendMessage(&request, &reply);
	}
	void Fill(std::vector<BListItem*> items)
	{
		window->Lock();
		window->pending = std::move(items);
		window->Unlock();
		Ask(kAppend);
	}
	// Scrolls half-way down, where a long list's layout is deepest.
	void ScrollToMiddle()
	{
		window->Lock();
		BListView* list = window->list;
		list->ScrollTo(BPoint(0, list->ItemFrame(list->CountItems() / 2).top));
		window->Unlock();
		Screen::WaitForIdle();
	}

	ListWindow* window;
};

void AppendDetached(benchmark::State& state)
{
	for (auto _ : state) {
		state.PauseTiming();
		BListView list(BRect(0, 0, 399, 599), "list", B_MULTIPLE_SELECTION_LIST);
		const std::vector<BListItem*> items = MakeItems(kAppended, false);
		state.ResumeTiming();
		for (BListItem* item : items)
			list.AddItem(item);
		state.PauseTiming();
		DeleteAll(&list);
		state.ResumeTiming();
	}
	state.SetItemsProcessed(state.iterations() * kAppended);
}

void AppendShown(benchmark::State& state)
{
	ShownList shown;
	for (auto _ : state) {
		state.PauseTiming();
		std::vector<BListItem*> items = MakeItems(kAppended, false);
		shown.window->Lock();
		shown.window->pending = std::move(items);
		shown.window->Unlock();
		state.ResumeTiming();
		shown.Ask(kAppend);
		state.PauseTiming();
		shown.Ask(kEmpty);
		state.ResumeTiming();
	}
	state.SetItemsProcessed(state.iterations() * kAppended);
}

// One screenful (the whole list view) redrawn, the list scrolled to its middle.
void RedrawScreenful(benchmark::State& state, bool indexed)
{
	ShownList shown;
	shown.Fill(MakeItems(int32(state.range(0)), indexed));
	shown.ScrollToMiddle();
	for (auto _ : state)
		shown.Ask(kRedraw);
}

void RedrawPlainRows(benchmark::State& state)
{
	RedrawScreenful(state, false);
}

void RedrawRowsAskingTheirIndex(benchmark::State& state)
{
	RedrawScreenful(state, true);
}

// IndexOf alone, for the forty rows a screenful in the middle of the list shows.
void IndexOfItem(benchmark::State& state)
{
	constexpr int32 kShown = 40;
	const int32 count = int32(state.range(0));
	BListView list(BRect(0, 0, 399, 599), "list");
	const std::vector<BListItem*> items = MakeItems(count, false);
	for (BListItem* item : items)
		list.AddItem(item);
	const int32 first = count / 2 - kShown / 2;
	int32 next = 0;
	for (auto _ : state) {
		benchmark::DoNotOptimize(list.IndexOf(items[first + next]));
		next = (next + 1) % kShown;
	}
	DeleteAll(&list);
}

}  // namespace

BENCHMARK(AppendDetached)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(AppendShown)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RedrawPlainRows)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(RedrawRowsAskingTheirIndex)->Arg(100)->Arg(100000)
	->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(IndexOfItem)->Arg(100)->Arg(100000)->Unit(benchmark::kNanosecond);

BENCHMARK_MAIN();
