// Between two processes: synchronous round trips through messengers, the same bytes
// ping-ponged over a bare Unix socket pair for comparison, and asynchronous messages
// per second. The peer is a child forked before any kit thread exists.
#include <Application.h>
#include <Looper.h>
#include <Messenger.h>
#include <OS.h>

#include "FrameCodec.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kPeer = "application/x-vnd.cvab-bench-peer";

class EchoApp : public BApplication {
public:
	explicit EchoApp(int readyFd) : BApplication(kPeer), fReadyFd(readyFd) {}
	void ReadyToRun() override
	{
		(void)!write(fReadyFd, "r", 1);
		close(fReadyFd);
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'ping') {
			BMessage reply('pong');
			message->SendReply(&reply);
		} else if (message->what == 'cnt ') {
			fCount++;
		} else if (message->what == 'cnt?') {
			BMessage reply('cnt!');
			reply.AddInt64("count", fCount);
			message->SendReply(&reply);
		} else {
			BApplication::MessageReceived(message);
		}
	}

private:
	int fReadyFd;
	int64 fCount = 0;
};

pid_t sPeer = -1;
int sPair[2] = {-1, -1};

// The ping message, the same one both benchmarks carry.
BMessage Ping()
{
	BMessage ping('ping');
	ping.AddInt32("value", 1);
	return ping;
}

void SyncRoundTrip(benchmark::State& state)
{
	BMessenger messenger(kPeer);
	BMessage ping = Ping();
	for (auto _ : state) {
		BMessage reply;
		if (messenger.SendMessage(&ping, &reply) != B_OK || reply.what != 'pong') {
			state.SkipWithError("no answer");
			break;
		}
	}
	state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SyncRoundTrip)->UseRealTime();

// The same frame each way over a socket pair: the floor any messaging can reach.
void BareSocketPingPong(benchmark::State& state)
{
	std::string frame;
	BPrivate::encode_frame(1, Ping(), &frame);
	std::string buffer(frame.size(), '\0');
	for (auto _ : state) {
		if (write(sPair[0], frame.data(), frame.size()) != ssize_t(frame.size()))
			state.SkipWithError("write");
		size_t got = 0;
		while (got < frame.size()) {
			const ssize_t n = read(sPair[0], buffer.data() + got, frame.size() - got);
			if (n <= 0)
				break;
			got += size_t(n);
		}
	}
	state.SetItemsProcessed(state.iterations());
	state.counters["bytes"] = double(frame.size());
}
BENCHMARK(BareSocketPingPong)->UseRealTime();

void AsyncMessages(benchmark::State& state)
{
	BMessenger messenger(kPeer);
	BMessage message('cnt ');
	message.AddInt32("value", 1);
	const int64 count = state.range(0);
	int64 total = 0;
	for (auto _ : state) {
		for (int64 i = 0; i < count; i++)
			messenger.SendMessage(&message);
		total += count;
		// Wait until the peer has dispatched them all.
		BMessage reply;
		messenger.SendMessage('cnt?', &reply);
	}
	state.SetItemsProcessed(total);
}
BENCHMARK(AsyncMessages)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void EchoLoop(int fd)
{
	char buffer[4096];
	for (;;) {
		const ssize_t n = read(fd, buffer, sizeof(buffer));
		if (n <= 0 || write(fd, buffer, size_t(n)) != n)
			_exit(0);
	}
}

}  // namespace

int main(int argc, char** argv)
{
	char runtime[] = "/tmp/cvab-bench-XXXXXX";
	if (mkdtemp(runtime) == nullptr)
		return 1;
	setenv("XDG_RUNTIME_DIR", runtime, 1);
	setenv("XDG_DATA_HOME", runtime, 1);
	socketpair(AF_UNIX, SOCK_STREAM, 0, sPair);
	const pid_t echo = fork();
	if (echo == 0) {
		close(sPair[0]);
		EchoLoop(sPair[1]);
	}
	close(sPair[1]);
	int ready[2];
	if (pipe(ready) != 0)
		return 1;
	sPeer = fork();
	if (sPeer == 0) {
		close(ready[0]);
		EchoApp app(ready[1]);
		app.Run();
		_exit(0);
	}
	close(ready[1]);
	char byte;
	if (read(ready[0], &byte, 1) != 1)
		return 1;
	benchmark::Initialize(&argc, argv);
	benchmark::RunSpecifiedBenchmarks();
	kill(sPeer, SIGKILL);
	kill(echo, SIGKILL);
	waitpid(sPeer, nullptr, 0);
	waitpid(echo, nullptr, 0);
	const std::string cleanup = std::string("rm -rf '") + runtime + "'";
	return system(cleanup.c_str()) == 0 ? 0 : 1;
}
