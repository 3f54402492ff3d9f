// LinkManager. Sections: start and stop; connections; writing; reading; the remote
// link interface.
#include "LinkManager.h"

#include <OS.h>

#include "FrameCodec.h"
#include "LooperRegistry.h"
#include "MessageAccess.h"
#include "MessengerAccess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace BPrivate {

struct LinkManager::Connection {
	int fd = -1;
	team_id team = -1;
	std::mutex writeMutex;
	std::atomic<bool> closed{false};
	// When it became fit to carry messages out (0: not yet): when we made it, or
	// when it first carried a whole frame in. A client that connects and never
	// speaks may never read either.
	std::atomic<uint64> provenAt{0};

	bool CanCarry() const { return !closed.load() && provenAt.load() != 0; }
	void Prove()
	{
		static std::atomic<uint64> sequence{0};
		uint64 unproven = 0;
		provenAt.compare_exchange_strong(unproven, ++sequence);
	}
};

namespace {

bool PeerIsUs(int fd, team_id* team)
{
	struct ucred credentials;
	socklen_t length = sizeof(credentials);
	if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
		return false;
	if (team != nullptr)
		*team = credentials.pid;
	return credentials.uid == getuid();
}

bool FillAddress(const std::string& path, sockaddr_un* address)
{
	memset(address, 0, sizeof(*address));
	address->sun_family = AF_UNIX;
	if (path.empty() || path.size() >= sizeof(address->sun_path))
		return false;
	memcpy(address->sun_path, path.c_str(), path.size());
	return true;
}

// Tells the team's waiting senders that no answer will come.
void AnswerNoReply(int32 replyPort)
{
	auto port = LooperRegistry::Find(replyPort);
	if (port == nullptr)
		return;
	auto reply = std::make_unique<BMessage>(B_NO_REPLY);
	MessageAccess::AddFlags(*reply, kMessageIsReply);
	port->Push(reply, 0);
}

}  // namespace

LinkManager& LinkManager::Default()
{
	static LinkManager* manager = [] {
		auto* created = new LinkManager;  // lives as long as the process
		signal(SIGPIPE, SIG_IGN);
		set_remote_link(created);
		return created;
	}();
	return *manager;
}

// #pragma mark - start and stop

status_t LinkManager::StartListening(const AppRecord& record)
{
	if (IsListening())
		return B_OK;
	const std::string path = RunningApps::SocketPath(getpid());
	sockaddr_un address;
	if (!FillAddress(path, &address))
		return B_NAME_TOO_LONG;
	const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	if (fd < 0)
		return status_from_errno(errno);
	unlink(path.c_str());
	if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0
		|| listen(fd, 64) != 0) {
		const status_t status = status_from_errno(errno);
		close(fd);
		return status;
	}
	fSocketPath = path;
	fListenFd = fd;
	fListener = std::thread([this, fd] { _ListenLoop(fd); });
	AppRecord registered = record;
	registered.team = getpid();
	registered.startTime = RunningApps::StartTimeOf(getpid());
	RunningApps::Register(registered);
	if (!registered.executable.empty())
		RunningApps::RecordExecutable(registered.signature.c_str(),
			registered.executable.c_str());
	return B_OK;
}

void LinkManager::StopListening()
{
	const int fd = fListenFd.exchange(-1);
	if (fd < 0)
		return;
	RunningApps::Unregister(getpid());
	unlink(fSocketPath.c_str());
	shutdown(fd, SHUT_RDWR);  // wakes the accept
	if (fListener.joinable())
		fListener.join();
	close(fd);
}

void LinkManager::_ListenLoop(int fd)
{
	while (fListenFd.load() == fd) {
		const int peer = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
		if (peer < 0) {
			if (errno == EINTR || errno == ECONNABORTED)
				continue;
			break;
		}
		team_id team = -1;
		// Credentials first: nothing from another user is ever read.
		if (!PeerIsUs(peer, &team)) {
			fRefused++;
			close(peer);
			continue;
		}
		_Adopt(peer, team, false);
	}
}

