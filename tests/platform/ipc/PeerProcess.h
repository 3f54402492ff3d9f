// Starts ipc_peer as a separate process in a private runtime and data directory, and
// waits until it is ready.
#ifndef CVAB_TEST_PEER_PROCESS_H
#define CVAB_TEST_PEER_PROCESS_H

#include <SupportDefs.h>

#include <string>

// Points the runtime and data directories of this process (and so of the peers it
// starts) at fresh temporary folders.
class IsolatedRuntime {
public:
	IsolatedRuntime();
	~IsolatedRuntime();
	const std::string& Root() const { return fRoot; }
	std::string RuntimeDir() const { return fRoot + "/run/cvab"; }
	std::string RecordFile() const { return fRoot + "/record"; }

private:
	std::string fRoot;
};

class PeerProcess {
public:
	explicit PeerProcess(const char* signature);
	~PeerProcess();  // kills the peer if still running

	bool Started() const { return fPid > 0; }
	team_id Team() const { return fPid; }
	// Waits for the peer to exit; its status as from waitpid, or -1.
	int Wait(bigtime_t timeout);
	void Kill(int signal);

private:
	pid_t fPid = -1;
};

// Reads the record file the peer appends to; waits until it has at least `lines`.
std::string WaitForRecord(const std::string& path, int lines, bigtime_t timeout);

#endif
