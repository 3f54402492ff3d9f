// Messaging with another process: synchronous exchanges and their time-outs, a
// stopped peer, a peer killed mid-exchange, messengers carried in messages, scripting,
// and peers that misbehave at the socket.
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

	IsolatedRuntime fRuntime;
	std::unique_ptr<PeerProcess> fPeer;
	BMessenger fMessenger;
};

// Connects to the peer's socket by hand, as a misbehaving client would.
int RawConnect(team_id team, const std::string& runtimeDir)
{
	const std::string path = runtimeDir + "/" + std::to_string(team) + ".sock";
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

// True when the other side closes the connection within the time.
bool ClosedByPeer(int fd, int milliseconds)
{
	timeval timeout{milliseconds / 1000, (milliseconds % 1000) * 1000};
	setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
	char byte;
	const ssize_t got = recv(fd, &byte, 1, 0);
	return got == 0 || (got < 0 && errno == ECONNRESET);
}

}  // namespace

TEST_F(Ipc, SynchronousExchangeIsAnswered)
{
	EXPECT_FALSE(fMessenger.IsTargetLocal());
	EXPECT_EQ(fMessenger.Team(), fPeer->Team());
	EXPECT_TRUE(fMessenger.IsValid());
	for (int32 i = 0; i < 50; i++) {
		BMessage reply;
		ASSERT_EQ(Ping(i, &reply), B_OK);
		EXPECT_EQ(reply.what, uint32('pong'));
		EXPECT_EQ(reply.GetInt32("value", 0), i + 1);
		EXPECT_EQ(reply.GetInt32("team", 0), fPeer->Team());
		EXPECT_TRUE(reply.GetBool("remote", false));
		EXPECT_TRUE(reply.IsSourceRemote());
	}
}

TEST_F(Ipc, ReplyTimeOutWhenThePeerKeepsTheMessage)
{
	BMessage hold('hold');
	BMessage reply;
	const bigtime_t start = system_time();
	EXPECT_EQ(fMessenger.SendMessage(&hold, &reply, B_INFINITE_TIMEOUT, 100000), B_TIMED_OUT);
	EXPECT_GE(system_time() - start, 100000);
	// The peer still answers others.
	ASSERT_EQ(Ping(1, &reply), B_OK);
	EXPECT_EQ(reply.GetInt32("value", 0), 2);
}

TEST_F(Ipc, StoppedPeerTimesOutInsteadOfHanging)
{
	fPeer->Kill(SIGSTOP);
	BMessage reply;
	const bigtime_t start = system_time();
	EXPECT_EQ(Ping(1, &reply, 200000), B_TIMED_OUT);
	EXPECT_LT(system_time() - start, 3000000);
	fPeer->Kill(SIGCONT);
	ASSERT_EQ(Ping(5, &reply, 5000000), B_OK);
	EXPECT_EQ(reply.GetInt32("value", 0), 6);
}

TEST_F(Ipc, DeliveryTimeOutWhenTheStoppedPeerStopsReading)
{
	fPeer->Kill(SIGSTOP);
	// Fill the socket until a send would block; frames are written whole or not at all.
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
	BMessage reply;
	const bigtime_t start = system_time();
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

class BackReceiver : public BLooper {
public:
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'back') {
			fromTeam = message->GetInt32("team", -1);
			remote = message->IsSourceRemote();
		}
	}
	std::atomic<team_id> fromTeam{-1};
	std::atomic<bool> remote{false};
};

}  // namespace

TEST_F(Ipc, MessengerCarriedInAMessageReachesTheOriginalHandler)
{
	// Our side must listen for the peer to reach it.
	BApplication app("application/x-vnd.cvab-ipc-test");
	ASSERT_EQ(app.InitCheck(), B_OK);
	auto* receiver = new BackReceiver;
	receiver->Run();

	BMessage forward('fwd ');
	forward.AddMessenger("target", BMessenger(receiver));
	BMessage reply;
	ASSERT_EQ(fMessenger.SendMessage(&forward, &reply), B_OK);
	EXPECT_EQ(reply.what, uint32('done'));
	EXPECT_EQ(reply.GetInt32("status", B_ERROR), B_OK);
	for (int i = 0; i < 400 && receiver->fromTeam.load() < 0; i++)
		snooze(5000);
	EXPECT_EQ(receiver->fromTeam.load(), fPeer->Team());
	EXPECT_TRUE(receiver->remote.load());
	receiver->Lock();
	receiver->Quit();
}

TEST_F(Ipc, AsynchronousRepliesComeBackToTheReplyHandler)
{
	BApplication app("application/x-vnd.cvab-ipc-async");
	class PongCounter : public BLooper {
	public:
		void MessageReceived(BMessage* message) override
		{
			if (message->what == 'pong')
				sum += message->GetInt32("value", 0);
		}
		std::atomic<int32> sum{0};
	};
	auto* counter = new PongCounter;
	counter->Run();
	for (int32 i = 0; i < 100; i++) {
		BMessage ping('ping');
		ping.AddInt32("value", i);
		ASSERT_EQ(fMessenger.SendMessage(&ping, counter), B_OK);
	}
	const int32 expected = 100 * 99 / 2 + 100;
	for (int i = 0; i < 400 && counter->sum.load() != expected; i++)
		snooze(5000);
	EXPECT_EQ(counter->sum.load(), expected);
	counter->Lock();
	counter->Quit();
}