// #pragma mark - connections

std::shared_ptr<LinkManager::Connection> LinkManager::_Adopt(int fd, team_id team,
	bool outgoing)
{
	auto connection = std::make_shared<Connection>();
	connection->fd = fd;
	connection->team = team;
	if (outgoing)
		connection->Prove();
	{
		std::lock_guard<std::mutex> lock(fMutex);
		fConnections[team].push_back(connection);
	}
	std::thread([this, connection] { _ReadLoop(connection); }).detach();
	return connection;
}

std::shared_ptr<LinkManager::Connection> LinkManager::_ConnectionTo(team_id team,
	status_t* status)
{
	{
		std::lock_guard<std::mutex> lock(fMutex);
		auto found = fConnections.find(team);
		if (found != fConnections.end()) {
			// The earliest proven one, so messages keep to one connection, in order.
			std::shared_ptr<Connection> chosen;
			for (const auto& connection : found->second) {
				if (connection->CanCarry()
					&& (chosen == nullptr || connection->provenAt < chosen->provenAt))
					chosen = connection;
			}
			if (chosen != nullptr)
				return chosen;
		}
	}
	sockaddr_un address;
	if (!FillAddress(RunningApps::SocketPath(team), &address)) {
		*status = B_BAD_PORT_ID;
		return nullptr;
	}
	const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	if (fd < 0) {
		*status = status_from_errno(errno);
		return nullptr;
	}
	team_id peer = -1;
	if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0
		|| !PeerIsUs(fd, &peer) || peer != team) {
		close(fd);
		*status = B_BAD_PORT_ID;
		return nullptr;
	}
	*status = B_OK;
	return _Adopt(fd, team, true);
}

void LinkManager::_Close(const std::shared_ptr<Connection>& connection)
{
	if (connection->closed.exchange(true))
		return;
	shutdown(connection->fd, SHUT_RDWR);
	std::vector<int32> orphans;
	{
		std::lock_guard<std::mutex> lock(fMutex);
		auto& list = fConnections[connection->team];
		std::erase(list, connection);
		bool anyOpen = false;
		for (const auto& other : list)
			anyOpen = anyOpen || !other->closed.load();
		if (!anyOpen) {
			fConnections.erase(connection->team);
			auto watched = fWatchedReplies.find(connection->team);
			if (watched != fWatchedReplies.end())
				orphans.assign(watched->second.begin(), watched->second.end());
		}
	}
	for (int32 port : orphans)
		AnswerNoReply(port);
}

// #pragma mark - writing

status_t LinkManager::_Write(const std::shared_ptr<Connection>& connection,
	const std::string& frame, bigtime_t timeout)
{
	const bigtime_t deadline = timeout == B_INFINITE_TIMEOUT ? B_INFINITE_TIMEOUT
		: system_time() + (timeout > 0 ? timeout : 0);
	std::lock_guard<std::mutex> lock(connection->writeMutex);
	size_t sent = 0;
	while (sent < frame.size()) {
		if (connection->closed.load())
			return B_BAD_PORT_ID;
		const ssize_t written = send(connection->fd, frame.data() + sent, frame.size() - sent,
			MSG_DONTWAIT | MSG_NOSIGNAL);
		if (written > 0) {
			sent += size_t(written);
			continue;
		}
		if (written < 0 && errno == EINTR)
			continue;
		if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
			pollfd waiting{connection->fd, POLLOUT, 0};
			int wait = -1;
			if (deadline != B_INFINITE_TIMEOUT) {
				const bigtime_t left = deadline - system_time();
				wait = left > 0 ? int((left + 999) / 1000) : 0;
			}
			const int ready = poll(&waiting, 1, wait);
			if (ready > 0 || (ready < 0 && errno == EINTR))
				continue;
			if (sent > 0)
				_Close(connection);  // half a frame would corrupt the stream
			return timeout <= 0 && sent == 0 ? B_WOULD_BLOCK : B_TIMED_OUT;
		}
		_Close(connection);
		return B_BAD_PORT_ID;
	}
	return B_OK;
}

