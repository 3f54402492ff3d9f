// Messaging with another process: synchronous exchanges and their time-outs, a
// stopped peer, and clients that misbehave at the socket or are another user.
// (Asynchronous replies, messengers carried in messages, scripting and a peer that
// dies mid-exchange are the Word Services server tests'.)
#include <Messenger.h>
#include <OS.h>

#include "FrameCodec.h"
#include "MessageAccess.h"
#include "MessengerAccess.h"
#include "PeerProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kPeer = "application/x-vnd.cvab-ipc-peer";

class Ipc : public ::testing::Test {
protected:
	void SetUp() override
	{
		fPeer = std::make_unique<PeerProcess>(kPeer);
		ASSERT_TRUE(fPeer->Started());
		status_t status = B_ERROR;
		fMessenger = BMessenger(kPeer, -1, &status);
		ASSERT_EQ(status, B_OK);
	}

	status_t Ping(int32 value, BMessage* reply, bigtime_t replyTimeout = B_INFINITE_TIMEOUT)
	{
		BMessage ping('ping');
		ping.AddInt32("value", value);
		return fMessenger.SendMessage(&ping, reply, B_INFINITE_TIMEOUT, replyTimeout);
	}

	std::string PeerSocket() const
	{
		return fRuntime.RuntimeDir() + "/" + std::to_string(fPeer->Team()) + ".sock";
	}

	IsolatedRuntime fRuntime;
	std::unique_ptr<PeerProcess> fPeer;
	BMessenger fMessenger;
};

// Connects to a socket by hand, as a misbehaving client would; -1 if refused.
int RawConnect(const std::string& path)
{
	const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	sockaddr_un address{};
	address.sun_family = AF_UNIX;
	strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
	if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
		close(fd);
		return -1;
	}
	return fd;
}

// True when the other side closes the connection within the time, without a word.
bool ClosedByPeer(int fd, int milliseconds)
{
	timeval timeout{milliseconds / 1000, (milliseconds % 1000) * 1000};
	setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
	char byte;
	const ssize_t got = recv(fd, &byte, 1, 0);
	// Closing with our frame unread resets the connection instead of ending it.
	return got == 0 || (got < 0 && errno == ECONNRESET);
}

}  // namespace

TEST_F(Ipc, SynchronousExchangesAreAnsweredOrTimeOutInsteadOfHangingAndThePeerRecovers)
{
	EXPECT_FALSE(fMessenger.IsTargetLocal());
	EXPECT_EQ(fMessenger.Team(), fPeer->Team());
	for (int32 i = 0; i < 50; i++) {
		BMessage reply;
		ASSERT_EQ(Ping(i, &reply), B_OK);
		EXPECT_EQ(reply.GetInt32("value", 0), i + 1);
		EXPECT_EQ(reply.GetInt32("team", 0), fPeer->Team());
		EXPECT_TRUE(reply.GetBool("remote", false));
		EXPECT_TRUE(reply.IsSourceRemote());
	}

	// The peer keeps the message: the reply times out.
	BMessage hold('hold');
	BMessage reply;
	bigtime_t start = system_time();
	EXPECT_EQ(fMessenger.SendMessage(&hold, &reply, B_INFINITE_TIMEOUT, 100000), B_TIMED_OUT);
	EXPECT_GE(system_time() - start, 100000);

	// A stopped peer: the reply times out, then the socket fills until a send would
	// block (frames are written whole or not at all), then delivery times out.
	fPeer->Kill(SIGSTOP);
	start = system_time();
	EXPECT_EQ(Ping(1, &reply, 200000), B_TIMED_OUT);
	EXPECT_LT(system_time() - start, 3000000);
	BMessage filler('fill');
	filler.AddData("bulk", B_RAW_TYPE, std::string(8192, 'x').data(), 8192);
	status_t status = B_OK;
	int sent = 0;
	while ((status = fMessenger.SendMessage(&filler, static_cast<BHandler*>(nullptr), 0)) == B_OK
		&& sent < 100000)
		sent++;
	EXPECT_EQ(status, B_WOULD_BLOCK);
	EXPECT_GT(sent, 0);
	BMessage ping('ping');
	start = system_time();
	EXPECT_EQ(fMessenger.SendMessage(&ping, &reply, 50000, B_INFINITE_TIMEOUT), B_TIMED_OUT);
	EXPECT_GE(system_time() - start, 50000);

	fPeer->Kill(SIGCONT);
	ASSERT_EQ(Ping(9, &reply, 10000000), B_OK);
	EXPECT_EQ(reply.GetInt32("value", 0), 10);
}

