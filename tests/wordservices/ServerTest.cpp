// The Word Services server end to end: the real application object on the
// headless screen in this process, and clients as real separate processes
// (ws_client_peer) that serve their text through the scripting protocol.
#include "AppTestSupport.h"

#include "CVABapp.h"
#include "CommandCodes.h"
#include "WordServicesDefs.h"
#include "WordServicesServer.h"

#include <OS.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sstream>

namespace {

// One client process, started with these options; killed when the test ends.
class Client {
public:
	explicit Client(const std::vector<std::string>& arguments)
	{
		std::string command = "exec '" CVAB_WS_CLIENT_PEER "'";
		for (const std::string& argument : arguments)
			command += " '" + argument + "'";
		// It says "ready <pid>" once its request went out.
		fOutput = popen(command.c_str(), "r");
		if (fOutput == nullptr || fscanf(fOutput, "ready %d", &fPid) != 1)
			ADD_FAILURE() << "the client did not start";
	}
	~Client()
	{
		if (fPid > 0)
			kill(fPid, SIGKILL);
		if (fOutput != nullptr)
			pclose(fOutput);
	}

private:
	FILE* fOutput = nullptr;
	int fPid = -1;
};

class WordServicesServerTest : public AppTest {
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		setenv("CVAB_PEER_RECORD", Path("record").c_str(), 1);
	}

	// A book with these records (nickname, e-mail, first, last, city), opened.
	void OpenBook(const std::string& name, const std::vector<std::vector<std::string>>& records)
	{
		const int32 columns[] = {kNicknameField, kEmail1Field, kFirstNameField, kLastNameField,
			kCityField};
		std::string body;
		for (const auto& record : records) {
			std::vector<std::string> fields(kBookFieldCount);
			for (size_t i = 0; i < record.size(); i++)
				fields[columns[i]] = record[i];
			body += Line(fields);
		}
		WriteFile(Path(name), body);
		if (Running())
			OpenRef(Path(name));
		else
			Launch({Path(name)});
	}

	std::vector<std::string> Record() const
	{
		std::vector<std::string> lines;
		std::istringstream in(ReadFile(Path("record")));
		for (std::string line; std::getline(in, line);)
			lines.push_back(line);
		return lines;
	}

	// A fresh record for the next client.
	void ClearRecord() { std::remove(Path("record").c_str()); }

	// Waits until the record holds a line equal to what; true when it came.
	bool WaitFor(const std::string& what, bigtime_t timeout = 15000000)
	{
		const bigtime_t deadline = system_time() + timeout;
		do {
			const std::vector<std::string> record = Record();
			if (std::find(record.begin(), record.end(), what) != record.end())
				return true;
			snooze(20000);
		} while (system_time() < deadline);
		return false;
	}

	std::string Final(const std::string& target)
	{
		for (const std::string& line : Record()) {
			if (line.rfind("final " + target + " ", 0) == 0)
				return line.substr(7 + target.size());
		}
		return "<none>";
	}

	int CountLines(const std::string& prefix)
	{
		int count = 0;
		for (const std::string& line : Record())
			count += line.rfind(prefix, 0) == 0;
		return count;
	}

	static int CountAlerts()
	{
		int count = 0;
		for (BWindow* window : Windows())
			count += dynamic_cast<BAlert*>(window) != nullptr;
		return count;
	}

	// The application answers a synchronous message within timeout.
	static bool AppAnswers(bigtime_t timeout)
	{
		BMessage identify(kAppIdentify);
		BMessage reply;
		return BMessenger(be_app).SendMessage(&identify, &reply, timeout, timeout) == B_OK
			&& reply.what == B_REPLY;
	}
};

const std::vector<std::vector<std::string>> kBook = {
	{"Bob", "bob@example.org", "Robert", "Smith", "Springfield"},
	{"alice", "alice@example.org", "Alice", "Jones", "Shelbyville"},
	{"bob", "second-bob@example.org"},
	{"nomail", ""},
};

