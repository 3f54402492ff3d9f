// Registration as a Word Services server by the real program, started as a
// separate process from a copy of its executable: the first start writes the
// attributes and makes the index find it, a later one writes nothing but puts
// the server back into an index that lost it; an executable that belongs to
// root, started by another user, is registered through that user's own
// registration file.
#include "../book/FileTestSupport.h"
#include "WordServicesClient.h"
#include "WordServicesDefs.h"
#include "WordServicesRegistration.h"

#include <Messenger.h>
#include <Node.h>
#include <OS.h>
#include <TypeConstants.h>

#include <csignal>
#include <grp.h>
#include <sys/stat.h>

namespace {

const char kSignature[] = "application/x-vnd.tarvish-cvabdj";

class RegistrationTest : public testing::Test {
protected:
	void SetUp() override
	{
		chmod(fDir.Path().c_str(), 0755);
		mkdir((fDir / "bin").c_str(), 0755);
		ASSERT_TRUE(std::filesystem::copy_file(CVAB_BINARY, fExecutable));
		for (const char* sub : {"", "/run", "/data", "/config"})
			mkdir((fUser + sub).c_str(), 0700);
		WriteContents(fUser + "/book.cvab", "bob" + std::string(15, '\t') + "bob@example.org"
			+ std::string(5, '\t') + "\n");
		// This process looks at the same runtime and data folders as the program.
		setenv("HOME", fUser.c_str(), 1);
		setenv("XDG_RUNTIME_DIR", (fUser + "/run").c_str(), 1);
		setenv("XDG_DATA_HOME", (fUser + "/data").c_str(), 1);
		setenv("XDG_CONFIG_HOME", (fUser + "/config").c_str(), 1);
		setenv("CVAB_BACKEND", "headless", 1);
	}

	void TearDown() override { Stop(); }

	// Starts the copy (as uid when given) with the book.
	void Start(uid_t uid = 0)
	{
		fPid = fork();
		if (fPid == 0) {
			if (uid != 0 && (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0))
				_exit(126);
			freopen("/dev/null", "w", stdout);
			execl(fExecutable.c_str(), fExecutable.c_str(), (fUser + "/book.cvab").c_str(),
				static_cast<char*>(nullptr));
			_exit(127);
		}
	}

	// The program's application thread runs (its constructor, and with it the
	// registration, is done).
	bool WaitUntilAnswering()
	{
		for (int i = 0; i < 200; i++) {
			BMessenger app(kSignature);
			BMessage identify('cvid');
			BMessage reply;
			if (app.IsValid() && app.SendMessage(&identify, &reply, 1000000, 1000000) == B_OK
				&& reply.what == B_REPLY) {
				return true;
			}
			snooze(50000);
		}
		return false;
	}

	void Stop()
	{
		if (fPid <= 0)
			return;
		kill(fPid, SIGTERM);
		bool ended = false;
		for (int i = 0; i < 100 && !(ended = waitpid(fPid, nullptr, WNOHANG) == fPid); i++)
			snooze(50000);
		if (!ended) {
			kill(fPid, SIGKILL);
			waitpid(fPid, nullptr, 0);
		}
		fPid = -1;
	}

	static std::string ReadString(const std::string& path, const char* name)
	{
		BNode node(path.c_str());
		attr_info info;
		if (node.GetAttrInfo(name, &info) != B_OK)
			return "<none>";
		std::string value(info.size, '\0');
		node.ReadAttr(name, B_STRING_TYPE, 0, value.data(), value.size());
		return value;
	}

	// When the file's inode last changed, in nanoseconds.
	static int64 ChangeTime(const std::string& path)
	{
		struct stat st = {};
		stat(path.c_str(), &st);
		return int64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
	}

	ScratchDir fDir;
	const std::string fExecutable = fDir / "bin/cvab";
	const std::string fUser = fDir / "user";
	pid_t fPid = -1;
};

TEST_F(RegistrationTest, TheFirstStartRegistersAndALaterOneOnlyMendsTheIndex)
{
	Start();
	ASSERT_TRUE(WaitUntilAnswering());
	// The index finds it by its server attribute; the menu strings keep their NUL.
	EXPECT_EQ(ReadString(fExecutable, "Menu String 0"), std::string("Look Up E-Mail Address", 23));
	const std::vector<word_server> servers = FindWordServers();
	ASSERT_EQ(servers.size(), 1u);
	EXPECT_EQ(servers[0].path, fExecutable);
	EXPECT_EQ(servers[0].signature, kSignature);
	EXPECT_EQ(servers[0].menuStrings,
		(std::vector<std::string>{"Look Up E-Mail Address", "Look Up Postal Address"}));
	Stop();

	// Existing menu attributes are never rewritten, and nothing else is either;
	// an index made after this user's was removed gets the server back.
	BNode node(fExecutable.c_str());
	node.WriteAttr("Menu String 0", B_STRING_TYPE, 0, "Marker", 7);
	const int64 before = ChangeTime(fExecutable);
	std::filesystem::remove_all(fUser + "/data/cvab-platform");
	ASSERT_FALSE(QueryFindsServer(fExecutable));
	Start();
	ASSERT_TRUE(WaitUntilAnswering());
	EXPECT_EQ(ChangeTime(fExecutable), before);
	EXPECT_EQ(ReadString(fExecutable, "Menu String 0"), std::string("Marker", 7));
	EXPECT_TRUE(QueryFindsServer(fExecutable));
}

TEST_F(RegistrationTest, AnInstalledExecutableOfRootIsRegisteredForAnotherUser)
{
	if (getuid() != 0)
		GTEST_SKIP() << "needs root to start the program as another user";
	const uid_t nobody = 65534;
	// The package's installation wrote the attributes (as root).
	BNode node(fExecutable.c_str());
	const int32 one = 1, two = 2;
	node.WriteAttr(kWordServicesServerAttr, B_INT32_TYPE, 0, &one, 4);
	node.WriteAttr("Menu String 0", B_STRING_TYPE, 0, "Look Up E-Mail Address", 23);
	node.WriteAttr("Menu String 1", B_STRING_TYPE, 0, "Look Up Postal Address", 23);
	node.WriteAttr(kMenuStringCountAttr, B_INT32_TYPE, 0, &two, 4);
	node.WriteAttr(kAppSignatureAttr, B_STRING_TYPE, 0, kSignature, sizeof(kSignature));
	const int64 before = ChangeTime(fExecutable);
	ASSERT_EQ(system(("chown -R 65534:65534 '" + fUser + "'").c_str()), 0);

	Start(nobody);
	const std::string perUser = PerUserRegistrationPath(kSignature);
	ASSERT_NE(perUser.find(fUser), std::string::npos);
	bool found = false;
	for (int i = 0; i < 200 && !found; i++) {
		found = QueryFindsServer(perUser);
		if (!found)
			snooze(50000);
	}
	ASSERT_TRUE(found);
	const std::vector<word_server> servers = FindWordServers();
	ASSERT_EQ(servers.size(), 1u);
	EXPECT_EQ(servers[0].signature, kSignature);
	EXPECT_EQ(servers[0].menuStrings.size(), 2u);
	EXPECT_EQ(ServerExecutable(servers[0]), fExecutable);
	EXPECT_EQ(ChangeTime(fExecutable), before) << "the executable itself was touched";
	struct stat st;
	ASSERT_EQ(stat(perUser.c_str(), &st), 0);
	EXPECT_EQ(st.st_uid, nobody);
}

}  // namespace