TEST_F(Ipc, GarbageAndOversizedFramesCloseOnlyThatConnection)
{
	// A client of ours that connects and never speaks (nor reads): replies to this
	// process must not go to it.
	const int silent = RawConnect(PeerSocket());
	ASSERT_GE(silent, 0);
	std::string truncated;
	ASSERT_EQ(BPrivate::encode_frame(1, BMessage('ping'), &truncated), B_OK);
	truncated.resize(truncated.size() / 2);
	const uint32 huge = 0xfffffff0u;
	const std::string noise("\x10\x00\x00\x00 this is no message at all", 31);
	for (const std::string& bytes : {noise, std::string(reinterpret_cast<const char*>(&huge), 4)}) {
		const int fd = RawConnect(PeerSocket());
		ASSERT_GE(fd, 0);
		ASSERT_GT(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), 0);
		EXPECT_TRUE(ClosedByPeer(fd, 3000));
		close(fd);
	}
	// A frame cut short, then the writer goes away: nothing is delivered.
	const int fd = RawConnect(PeerSocket());
	ASSERT_GE(fd, 0);
	ASSERT_GT(send(fd, truncated.data(), truncated.size(), MSG_NOSIGNAL), 0);
	close(fd);

	BMessage reply;
	EXPECT_EQ(Ping(41, &reply, 5000000), B_OK);
	EXPECT_EQ(reply.GetInt32("value", 0), 42);
	close(silent);
}

// The only guard of the credentials check: with the private directory opened up,
// a client of another user is hung up on without an answer.
TEST_F(Ipc, ClientOfAnotherUserIsRefused)
{
	if (getuid() != 0)
		GTEST_SKIP() << "needs root to become another user";
	const passwd* nobody = getpwnam("nobody");
	ASSERT_NE(nobody, nullptr);
	struct stat info;
	ASSERT_EQ(stat(fRuntime.RuntimeDir().c_str(), &info), 0);
	EXPECT_EQ(info.st_mode & 0777, 0700u);
	for (const std::string& path : {fRuntime.Root(), fRuntime.Root() + "/run",
			fRuntime.RuntimeDir()})
		ASSERT_EQ(chmod(path.c_str(), 0755), 0);
	const std::string socketPath = PeerSocket();
	ASSERT_EQ(chmod(socketPath.c_str(), 0777), 0);
	// A ping whose reply would come back on this very connection.
	BMessage ping('ping');
	BPrivate::MessageAccess::SetReplyAddress(ping, getpid(), 1, B_NULL_TOKEN);
	std::string frame;
	ASSERT_EQ(BPrivate::encode_frame(BPrivate::MessengerAccess::Port(fMessenger), ping, &frame),
		B_OK);

	// The child reports 1 when it could not connect, 2 when hung up on without an
	// answer. It allocates nothing: other threads may hold malloc's lock.
	const pid_t child = fork();
	if (child == 0) {
		if (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0
			|| setuid(nobody->pw_uid) != 0)
			_exit(9);
		const int fd = RawConnect(socketPath);
		if (fd < 0)
			_exit(1);
		(void)!send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
		_exit(ClosedByPeer(fd, 3000) ? 2 : 3);
	}
	int status = 0;
	waitpid(child, &status, 0);
	EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2);
	chmod(fRuntime.RuntimeDir().c_str(), 0700);
	BMessage reply;
	ASSERT_EQ(Ping(1, &reply, 5000000), B_OK);
}