// Words split at punctuation and at non-ASCII bytes (bob with a final e-acute is
// looked up as bob, "alice2" is one word); the first of two "bob"s wins; a
// record without an e-mail leaves its word.
TEST_F(WordServicesServerTest, TargetsAreServedInOrderAndAnUnknownIndexShowsOneAlert)
{
	OpenBook("book.cvab", kBook);
	Client client({"--text", "mail bob, and ALICE.", "--text", "alice", "--text",
		"(bob)\xc3\xa9-alice2 alice;bob\xc3\xa9x...", "--text", "BOB", "--text", "nomail bob"});
	ASSERT_TRUE(WaitFor("done"));
	EXPECT_EQ(Final("t1"), "mail bob@example.org, and alice@example.org.");
	EXPECT_EQ(Final("t2"), "alice@example.org");
	EXPECT_EQ(Final("t3"),
		"(bob@example.org)\xc3\xa9-alice2 alice@example.org;bob@example.org\xc3\xa9x...");
	EXPECT_EQ(Final("t4"), "bob@example.org");
	EXPECT_EQ(Final("t5"), "nomail bob@example.org");
	EXPECT_EQ(CountLines("t5 SET Text reverse 10 6"), 0);
	// Each target asked in entry order.
	const std::vector<std::string> record = Record();
	std::vector<std::string> sizeQueries;
	for (const std::string& line : record) {
		if (line.find("GET Size") != std::string::npos)
			sizeQueries.push_back(line.substr(0, 2));
	}
	EXPECT_EQ(sizeQueries, (std::vector<std::string>{"t1", "t2", "t3", "t4", "t5"}));
	// The first replacement of t1: delete "bob" (index 15 from the end, 3 bytes),
	// highlight off, insert at 12.
	const size_t del = std::find(record.begin(), record.end(), "t1 SET Text reverse 15 3")
		- record.begin();
	ASSERT_LT(del + 2, record.size());
	EXPECT_EQ(record[del + 1], "t1 SET BackgroundHilite reverse 0 0 off");
	EXPECT_EQ(record[del + 2], "t1 SET Text reverse 12 15 data=bob@example.org");
	EXPECT_EQ(CountLines("wstp 1"), 1);
	EXPECT_EQ(CountAlerts(), 0);

	// An index the server does not offer shows one alert, without blocking, however
	// many clients ask for it. (Index 1, the postal look-up: the lookup tool's test.)
	ClearRecord();
	{
		Client client({"--index", "2", "--text", "bob"});
		ASSERT_TRUE(WaitFor("wstp 1"));
	}
	Settle();
	EXPECT_EQ(CountAlerts(), 1);
	EXPECT_EQ(AlertText(), kSessionFailedText);
	EXPECT_EQ(Final("t1"), "bob");
	EXPECT_EQ(CountLines("t1 "), 0);
	ClearRecord();
	{
		Client client({"--index", "-1", "--text", "bob"});
		ASSERT_TRUE(WaitFor("wstp 1"));
	}
	EXPECT_TRUE(AppAnswers(2000000));
	Settle();
	EXPECT_EQ(CountAlerts(), 1);
	Key("\x1b");  // its one button loses nothing: Escape leaves it
	EXPECT_EQ(CountAlerts(), 0);
}

// Text is inserted only after its delete succeeded, and a Text reply beyond
// the bound is refused: that target keeps its words, the next is served. A
// second request ends the first session first; target counts take 32 bits.
// Clients that never answer, stop after the Size query or die mid-session are
// given up within their time-outs (their other targets not waited for), and
// neither the next client nor quitting waits on them.
TEST_F(WordServicesServerTest, MisbehavingClientsAreServedSafelyOrGivenUpInTime)
{
	OpenBook("book.cvab", kBook);
	{
		Client client({"--mode", "fail-delete", "--text", "bob and alice"});
		ASSERT_TRUE(WaitFor("done"));
		EXPECT_EQ(Final("t1"), "bob and alice");
		for (const std::string& line : Record())
			EXPECT_EQ(line.find("data="), std::string::npos) << line;
		EXPECT_EQ(CountLines("t1 SET Text reverse 13 3"), 1);
		EXPECT_EQ(CountLines("t1 SET Text reverse 5 5"), 1);
	}
	ClearRecord();
	{
		Client client({"--mode", "huge-text", "--text", "bob", "--text", "alice"});
		ASSERT_TRUE(WaitFor("done"));
		EXPECT_EQ(Final("t1"), "bob");
		EXPECT_EQ(CountLines("t1 SET"), 0);
		EXPECT_EQ(Final("t2"), "alice@example.org");
	}
	ClearRecord();
	{
		Client client({"--requests", "2", "--text", "bob", "--second-text", "alice"});
		ASSERT_TRUE(WaitFor("done"));
		EXPECT_EQ(Final("t1"), "bob@example.org");
		EXPECT_EQ(Final("s1"), "alice@example.org");
		const std::vector<std::string> record = Record();
		const auto secondFirst = std::find_if(record.begin(), record.end(),
			[](const std::string& line) { return line.rfind("s1 ", 0) == 0; });
		ASSERT_NE(secondFirst, record.end());
		EXPECT_LT(std::find(record.begin(), record.end(), "wstp 1"), secondFirst);
		EXPECT_EQ(CountLines("wstp 1"), 1);
		EXPECT_EQ(CountLines("wstp 2"), 1);
	}
	ClearRecord();
	{
		Client many({"--mode", "many:33000", "--text", "bob"});
		ASSERT_TRUE(WaitFor("done", 60000000));
		EXPECT_EQ(Final("t1"), "bob@example.org");
	}
	ClearRecord();
	const bigtime_t start = system_time();
	Client silent({"--mode", "silent", "--text", "bob", "--text", "bob", "--text", "bob"});
	ASSERT_TRUE(WaitFor("t1 GET Size"));
	EXPECT_TRUE(AppAnswers(5000000));
	EXPECT_LT(system_time() - start, 4000000) << "one second for the Size query";
	EXPECT_EQ(CountLines("t2 "), 0);

	ClearRecord();
	Client hanging({"--mode", "hang-text", "--text", "bob", "--text", "alice"});
	ASSERT_TRUE(WaitFor("t1 GET Text range 0 3"));
	EXPECT_TRUE(AppAnswers(kExchangeTimeout + 3000000));
	EXPECT_EQ(CountLines("t2 "), 0);

	ClearRecord();
	{
		Client dying({"--mode", "die-after:3", "--text", "bob alice", "--text", "bob"});
		ASSERT_TRUE(WaitFor("t1 SET Text reverse 9 3"));
		EXPECT_TRUE(AppAnswers(3000000));
		EXPECT_EQ(CountLines("t2 "), 0);
	}
	ClearRecord();
	{
		Client next({"--text", "alice"});
		ASSERT_TRUE(WaitFor("done"));
		EXPECT_EQ(Final("t1"), "alice@example.org");
	}
	EXPECT_TRUE(Quit());
}

