// Messaging with another process: synchronous exchanges and their time-outs, a
// stopped peer, a peer killed mid-exchange, asynchronous replies, messengers carried in
// messages, scripting, and clients that misbehave at the socket or are another user.
#include <Application.h>
#include <Looper.h>
#include <Messenger.h>
#include <OS.h>

#include "FrameCodec.h"
#include "MessageAccess.h"
#include "MessengerAccess.h"
#include "PeerProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
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

TEST_F(Ipc, PeerKilledMidExchangeAnswersNoReplyAtOnce)
{
	std::atomic<bigtime_t> killedAt{0};
	std::thread killer([&] {
		snooze(100000);
		killedAt = system_time();
		fPeer->Kill(SIGKILL);
	});
	BMessage hold('hold');
	BMessage reply;
	const status_t status = fMessenger.SendMessage(&hold, &reply);
	const bigtime_t returned = system_time();
	killer.join();
	EXPECT_EQ(status, B_OK);
	EXPECT_EQ(reply.what, uint32(B_NO_REPLY));
	EXPECT_LT(returned - killedAt.load(), 1000000);
	fPeer->Wait(5000000);
	EXPECT_FALSE(fMessenger.IsValid());
	EXPECT_NE(fMessenger.SendMessage('ping'), B_OK);
}

namespace {

class Receiver : public BLooper {
public:
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'back') {
			fromTeam = message->GetInt32("team", -1);
			remote = message->IsSourceRemote();
		} else if (message->what == 'pong') {
			pongSum += message->GetInt32("value", 0);
		}
	}
	std::atomic<team_id> fromTeam{-1};
	std::atomic<bool> remote{false};
	std::atomic<int32> pongSum{0};
};

}  // namespace

TEST_F(Ipc, AsynchronousRepliesAndCarriedMessengersReachOurHandler)
{
	// Our side must listen for the peer to reach it.
	BApplication app("application/x-vnd.cvab-ipc-test");
	ASSERT_EQ(app.InitCheck(), B_OK);
	auto* receiver = new Receiver;
	receiver->Run();

	for (int32 i = 0; i < 100; i++) {
		BMessage ping('ping');
		ping.AddInt32("value", i);
		ASSERT_EQ(fMessenger.SendMessage(&ping, receiver), B_OK);
	}
	BMessage forward('fwd ');
	forward.AddMessenger("target", BMessenger(receiver));
	BMessage reply;
	ASSERT_EQ(fMessenger.SendMessage(&forward, &reply), B_OK);
	EXPECT_EQ(reply.what, uint32('done'));
	EXPECT_EQ(reply.GetInt32("status", B_ERROR), B_OK);

	const int32 expected = 100 * 99 / 2 + 100;
	for (int i = 0; i < 400 && (receiver->fromTeam < 0 || receiver->pongSum != expected); i++)
		snooze(5000);
	EXPECT_EQ(receiver->pongSum.load(), expected);
	EXPECT_EQ(receiver->fromTeam.load(), fPeer->Team());
	EXPECT_TRUE(receiver->remote.load());
	receiver->Lock();
	receiver->Quit();
}

