// Flatten plus unflatten of a ten-field message, and messages per second posted from
// one looper to another.
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>
#include <OS.h>
#include <Rect.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <string>

namespace {

BMessage TenFields()
{
	BMessage message('bnch');
	message.AddInt32("index", 12);
	message.AddInt64("when", 1234567890123);
	message.AddBool("selected", true);
	message.AddFloat("scale", 1.25f);
	message.AddDouble("ratio", 0.333);
	message.AddString("name", "Ada Lovelace");
	message.AddString("email", "ada@example.org");
	message.AddRect("frame", BRect(10, 20, 310, 220));
	message.AddPoint("where", BPoint(5, 6));
	message.AddInt32("modifiers", 0x41);
	return message;
}

void FlattenUnflatten(benchmark::State& state)
{
	const BMessage message = TenFields();
	std::string buffer;
	for (auto _ : state) {
		buffer.resize(size_t(message.FlattenedSize()));
		message.Flatten(buffer.data(), ssize_t(buffer.size()));
		BMessage copy;
		copy.Unflatten(buffer.data(), buffer.size());
		benchmark::DoNotOptimize(copy.what);
	}
	state.SetItemsProcessed(state.iterations());
	state.counters["bytes"] = double(buffer.size());
}
BENCHMARK(FlattenUnflatten);

class Counter : public BLooper {
public:
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'cnt ')
			received.fetch_add(1, std::memory_order_relaxed);
	}
	std::atomic<int64> received{0};
};

// The sender looper posts `count` messages to the receiver from its own thread.
class Sender : public BLooper {
public:
	explicit Sender(BLooper* target) : fTarget(target) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what != 'go  ')
			return;
		const int64 count = message->GetInt64("count", 0);
		BMessage payload('cnt ');
		for (int64 i = 0; i < count; i++)
			fTarget->PostMessage(&payload);
	}

private:
	BLooper* fTarget;
};

void LooperToLooper(benchmark::State& state)
{
	const int64 count = state.range(0);
	auto* receiver = new Counter;
	receiver->Run();
	auto* sender = new Sender(receiver);
	sender->Run();
	for (auto _ : state) {
		const int64 start = receiver->received.load();
		BMessage go('go  ');
		go.AddInt64("count", count);
		sender->PostMessage(&go);
		while (receiver->received.load() - start < count)
			snooze(200);
	}
	state.SetItemsProcessed(state.iterations() * count);
	sender->Lock();
	sender->Quit();
	receiver->Lock();
	receiver->Quit();
}
BENCHMARK(LooperToLooper)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1)
	->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