// A server whose application has no main window to give, in a looper of its own.
class WindowlessServer : public BLooper {
public:
	WindowlessServer() : BLooper("windowless server"), fServer([] { return BMessenger(); }) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == kWordServicesRequest)
			fServer.StartSession(message);
		else if (message->what == kWordServicesEnd)
			fServer.EndSession(message);
		else
			BLooper::MessageReceived(message);
	}

private:
	WordServicesServer fServer;
};

// The session's book window closes while it waits for the client, or there is
// none to give: the words stay and the client gets its 'WStp'.
TEST_F(WordServicesServerTest, WithoutABookWindowTheWordsStayAndTheClientGetsWStp)
{
	OpenBook("other.cvab", {{"bob", "other-bob@example.org"}});
	OpenBook("book.cvab", kBook);
	ASSERT_EQ(BookWindows().size(), 2u);
	const BMessenger bookWindow = BookWindows().back();
	const std::string go = Path("go");
	Client client({"--mode", "pause:" + go, "--text", "bob alice"});
	ASSERT_TRUE(WaitFor("paused"));
	// The session waits for the client; the window of its book closes.
	bookWindow.SendMessage(B_QUIT_REQUESTED);
	for (int i = 0; i < 200 && bookWindow.IsValid(); i++)
		snooze(10000);
	ASSERT_FALSE(bookWindow.IsValid());
	WriteFile(go, "");
	ASSERT_TRUE(WaitFor("done"));
	EXPECT_EQ(Final("t1"), "bob alice");
	EXPECT_EQ(CountLines("t1 SET"), 0);
	EXPECT_EQ(BookWindows().size(), 1u);

	auto* server = new WindowlessServer();
	server->Run();
	auto* recorder = new MessageRecorder();
	recorder->Run();
	BMessage request(kWordServicesRequest);
	request.AddInt32("Index", 0);
	request.AddMessenger("Target", BMessenger(recorder));
	BMessenger(server).SendMessage(&request, BMessenger(recorder));
	auto received = [recorder](uint32 what) {
		const std::vector<BMessage> messages = recorder->Messages();
		return std::count_if(messages.begin(), messages.end(),
			[what](const BMessage& message) { return message.what == what; });
	};
	for (int i = 0; i < 300 && received(kWordServicesStop) == 0; i++)
		snooze(10000);
	EXPECT_EQ(received(kWordServicesStop), 1);
	EXPECT_EQ(received(B_GET_PROPERTY) + received(B_SET_PROPERTY), 0);
	for (BLooper* looper : {static_cast<BLooper*>(server), static_cast<BLooper*>(recorder)}) {
		looper->Lock();
		looper->Quit();
	}
}

}  // namespace
