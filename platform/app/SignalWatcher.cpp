#include "SignalWatcher.h"

#include <AppDefs.h>
#include <Looper.h>
#include <Message.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace BPrivate {

namespace {

// The pipe's write end for the handler; -1 while no watcher lives.
std::atomic<int> sWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

// Only async-signal-safe calls here: no lock, no allocation.
void NoteSignal(int number)
{
	const int savedErrno = errno;
	const int fd = sWriteEnd.load();
	if (fd >= 0) {
		const char byte = char(number);
		// A full pipe already holds a quit request; losing this one is harmless.
		[[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
	}
	errno = savedErrno;
}

// Written by the destructor to end the thread; no signal has the number 0.
constexpr char kStop = 0;

}  // namespace

SignalWatcher::SignalWatcher(BLooper* target)
	: fTarget(target)
{
	int ends[2];
	if (pipe2(ends, O_CLOEXEC) != 0)
		return;
	fReadEnd = ends[0];
	fWriteEnd = ends[1];
	fcntl(fWriteEnd, F_SETFL, O_NONBLOCK);  // the handler must never wait
	sWriteEnd = fWriteEnd;
	fThread = std::thread([this] { Watch(); });
	struct sigaction action = {};
	action.sa_handler = NoteSignal;
	action.sa_flags = SA_RESTART;
	sigemptyset(&action.sa_mask);
	for (size_t i = 0; i < std::size(kSignals); i++)
		sigaction(kSignals[i], &action, &fPrevious[i]);
}

SignalWatcher::~SignalWatcher()
{
	if (fReadEnd < 0)
		return;
	for (size_t i = 0; i < std::size(kSignals); i++)
		sigaction(kSignals[i], &fPrevious[i], nullptr);
	sWriteEnd = -1;
	ssize_t written;
	do {
		written = write(fWriteEnd, &kStop, 1);
	} while (written < 0 && (errno == EINTR || errno == EAGAIN));
	fThread.join();
	close(fReadEnd);
	close(fWriteEnd);
}

void SignalWatcher::Watch()
{
	while (true) {
		char byte = kStop;
		const ssize_t got = read(fReadEnd, &byte, 1);
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0 || byte == kStop)
			return;
		BMessage quit(B_QUIT_REQUESTED);
		quit.AddInt32("signal", byte);
		fTarget->PostMessage(&quit);
	}
}

}  // namespace BPrivate
