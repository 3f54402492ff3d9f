// BRoster (be_roster): the running applications, and launching by signature.
// Threading: any thread.
#ifndef _ROSTER_H
#define _ROSTER_H

#include <EntryRef.h>
#include <Message.h>
#include <StorageDefs.h>

class BList;

// Launch flags of app_info.
enum {
	B_SINGLE_LAUNCH = 0x0,
	B_MULTIPLE_LAUNCH = 0x1,
	B_EXCLUSIVE_LAUNCH = 0x2,
	B_LAUNCH_MASK = 0x3,
	B_BACKGROUND_APP = 0x4,
	B_ARGV_ONLY = 0x8,
};

struct app_info {
	app_info() = default;
	thread_id thread = -1;
	team_id team = -1;
	port_id port = -1;
	uint32 flags = 0;
	entry_ref ref;
	char signature[B_MIME_TYPE_LENGTH] = {};
};

// The web browser's signature: launching it opens the arguments with the desktop's
// opener (xdg-open, or the program named by CVAB_URL_OPENER).
#define CVAB_BROWSER_SIGNATURE "application/x-vnd.Be-NPOS"

class BRoster {
public:
	BRoster();
	~BRoster();

	// Running applications. A registration left by a process that died is ignored
	// and removed.
	bool IsRunning(const char* signature) const;
	team_id TeamFor(const char* signature) const;
	// Fills the list with team ids (as pointer-sized integers), earliest first.
	void GetAppList(BList* teamIDList) const;
	void GetAppList(const char* signature, BList* teamIDList) const;
	status_t GetAppInfo(const char* signature, app_info* info) const;
	status_t GetRunningAppInfo(team_id team, app_info* info) const;
	// The executable last registered for the signature.
	status_t FindApp(const char* signature, entry_ref* app) const;

	// A running application gets the arguments as B_ARGV_RECEIVED (or the message
	// as it is) and the result is B_ALREADY_RUNNING with its team; otherwise the
	// executable last registered for the signature starts, without waiting, and team
	// receives the new process's id. The browser's signature runs the opener.
	status_t Launch(const char* mimeType, int argc, const char* const* args,
		team_id* appTeam = nullptr) const;
	status_t Launch(const char* mimeType, BMessage* initialMessage = nullptr,
		team_id* appTeam = nullptr) const;
	status_t Launch(const char* mimeType, BList* messageList, team_id* appTeam = nullptr) const;

private:
	BRoster(const BRoster&) = delete;
	BRoster& operator=(const BRoster&) = delete;
};

extern const BRoster* be_roster;

#endif