TEST_F(Ipc, ScriptingTravelsWithItsSpecifiersAndAPeerThatQuitsBecomesInvalid)
{
	BMessage reply;
	// Sends `what` for `property` of the handler named or numbered by `handler`.
	auto script = [&](uint32 what, const char* property, auto handler, int32 data = 0) {
		BMessage message(what);
		message.AddSpecifier(property);
		message.AddSpecifier("Handler", handler);
		if (what == B_SET_PROPERTY)
			message.AddInt32("data", data);
		EXPECT_EQ(fMessenger.SendMessage(&message, &reply), B_OK);
		return reply.what;
	};
	EXPECT_EQ(script(B_GET_PROPERTY, "Value", "counter"), uint32(B_REPLY));
	EXPECT_EQ(reply.GetInt32("result", -1), 7);
	// By index: 0 is the application itself.
	EXPECT_EQ(script(B_SET_PROPERTY, "Value", int32(1), 99), uint32(B_REPLY));
	EXPECT_EQ(reply.GetInt32("error", -1), B_OK);
	script(B_GET_PROPERTY, "Value", "counter");
	EXPECT_EQ(reply.GetInt32("result", -1), 99);

	EXPECT_EQ(script(B_GET_PROPERTY, "Colour", "counter"), uint32(B_MESSAGE_NOT_UNDERSTOOD));
	EXPECT_EQ(reply.GetInt32("error", B_OK), B_BAD_SCRIPT_SYNTAX);
	EXPECT_TRUE(reply.HasString("message"));
	EXPECT_EQ(script(B_GET_PROPERTY, "Value", "nobody"), uint32(B_MESSAGE_NOT_UNDERSTOOD));
	EXPECT_TRUE(reply.HasInt32("error"));

	BMessage suites(B_GET_PROPERTY);
	suites.AddSpecifier("Suites");
	ASSERT_EQ(fMessenger.SendMessage(&suites, &reply), B_OK);
	EXPECT_STREQ(reply.GetString("suites", 0, ""), "suite/vnd.Be-application");
	EXPECT_STREQ(reply.GetString("suites", 1, ""), "suite/vnd.Be-looper");

	// A peer that quits becomes invalid, and can no longer be reached by signature.
	ASSERT_EQ(fMessenger.SendMessage(B_QUIT_REQUESTED, &reply), B_OK);
	EXPECT_NE(fPeer->Wait(5000000), -1);
	// The hang-up reaches our reader thread a moment after the peer exits.
	for (int i = 0; i < 500 && fMessenger.IsValid(); i++)
		snooze(10000);
	EXPECT_FALSE(fMessenger.IsValid());
	BMessage ping('ping');
	EXPECT_NE(fMessenger.SendMessage(&ping, &reply, 1000000, 1000000), B_OK);
	status_t status = B_OK;
	BMessenger(kPeer, -1, &status);
	EXPECT_NE(status, B_OK);
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

TEST_F(Ipc, ClientOfAnotherUserIsRefused)
{
	if (getuid() != 0)
		GTEST_SKIP() << "needs root to become another user";
	const passwd* nobody = getpwnam("nobody");
	ASSERT_NE(nobody, nullptr);
	// A ping whose reply would come back on this very connection.
	BMessage ping('ping');
	BPrivate::MessageAccess::SetReplyAddress(ping, getpid(), 1, B_NULL_TOKEN);
	std::string frame;
	ASSERT_EQ(BPrivate::encode_frame(BPrivate::MessengerAccess::Port(fMessenger), ping, &frame),
		B_OK);

	const std::string socketPath = PeerSocket();

	// The child reports: 1 = could not connect, 2 = hung up on without an answer,
	// 3 = anything else. It allocates nothing: other threads may hold malloc's lock.
	auto runAsNobody = [&] {
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
		return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	};

	// The private directory keeps other users out entirely.
	struct stat info;
	ASSERT_EQ(stat(fRuntime.RuntimeDir().c_str(), &info), 0);
	EXPECT_EQ(info.st_mode & 0777, 0700u);
	EXPECT_EQ(runAsNobody(), 1);

	// Even with the directory opened up, the credentials check hangs up on them.
	for (const std::string& path : {fRuntime.Root(), fRuntime.Root() + "/run",
			fRuntime.RuntimeDir()})
		ASSERT_EQ(chmod(path.c_str(), 0755), 0);
	ASSERT_EQ(chmod(socketPath.c_str(), 0777), 0);
	EXPECT_EQ(runAsNobody(), 2);
	chmod(fRuntime.RuntimeDir().c_str(), 0700);

	BMessage reply;
	ASSERT_EQ(Ping(1, &reply, 5000000), B_OK);
}