TEST_F(Ipc, ScriptingTravelsWithItsSpecifiers)
{
	BMessage get(B_GET_PROPERTY);
	get.AddSpecifier("Value");
	get.AddSpecifier("Handler", "counter");
	BMessage reply;
	ASSERT_EQ(fMessenger.SendMessage(&get, &reply), B_OK);
	EXPECT_EQ(reply.what, uint32(B_REPLY));
	EXPECT_EQ(reply.GetInt32("result", -1), 7);

	BMessage set(B_SET_PROPERTY);
	set.AddSpecifier("Value");
	set.AddSpecifier("Handler", 1);  // by index: 0 is the application itself
	set.AddInt32("data", 99);
	ASSERT_EQ(fMessenger.SendMessage(&set, &reply), B_OK);
	EXPECT_EQ(reply.GetInt32("error", -1), B_OK);
	ASSERT_EQ(fMessenger.SendMessage(&get, &reply), B_OK);
	EXPECT_EQ(reply.GetInt32("result", -1), 99);

	BMessage unknown(B_GET_PROPERTY);
	unknown.AddSpecifier("Colour");
	unknown.AddSpecifier("Handler", "counter");
	ASSERT_EQ(fMessenger.SendMessage(&unknown, &reply), B_OK);
	EXPECT_EQ(reply.what, uint32(B_MESSAGE_NOT_UNDERSTOOD));
	EXPECT_EQ(reply.GetInt32("error", B_OK), B_BAD_SCRIPT_SYNTAX);
	EXPECT_TRUE(reply.HasString("message"));

	BMessage noHandler(B_GET_PROPERTY);
	noHandler.AddSpecifier("Value");
	noHandler.AddSpecifier("Handler", "nobody");
	ASSERT_EQ(fMessenger.SendMessage(&noHandler, &reply), B_OK);
	EXPECT_EQ(reply.what, uint32(B_MESSAGE_NOT_UNDERSTOOD));
	EXPECT_TRUE(reply.HasInt32("error"));

	BMessage suites(B_GET_PROPERTY);
	suites.AddSpecifier("Suites");
	ASSERT_EQ(fMessenger.SendMessage(&suites, &reply), B_OK);
	EXPECT_STREQ(reply.GetString("suites", 0, ""), "suite/vnd.Be-application");
	EXPECT_STREQ(reply.GetString("suites", 1, ""), "suite/vnd.Be-looper");
}

TEST_F(Ipc, GarbageAndOversizedFramesCloseOnlyThatConnection)
{
	// A client of ours that connects and never speaks (nor reads): replies to this
	// process must not go to it.
	const int silent = RawConnect(fPeer->Team(), fRuntime.RuntimeDir());
	ASSERT_GE(silent, 0);
	const int garbage = RawConnect(fPeer->Team(), fRuntime.RuntimeDir());
	ASSERT_GE(garbage, 0);
	const char noise[] = "\x10\x00\x00\x00 this is no message at all";
	ASSERT_GT(send(garbage, noise, sizeof(noise), MSG_NOSIGNAL), 0);
	EXPECT_TRUE(ClosedByPeer(garbage, 3000));
	close(garbage);

	const int oversized = RawConnect(fPeer->Team(), fRuntime.RuntimeDir());
	ASSERT_GE(oversized, 0);
	const uint32 huge = 0xfffffff0u;
	ASSERT_EQ(send(oversized, &huge, 4, MSG_NOSIGNAL), 4);
	EXPECT_TRUE(ClosedByPeer(oversized, 3000));
	close(oversized);

	// A frame cut short, then the writer goes away: nothing is delivered.
	const int truncated = RawConnect(fPeer->Team(), fRuntime.RuntimeDir());
	ASSERT_GE(truncated, 0);
	std::string frame;
	BMessage ping('ping');
	ASSERT_EQ(BPrivate::encode_frame(1, ping, &frame), B_OK);
	ASSERT_GT(send(truncated, frame.data(), frame.size() / 2, MSG_NOSIGNAL), 0);
	close(truncated);

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
	const std::string socketPath = fRuntime.RuntimeDir() + "/"
		+ std::to_string(fPeer->Team()) + ".sock";
	const int32 appPort = BPrivate::MessengerAccess::Port(fMessenger);

	// The child reports: 1 = could not connect, 2 = connected but was hung up on
	// without an answer, 3 = got an answer, 4 = neither within the time.
	auto runAsNobody = [&] {
		const pid_t child = fork();
		if (child == 0) {
			// A ping whose reply would come back on this very connection.
			BMessage ping('ping');
			BPrivate::MessageAccess::SetReplyAddress(ping, getpid(), 1, B_NULL_TOKEN);
			std::string frame;
			if (BPrivate::encode_frame(appPort, ping, &frame) != B_OK)
				_exit(8);
			if (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0
				|| setuid(nobody->pw_uid) != 0)
				_exit(9);
			const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
			sockaddr_un address{};
			address.sun_family = AF_UNIX;
			strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
			if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
				_exit(1);
			(void)!send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
			timeval timeout{3, 0};
			setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
			char byte;
			const ssize_t got = recv(fd, &byte, 1, 0);
			// Closing with our frame unread resets the connection instead of ending it.
			const bool hungUp = got == 0 || (got < 0 && errno == ECONNRESET);
			_exit(got > 0 ? 3 : hungUp ? 2 : 4);
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
	ASSERT_EQ(chmod(fRuntime.RuntimeDir().c_str(), 0755), 0);
	ASSERT_EQ(chmod(socketPath.c_str(), 0777), 0);
	ASSERT_EQ(chmod(fRuntime.Root().c_str(), 0755), 0);
	ASSERT_EQ(chmod((fRuntime.Root() + "/run").c_str(), 0755), 0);
	EXPECT_EQ(runAsNobody(), 2);
	chmod(fRuntime.RuntimeDir().c_str(), 0700);

	BMessage reply;
	ASSERT_EQ(Ping(1, &reply, 5000000), B_OK);
}

TEST_F(Ipc, PeerThatQuitsBecomesInvalid)
{
	BMessage reply;
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
