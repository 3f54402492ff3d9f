// LinkManager: the kit's messaging between processes over Unix domain sockets. An
// application listens on <runtime dir>/<team>.sock; peers of another user are refused
// by their credentials before a byte is read. Each connection has a reader thread that
// decodes frames and feeds the target ports, so a slow or stuck peer never blocks a
// looper. When the last connection to a team closes, every synchronous sender still
// waiting on that team gets B_NO_REPLY at once.
// Threading: any thread.
#ifndef _CVAB_LINK_MANAGER_H
#define _CVAB_LINK_MANAGER_H

#include "MessageRouter.h"
#include "RunningApps.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace BPrivate {

class LinkManager : public RemoteLink {
public:
	// The process's manager, installed as the kit's remote link on first use.
	static LinkManager& Default();

	// Starts the listener and registers the application. B_OK if already listening.
	status_t StartListening(const AppRecord& record);
	void StopListening();
	bool IsListening() const { return fListenFd.load() >= 0; }

	status_t Deliver(team_id team, int32 port, std::unique_ptr<BMessage> message,
		bigtime_t timeout) override;
	bool IsValid(team_id team, int32 port, int32 handler) override;
	void WatchReply(team_id team, int32 replyPort) override;
	void UnwatchReply(team_id team, int32 replyPort) override;
	status_t FindApplication(const char* signature, team_id team,
		BMessenger* messenger) override;

	// Counts for tests: connections refused for their credentials, and closed for
	// bad frames.
	int32 RefusedPeers() const { return fRefused.load(); }
	int32 BadFrames() const { return fBadFrames.load(); }

private:
	struct Connection;

	LinkManager() = default;
	std::shared_ptr<Connection> _ConnectionTo(team_id team, status_t* status);
	// outgoing: we connected, so it may carry messages out at once.
	std::shared_ptr<Connection> _Adopt(int fd, team_id team, bool outgoing);
	void _ListenLoop(int fd);
	void _ReadLoop(std::shared_ptr<Connection> connection);
	void _Close(const std::shared_ptr<Connection>& connection);
	status_t _Write(const std::shared_ptr<Connection>& connection, const std::string& frame,
		bigtime_t timeout);

	std::mutex fMutex;
	std::map<team_id, std::vector<std::shared_ptr<Connection>>> fConnections;
	std::map<team_id, std::multiset<int32>> fWatchedReplies;
	std::atomic<int> fListenFd{-1};
	std::thread fListener;
	std::string fSocketPath;
	std::atomic<int32> fRefused{0};
	std::atomic<int32> fBadFrames{0};
};

}  // namespace BPrivate

#endif
