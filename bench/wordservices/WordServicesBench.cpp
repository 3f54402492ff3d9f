// One-word e-mail look-ups as a client sees them: 'Btch' out, 'WStp' back, the
// text rewritten. LookUpThroughCvab goes through the real program (started
// headless with a 10,000-record book whose matching record is the last one);
// BareRoundTrip sends the same messages to a bare server process that looks
// nothing up. Both servers are separate processes; this process is the client.
#include "StringTextStore.h"
#include "WordServicesClient.h"
#include "WordServicesDefs.h"
#include "WordServicesTextTarget.h"

#include <Application.h>
#include <Handler.h>
#include <OS.h>

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const char kCvabSignature[] = "application/x-vnd.tarvish-cvabdj";
const char kBareSignature[] = "application/x-vnd.cvab-bench-bare";

std::mutex sLock;
std::condition_variable sStopped;
int sStops = 0;

class StopHandler : public BHandler {
public:
	StopHandler() : BHandler("stop") {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what != kWordServicesStop) {
			BHandler::MessageReceived(message);
			return;
		}
		std::lock_guard<std::mutex> lock(sLock);
		sStops++;
		sStopped.notify_all();
	}
};

BApplication* sClient = nullptr;
StringTextStore sStore;
WordServicesTextTarget* sTarget = nullptr;
StopHandler* sStop = nullptr;

void LookUpOnce(benchmark::State& state, const BMessenger& server)
{
	sClient->Lock();
	sStore.SetText("zed");
	sClient->Unlock();
	int stops = 0;
	{
		std::lock_guard<std::mutex> lock(sLock);
		stops = sStops;
	}
	if (SendWordServicesRequest(server, kLookUpEmailService,
			{BMessenger(sTarget, sClient)}, BMessenger(sStop, sClient)) != B_OK) {
		state.SkipWithError("the request failed");
		return;
	}
	std::unique_lock<std::mutex> lock(sLock);
	if (!sStopped.wait_for(lock, std::chrono::seconds(10), [stops] { return sStops > stops; }))
		state.SkipWithError("no 'WStp'");
}

void Run(benchmark::State& state, const char* signature)
{
	BMessenger server;
	if (ReachWordServer(signature, false, 0, &server) != B_OK) {
		state.SkipWithError("the server is not running");
		return;
	}
	for (auto _ : state)
		LookUpOnce(state, server);
	sClient->Lock();
	const std::string text = sStore.Text();
	sClient->Unlock();
	if (text != "zed@example.org")
		state.SkipWithError(("the text is \"" + text + "\"").c_str());
}

void LookUpThroughCvab(benchmark::State& state)
{
	Run(state, kCvabSignature);
}
BENCHMARK(LookUpThroughCvab)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BareRoundTrip(benchmark::State& state)
{
	Run(state, kBareSignature);
}
BENCHMARK(BareRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

pid_t Start(const char* program, const std::string& argument)
{
	const pid_t pid = fork();
	if (pid == 0) {
		freopen("/dev/null", "w", stdout);
		execl(program, program, argument.empty() ? nullptr : argument.c_str(),
			static_cast<char*>(nullptr));
		_exit(127);
	}
	return pid;
}

bool WaitFor(const char* signature)
{
	for (int i = 0; i < 200; i++) {
		BMessenger server;
		BMessage identify('cvid');
		BMessage reply;
		if (ReachWordServer(signature, false, 0, &server) == B_OK)
			return true;
		snooze(50000);
	}
	return false;
}

}  // namespace

int main(int argc, char** argv)
{
	char pattern[] = "/tmp/cvab-wsbench-XXXXXX";
	const std::string dir = mkdtemp(pattern);
	for (const char* sub : {"/run", "/data", "/config"})
		mkdir((dir + sub).c_str(), 0700);
	setenv("HOME", dir.c_str(), 1);
	setenv("XDG_RUNTIME_DIR", (dir + "/run").c_str(), 1);
	setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
	setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
	setenv("CVAB_BACKEND", "headless", 1);
	{
		// 10,000 records; the nickname looked up is the last one.
		std::ofstream book(dir + "/book.cvab");
		for (int i = 0; i < 9999; i++) {
			book << "nick" << i << "\tFirst" << i << "\t\tLast" << i
				 << "\t\tAcme\t1 Main St\t\tSpringfield\tIL\t62701\tUSA\t555-0100\t\t\tnick" << i
				 << "@example.org\t\t\t\t\t\n";
		}
		book << "zed\tZed\t\tQuinn\t\t\t\t\t\t\t\t\t\t\t\tzed@example.org\t\t\t\t\t\n";
	}
	const pid_t cvab = Start(CVAB_BINARY, dir + "/book.cvab");
	const pid_t bare = Start(CVAB_BARE_SERVER, std::string());

	// The client application is made and run in a thread of its own, as main
	// would; the benchmarks drive it from here.
	std::promise<void> ready;
	std::thread loop([&ready] {
		BApplication client("application/x-vnd.cvab-bench-wsclient");
		sClient = &client;
		sTarget = new WordServicesTextTarget(&sStore);
		sStop = new StopHandler();
		client.AddHandler(sTarget);
		client.AddHandler(sStop);
		ready.set_value();
		client.Run();
	});
	ready.get_future().wait();
	int status = 0;
	if (!WaitFor(kCvabSignature) || !WaitFor(kBareSignature)) {
		fprintf(stderr, "the servers did not start\n");
		status = 1;
	} else {
		// The book is read by then; give its window a moment to settle.
		snooze(500000);
		benchmark::Initialize(&argc, argv);
		benchmark::RunSpecifiedBenchmarks();
		benchmark::Shutdown();
	}
	sClient->PostMessage(B_QUIT_REQUESTED);
	loop.join();
	kill(cvab, SIGTERM);
	kill(bare, SIGTERM);
	waitpid(cvab, nullptr, 0);
	waitpid(bare, nullptr, 0);
	std::system(("rm -rf '" + dir + "'").c_str());
	return status;
}
