// The roster across processes: running applications by signature, stale
// registrations, and launching a running and a non-running application.
#include <Application.h>
#include <List.h>
#include <Roster.h>

#include "PeerProcess.h"
#include "RunningApps.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr const char* kPeer = "application/x-vnd.cvab-roster-peer";
}

TEST(RosterIpc, RunningApplicationIsFoundBySignatureAndGetsLaunchArguments)
{
	IsolatedRuntime runtime;
	PeerProcess peer(kPeer);
	ASSERT_TRUE(peer.Started());

	EXPECT_TRUE(be_roster->IsRunning("APPLICATION/X-VND.CVAB-ROSTER-PEER"));
	EXPECT_FALSE(be_roster->IsRunning("application/x-vnd.cvab-not-running"));
	EXPECT_EQ(be_roster->TeamFor(kPeer), peer.Team());
	app_info info;
	ASSERT_EQ(be_roster->GetAppInfo(kPeer, &info), B_OK);
	EXPECT_EQ(info.team, peer.Team());
	ASSERT_NE(info.ref.name, nullptr);
	EXPECT_EQ(info.ref.DirectoryPath() + "/" + info.ref.name, std::string(CVAB_IPC_PEER));
	BList teams;
	be_roster->GetAppList(kPeer, &teams);
	ASSERT_EQ(teams.CountItems(), 1);
	EXPECT_EQ(team_id(reinterpret_cast<intptr_t>(teams.ItemAt(0))), peer.Team());

	// Launching it again hands the running one the arguments. (A document handed to
	// the running program is the launch tests'.)
	const char* args[] = {"--open", "here"};
	team_id team = -1;
	EXPECT_EQ(be_roster->Launch(kPeer, 2, args, &team), B_ALREADY_RUNNING);
	EXPECT_EQ(team, peer.Team());
	EXPECT_EQ(WaitForRecord(runtime.RecordFile(), 1, 5000000), "argv --open here\n");
}

TEST(RosterIpc, StaleRegistrationsAndUnknownSignaturesAreNotRunning)
{
	IsolatedRuntime runtime;
	// A child that exits at once leaves a pid that no longer runs.
	const pid_t dead = fork();
	if (dead == 0)
		_exit(0);
	waitpid(dead, nullptr, 0);
	BPrivate::AppRecord record;
	record.team = dead;
	record.port = 1;
	record.signature = "application/x-vnd.cvab-ghost";
	record.executable = "/bin/true";
	ASSERT_EQ(BPrivate::RunningApps::Register(record), B_OK);
	const std::string file = runtime.RuntimeDir() + "/" + std::to_string(dead) + ".app";
	ASSERT_EQ(access(file.c_str(), F_OK), 0);

	EXPECT_FALSE(be_roster->IsRunning("application/x-vnd.cvab-ghost"));
	EXPECT_NE(access(file.c_str(), F_OK), 0);

	// A live pid with another start time is a different process: stale too.
	record.team = getpid();
	record.startTime = BPrivate::RunningApps::StartTimeOf(getpid()) + 1;
	ASSERT_EQ(BPrivate::RunningApps::Register(record), B_OK);
	EXPECT_FALSE(be_roster->IsRunning("application/x-vnd.cvab-ghost"));

	// A signature never seen can neither be launched nor reached.
	const char* args[] = {"x"};
	EXPECT_EQ(be_roster->Launch("application/x-vnd.cvab-never-seen", 1, args),
		B_LAUNCH_FAILED_APP_NOT_FOUND);
	status_t status = B_OK;
	BMessenger messenger("application/x-vnd.cvab-never-seen", -1, &status);
	EXPECT_NE(status, B_OK);
	EXPECT_FALSE(messenger.IsValid());
}

TEST(RosterIpc, LaunchingAStoppedApplicationStartsItsRecordedExecutable)
{
	IsolatedRuntime runtime;
	{
		// Running once records the executable for the signature.
		PeerProcess first(kPeer);
		ASSERT_TRUE(first.Started());
		BMessenger messenger(kPeer);
		BMessage reply;
		ASSERT_EQ(messenger.SendMessage(B_QUIT_REQUESTED, &reply), B_OK);
		ASSERT_NE(first.Wait(5000000), -1);
	}
	EXPECT_FALSE(be_roster->IsRunning(kPeer));

	const std::string document = runtime.Root() + "/launched.abk";
	std::ofstream(document) << "x";
	const char* args[] = {document.c_str(), "plain"};
	team_id team = -1;
	ASSERT_EQ(be_roster->Launch(kPeer, 2, args, &team), B_OK);
	EXPECT_GT(team, 0);
	const std::string record = WaitForRecord(runtime.RecordFile(), 2, 10000000);
	EXPECT_NE(record.find("argv plain\n"), std::string::npos) << record;
	EXPECT_NE(record.find("ref " + document + "\n"), std::string::npos) << record;
	for (int i = 0; i < 400 && be_roster->TeamFor(kPeer) != team; i++)
		snooze(5000);
	EXPECT_EQ(be_roster->TeamFor(kPeer), team);
	kill(team, SIGKILL);
}
