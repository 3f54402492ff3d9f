// RunningApps: where running applications are found. Each application's socket and
// registration live in the private runtime directory, mode 0700 and the user's
// own (checked at each use): $XDG_RUNTIME_DIR/cvab, or without that variable
// $XDG_CACHE_HOME/cvab/run-HOST (~/.cache by default), which no other user can
// make first; where that is too long a name for a socket, a folder that mkdtemp
// makes in /tmp, named in $XDG_CACHE_HOME/cvab/run-HOST.where. The executable last registered for
// each signature is recorded under $XDG_DATA_HOME/cvab/applications, so the roster can
// start an application that is not running.
// Threading: any thread; the files are the shared state.
#ifndef _CVAB_RUNNING_APPS_H
#define _CVAB_RUNNING_APPS_H

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace BPrivate {

struct AppRecord {
	team_id team = -1;
	int32 port = -1;       // the application looper's port token
	thread_id thread = -1;
	uint32 flags = 0;
	uint64 startTime = 0;  // tells a live process from a later one with the same id
	std::string signature;
	std::string executable;
};

class RunningApps {
public:
	// Creates the directory if needed; refuses one another user owns or can enter.
	static status_t RuntimeDirectory(std::string* path);
	static std::string SocketPath(team_id team);

	static status_t Register(const AppRecord& record);
	static void Unregister(team_id team);
	// The applications still alive; registrations of dead processes are removed.
	static std::vector<AppRecord> List();
	// By signature (case-insensitive), of the given team or, with team < 0, the
	// earliest started.
	static bool Find(const char* signature, team_id team, AppRecord* record);
	static bool FindTeam(team_id team, AppRecord* record);
	static bool IsAlive(team_id team, uint64 startTime);
	static uint64 StartTimeOf(team_id team);

	static status_t RecordExecutable(const char* signature, const char* path);
	static status_t RecordedExecutable(const char* signature, std::string* path);
};

}  // namespace BPrivate

#endif