// #pragma mark - reading

void LinkManager::_ReadLoop(std::shared_ptr<Connection> connection)
{
	FrameDecoder decoder;
	char buffer[64 * 1024];
	while (!connection->closed.load()) {
		const ssize_t received = recv(connection->fd, buffer, sizeof(buffer), 0);
		if (received < 0 && errno == EINTR)
			continue;
		if (received <= 0)
			break;
		decoder.Feed(buffer, size_t(received));
		int32 portToken = -1;
		std::unique_ptr<BMessage> message;
		FrameDecoder::Result result;
		while ((result = decoder.Next(&portToken, &message)) == FrameDecoder::kFrame) {
			connection->Prove();
			MessageAccess::ClearFlags(*message, kMessageDelivered);
			MessageAccess::AddFlags(*message, kMessageSourceRemote);
			auto port = LooperRegistry::Find(portToken);
			// A message for a port that is gone is dropped; deleting it answers a
			// waiting sender with B_NO_REPLY.
			if (port != nullptr)
				port->Push(message, B_INFINITE_TIMEOUT);
			message.reset();
		}
		if (result == FrameDecoder::kBad) {
			fBadFrames++;
			break;
		}
	}
	_Close(connection);
	// Under the write lock, so no writer can send to the number after it is reused.
	std::lock_guard<std::mutex> lock(connection->writeMutex);
	close(connection->fd);
	connection->fd = -1;
}

// #pragma mark - the remote link interface

status_t LinkManager::Deliver(team_id team, int32 port, std::unique_ptr<BMessage> message,
	bigtime_t timeout)
{
	// The frame carries the reply duty; the copy here must not answer for it.
	std::string frame;
	status_t status = encode_frame(port, *message, &frame);
	MessageAccess::ClearFlags(*message, kMessageSourceWaiting);
	if (status != B_OK)
		return status;
	// A connection the other side has just closed takes nothing; the frame then
	// goes once more, on another connection or a new one.
	for (int attempt = 0; attempt < 2; attempt++) {
		std::shared_ptr<Connection> connection = _ConnectionTo(team, &status);
		if (connection == nullptr)
			return status;
		status = _Write(connection, frame, timeout);
		if (status != B_BAD_PORT_ID || !connection->closed.load())
			break;
	}
	return status;
}

bool LinkManager::IsValid(team_id team, int32, int32)
{
	{
		std::lock_guard<std::mutex> lock(fMutex);
		auto found = fConnections.find(team);
		if (found != fConnections.end()) {
			for (const auto& connection : found->second) {
				if (!connection->closed.load())
					return true;
			}
		}
	}
	const std::string path = RunningApps::SocketPath(team);
	return RunningApps::IsAlive(team, 0) && !path.empty() && access(path.c_str(), F_OK) == 0;
}

void LinkManager::WatchReply(team_id team, int32 replyPort)
{
	std::lock_guard<std::mutex> lock(fMutex);
	fWatchedReplies[team].insert(replyPort);
}

void LinkManager::UnwatchReply(team_id team, int32 replyPort)
{
	std::lock_guard<std::mutex> lock(fMutex);
	auto found = fWatchedReplies.find(team);
	if (found == fWatchedReplies.end())
		return;
	auto item = found->second.find(replyPort);
	if (item != found->second.end())
		found->second.erase(item);
	if (found->second.empty())
		fWatchedReplies.erase(found);
}

status_t LinkManager::FindApplication(const char* signature, team_id team,
	BMessenger* messenger)
{
	AppRecord record;
	if (!RunningApps::Find(signature, team, &record))
		return B_BAD_VALUE;
	*messenger = MessengerAccess::Make(record.team, record.port, B_PREFERRED_TOKEN);
	return B_OK;
}

}  // namespace BPrivate
