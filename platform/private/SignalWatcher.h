// Turns the signals that ask a program to end (SIGTERM from a logout or kill, SIGINT
// from Ctrl+C, SIGHUP from a closed terminal) into B_QUIT_REQUESTED for a looper, so
// the normal quit path runs; the message's int32 "signal" tells it from a user's
// quit. The handler only writes the signal's number to a pipe;
// the watcher's own thread reads it and posts the message.
// Threading: created and destroyed by one thread; one watcher at a time per process.
#ifndef _CVAB_SIGNAL_WATCHER_H
#define _CVAB_SIGNAL_WATCHER_H

#include <csignal>
#include <thread>

class BLooper;

namespace BPrivate {

class SignalWatcher {
public:
	explicit SignalWatcher(BLooper* target);
	// Puts the previous handlers back and ends the thread.
	~SignalWatcher();
	SignalWatcher(const SignalWatcher&) = delete;
	SignalWatcher& operator=(const SignalWatcher&) = delete;

private:
	void Watch();

	static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

	BLooper* const fTarget;
	int fReadEnd = -1;
	int fWriteEnd = -1;
	struct sigaction fPrevious[3];
	std::thread fThread;
};

}  // namespace BPrivate

#endif
