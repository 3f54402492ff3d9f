// The built-in store against real files in a temporary settings directory:
// records and their counts, the file format and its damaged forms, paths,
// statuses, and transactions between processes.
#include <BuiltInPreferenceStore.h>

#include "ChildProcess.h"

#include <FindDirectory.h>
#include <Message.h>
#include <OS.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Store = BuiltInPreferenceStore;

const char* const kApp = "x-vnd.tarvish-cvabdj";

bool IsDirectory(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

off_t FileSize(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string LengthBytes(int32 length)
{
	return std::string(reinterpret_cast<const char*>(&length), sizeof(length));
}

// The file's message when it holds one whole message after its length.
bool HoldsWholeMessage(const std::string& bytes, BMessage* message)
{
	if (bytes.size() < 4)
		return false;
	int32 length;
	std::memcpy(&length, bytes.data(), sizeof(length));
	if (length <= 0 || size_t(length) > bytes.size() - 4)
		return false;
	return message->Unflatten(bytes.data() + 4, size_t(length)) == B_OK;
}

struct Got {
	status_t status;
	type_code type;
	std::string bytes;
};

Got Get(PREFSetHandle set, const char* name)
{
	const void* data = nullptr;
	ssize_t size = 0;
	Got got{B_ERROR, 0, ""};
	got.status = Store::GetData(set, name, &data, &size, &got.type);
	if (got.status == B_OK)
		got.bytes.assign(static_cast<const char*>(data), size_t(size));
	return got;
}

const std::string kMissing = "<missing>";

// A set's string value, kMissing when it has none, or "<status>".
std::string StringValue(PREFSetHandle set, const char* name)
{
	const Got got = Get(set, name);
	if (got.status == PREF_NOT_FOUND)
		return kMissing;
	if (got.status != B_OK || got.type != B_STRING_TYPE)
		return "<" + std::to_string(got.status) + ">";
	return got.bytes;
}

std::string FoundString(const BMessage& message, const char* name)
{
	const void* data = nullptr;
	ssize_t size = 0;
	if (message.FindData(name, B_STRING_TYPE, 0, &data, &size) != B_OK)
		return kMissing;
	return std::string(static_cast<const char*>(data), size_t(size));
}

status_t SetString(PREFSetHandle set, const char* name, const std::string& value)
{
	return Store::SetData(set, name, value.data(), ssize_t(value.size()), B_STRING_TYPE);
}

class StoreTest : public testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_FALSE(fHome.Path().empty());
		setenv("XDG_CONFIG_HOME", fHome.Path().c_str(), 1);
		setenv("XDG_DATA_HOME", (fHome.Path() + "/data").c_str(), 1);
	}

	// Init and LoadSet, both expected to succeed.
	void Open(const char* setName, PREFAppHandle* app, PREFSetHandle* set, bool perUser = true)
	{
		ASSERT_EQ(Store::Init(kApp, app), B_OK);
		ASSERT_EQ(Store::LoadSet(*app, setName, perUser, set), B_OK);
		ASSERT_NE(*set, nullptr);
	}

	void Close(PREFAppHandle app, PREFSetHandle set)
	{
		EXPECT_EQ(Store::DisposeSet(&set), B_OK);
		EXPECT_EQ(Store::Shutdown(app), B_OK);
	}

	// Loads the set in a fresh store and hands back its string value.
	std::string ReloadedValue(const char* setName, const char* name)
	{
		PREFAppHandle app = nullptr;
		PREFSetHandle set = nullptr;
		Open(setName, &app, &set);
		const std::string value = StringValue(set, name);
		Close(app, set);
		return value;
	}

	std::string SettingsFile(const char* setName = "settings") const
	{
		return fAppDirectory + "/" + setName;
	}

	TemporaryDirectory fHome;
	const std::string fAppDirectory = fHome.Path() + "/_LP_" + kApp;
};

}  // namespace

// First start and file location ---------------------------------------------------

TEST_F(StoreTest, FirstStartCreatesTheFoldersAndAnEmptyFileAndLoadsEmpty)
{
	ASSERT_FALSE(IsDirectory(fAppDirectory));
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	Open("settings", &app, &set);

	EXPECT_TRUE(IsDirectory(fAppDirectory));
	EXPECT_EQ(FileSize(SettingsFile()), 0);
	EXPECT_EQ(StringValue(set, "LastFileSaved"), kMissing);
	Close(app, set);
	EXPECT_EQ(FileSize(SettingsFile()), 0);  // nothing is written before a save
}

TEST_F(StoreTest, SlashesInASetNameMakeSubdirectoriesAndCommonSetsLiveApart)
{
	PREFAppHandle app = nullptr;
	PREFSetHandle nested = nullptr;
	Open("windows/main/frame", &app, &nested);
	EXPECT_TRUE(IsDirectory(fAppDirectory + "/windows/main"));
	EXPECT_EQ(FileSize(fAppDirectory + "/windows/main/frame"), 0);

	// The same name per user and common: two sets, two files.
	PREFSetHandle user = nullptr;
	PREFSetHandle common = nullptr;
	ASSERT_EQ(Store::LoadSet(app, "shared", true, &user), B_OK);
	ASSERT_EQ(Store::LoadSet(app, "shared", false, &common), B_OK);
	EXPECT_NE(user, common);
	ASSERT_EQ(SetString(user, "who", "user"), B_OK);
	ASSERT_EQ(SetString(common, "who", "common"), B_OK);
	ASSERT_EQ(Store::SaveSet(user), B_OK);
	ASSERT_EQ(Store::SaveSet(common), B_OK);

	char commonSettings[1024];
	ASSERT_EQ(find_directory(B_COMMON_SETTINGS_DIRECTORY, -1, false, commonSettings,
		sizeof(commonSettings)), B_OK);
	const std::string commonFile
		= std::string(commonSettings) + "/_LP_" + kApp + "/(libprefs common)/shared";
	BMessage onDisk;
	ASSERT_TRUE(HoldsWholeMessage(ReadWholeFile(commonFile), &onDisk));
	EXPECT_EQ(FoundString(onDisk, "who"), "common");
	ASSERT_TRUE(HoldsWholeMessage(ReadWholeFile(fAppDirectory + "/shared"), &onDisk));
	EXPECT_EQ(FoundString(onDisk, "who"), "user");

	EXPECT_EQ(Store::DisposeSet(&user), B_OK);
	EXPECT_EQ(Store::DisposeSet(&common), B_OK);
	Close(app, nested);
}

TEST_F(StoreTest, ThingsInTheWayOfThePathAreReported)
{
	PREFAppHandle app = nullptr;
	ASSERT_EQ(Store::Init(kApp, &app), B_OK);
	ASSERT_EQ(mkdir(fAppDirectory.c_str(), 0777), 0);
	WriteFile(fAppDirectory + "/plain", "x");

	PREFSetHandle set = nullptr;
	EXPECT_EQ(Store::LoadSet(app, "plain/inside", true, &set), B_NOT_A_DIRECTORY);
	EXPECT_EQ(set, nullptr);
	// A directory where the file should be cannot be opened as a set.
	ASSERT_EQ(mkdir((fAppDirectory + "/folder").c_str(), 0777), 0);
	EXPECT_EQ(Store::LoadSet(app, "folder", true, &set), B_IS_A_DIRECTORY);
	EXPECT_EQ(set, nullptr);
	EXPECT_EQ(Store::Shutdown(app), B_OK);
}

TEST_F(StoreTest, PathsUpTo1023CharactersFitAndLongerOnesAreRefused)
{
	char settings[1024];
	ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, -1, true, settings, sizeof(settings)),
		B_OK);
	// directory + "/_LP_" + app + "/" + set + NUL fills the 1,024 bytes exactly.
	const size_t room = 1024 - std::strlen(settings) - 5 - std::strlen(kApp) - 1 - 1;
	std::string longest;
	while (longest.size() + 100 < room)
		longest += std::string(99, 'a') + "/";
	longest += std::string(room - longest.size(), 'b');
	ASSERT_EQ(longest.size(), room);

	PREFAppHandle app = nullptr;
	ASSERT_EQ(Store::Init(kApp, &app), B_OK);
	PREFSetHandle set = nullptr;
	EXPECT_EQ(Store::LoadSet(app, (longest + "b").c_str(), true, &set), PREF_PATH_TOO_LONG);
	EXPECT_EQ(set, nullptr);
	// A common set's path holds "/(libprefs common)" besides.
	EXPECT_EQ(Store::LoadSet(app, longest.c_str(), false, &set), PREF_PATH_TOO_LONG);
	ASSERT_EQ(Store::LoadSet(app, longest.c_str(), true, &set), B_OK);
	EXPECT_EQ(FileSize(fAppDirectory + "/" + longest), 0);
	Close(app, set);
}

// Records and reference counts -----------------------------------------------------

TEST_F(StoreTest, TheSameSetLoadedTwiceSharesOneHandleUntilTheLastDispose)
{
	PREFAppHandle app = nullptr;
	PREFSetHandle first = nullptr;
	Open("settings", &app, &first);
	ASSERT_EQ(SetString(first, "LastFileSaved", "/books/a"), B_OK);

	PREFSetHandle second = nullptr;
	ASSERT_EQ(Store::LoadSet(app, "settings", true, &second), B_OK);
	EXPECT_EQ(second, first);
	EXPECT_EQ(StringValue(second, "LastFileSaved"), "/books/a");  // not reread

	EXPECT_EQ(Store::DisposeSet(&first), B_OK);
	EXPECT_EQ(first, second);  // still referenced: kept, handle not cleared
	EXPECT_EQ(StringValue(second, "LastFileSaved"), "/books/a");
	EXPECT_EQ(Store::DisposeSet(&second), B_OK);
	EXPECT_EQ(second, nullptr);

	// Gone for good: a new load reads the file, which never saw the value.
	PREFSetHandle again = nullptr;
	ASSERT_EQ(Store::LoadSet(app, "settings", true, &again), B_OK);
	EXPECT_EQ(StringValue(again, "LastFileSaved"), kMissing);
	Close(app, again);
}

TEST_F(StoreTest, ApplicationsAreCountedByExactNameAndKeepTheirOwnSets)
{
	PREFAppHandle first = nullptr;
	PREFAppHandle second = nullptr;
	PREFAppHandle other = nullptr;
	ASSERT_EQ(Store::Init(kApp, &first), B_OK);
	ASSERT_EQ(Store::Init(kApp, &second), B_OK);
	ASSERT_EQ(Store::Init("X-VND.TARVISH-CVABDJ", &other), B_OK);
	EXPECT_EQ(first, second);
	EXPECT_NE(first, other);

	PREFSetHandle mine = nullptr;
	PREFSetHandle theirs = nullptr;
	ASSERT_EQ(Store::LoadSet(first, "settings", true, &mine), B_OK);
	ASSERT_EQ(Store::LoadSet(other, "settings", true, &theirs), B_OK);
	EXPECT_NE(mine, theirs);
	EXPECT_TRUE(IsDirectory(fHome.Path() + "/_LP_X-VND.TARVISH-CVABDJ"));

	// One shutdown of a name counted twice keeps it and its sets.
	EXPECT_EQ(Store::Shutdown(first), B_OK);
	EXPECT_EQ(SetString(mine, "still", "here"), B_OK);
	EXPECT_EQ(StringValue(mine, "still"), "here");
	EXPECT_EQ(Store::Shutdown(second), B_OK);
	// Its sets went with it; the other application's did not.
	EXPECT_EQ(Store::LoadSet(first, "settings", true, &mine), PREF_NOT_FOUND);
	EXPECT_EQ(SetString(theirs, "alive", "yes"), B_OK);
	EXPECT_EQ(Store::DisposeSet(&theirs), B_OK);
	EXPECT_EQ(Store::Shutdown(other), B_OK);
}

// Values and the file ---------------------------------------------------------------

TEST_F(StoreTest, ValuesSurviveSaveDisposeShutdownAndANewInit)
{
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	Open("settings", &app, &set);
	const int32 count = 0x01020304;
	const char raw[] = {'a', '\0', 'b', '\xff'};
	ASSERT_EQ(SetString(set, "LastFileSaved", "/books/friends"), B_OK);
	ASSERT_EQ(Store::SetData(set, "count", &count, sizeof(count), B_INT32_TYPE), B_OK);
	ASSERT_EQ(Store::SetData(set, "raw", raw, sizeof(raw), B_RAW_TYPE), B_OK);
	// Setting a name again replaces it, whatever its type was.
	ASSERT_EQ(Store::SetData(set, "changes", &count, sizeof(count), B_INT32_TYPE), B_OK);
	ASSERT_EQ(SetString(set, "changes", "now a string"), B_OK);
	ASSERT_EQ(Store::SaveSet(set), B_OK);
	Close(app, set);

	// On disk: the flattened size, then the message, and nothing more.
	const std::string bytes = ReadWholeFile(SettingsFile());
	BMessage onDisk;
	ASSERT_TRUE(HoldsWholeMessage(bytes, &onDisk));
	EXPECT_EQ(bytes.substr(0, 4), LengthBytes(int32(onDisk.FlattenedSize())));
	EXPECT_EQ(bytes.size(), size_t(4 + onDisk.FlattenedSize()));

	Open("settings", &app, &set);
	EXPECT_EQ(StringValue(set, "LastFileSaved"), "/books/friends");
	EXPECT_EQ(StringValue(set, "changes"), "now a string");
	const Got gotCount = Get(set, "count");
	EXPECT_EQ(gotCount.type, B_INT32_TYPE);
	EXPECT_EQ(gotCount.bytes, std::string(reinterpret_cast<const char*>(&count), sizeof(count)));
	const Got gotRaw = Get(set, "raw");
	EXPECT_EQ(gotRaw.type, B_RAW_TYPE);
	EXPECT_EQ(gotRaw.bytes, std::string(raw, sizeof(raw)));
	Close(app, set);
}

TEST_F(StoreTest, AShrunkenSaveLeavesOldBytesBehindThatLoadingIgnores)
{
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	Open("settings", &app, &set);
	ASSERT_EQ(SetString(set, "LastFileSaved", std::string(600, 'L')), B_OK);
	ASSERT_EQ(SetString(set, "extra", "gone later"), B_OK);
	ASSERT_EQ(Store::SaveSet(set), B_OK);
	const off_t longSize = FileSize(SettingsFile());

	ASSERT_EQ(SetString(set, "LastFileSaved", "/short"), B_OK);
	ASSERT_EQ(SetString(set, "extra", "x"), B_OK);
	ASSERT_EQ(Store::SaveSet(set), B_OK);
	Close(app, set);

	EXPECT_EQ(FileSize(SettingsFile()), longSize);  // never truncated
	const std::string bytes = ReadWholeFile(SettingsFile());
	EXPECT_NE(bytes.find(std::string(100, 'L')), std::string::npos);

	Open("settings", &app, &set);
	EXPECT_EQ(StringValue(set, "LastFileSaved"), "/short");
	EXPECT_EQ(StringValue(set, "extra"), "x");
	Close(app, set);
}

TEST_F(StoreTest, ShortOverrunOrDamagedFilesLoadEmptyAreLeftAloneAndTheNextSaveRepairs)
{
	BMessage message;
	const char value[] = "kept";
	ASSERT_EQ(message.AddData("key", B_STRING_TYPE, value, sizeof(value)), B_OK);
	std::string flat(size_t(message.FlattenedSize()), '\0');
	ASSERT_EQ(message.Flatten(flat.data(), ssize_t(flat.size())), B_OK);
	const std::string garbage = "this is no flattened message at all";

	const std::string cases[] = {
		std::string("\x01\x02", 2),
		LengthBytes(int32(flat.size() + 1)) + flat,  // one byte missing
		LengthBytes(-5) + flat,
		LengthBytes(0) + flat,
		LengthBytes(int32(garbage.size())) + garbage,
	};
	ASSERT_EQ(mkdir(fAppDirectory.c_str(), 0777), 0);
	for (const std::string& bytes : cases) {
		WriteFile(SettingsFile(), bytes);
		EXPECT_EQ(ReloadedValue("settings", "key"),
			kMissing) << bytes.size() << " bytes";
		EXPECT_EQ(ReadWholeFile(SettingsFile()), bytes);
	}
	// Saving over the last, damaged one leaves a whole message.
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	Open("settings", &app, &set);
	ASSERT_EQ(SetString(set, "LastFileSaved", "/books/repaired"), B_OK);
	ASSERT_EQ(Store::SaveSet(set), B_OK);
	Close(app, set);
	BMessage onDisk;
	EXPECT_TRUE(HoldsWholeMessage(ReadWholeFile(SettingsFile()), &onDisk));
	EXPECT_EQ(ReloadedValue("settings", "LastFileSaved"), "/books/repaired");

	// The same message with the right length and trailing junk loads.
	WriteFile(SettingsFile(), LengthBytes(int32(flat.size())) + flat + "junk");
	EXPECT_EQ(ReloadedValue("settings", "key"), std::string(value, sizeof(value)));
}

TEST_F(StoreTest, EveryCutAndCorruptionOfASetFileStillLoads)
{
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	Open("settings", &app, &set);
	ASSERT_EQ(SetString(set, "LastFileSaved", "/books/friends"), B_OK);
	ASSERT_EQ(Store::SetData(set, "count", "\x01\x02\x03\x04", 4, B_INT32_TYPE), B_OK);
	ASSERT_EQ(Store::SaveSet(set), B_OK);
	Close(app, set);
	const std::string whole = ReadWholeFile(SettingsFile());

	// Every cut-off file is an empty set.
	for (size_t length = 0; length < whole.size(); length++) {
		WriteFile(SettingsFile(), whole.substr(0, length));
		EXPECT_EQ(ReloadedValue("settings", "LastFileSaved"), kMissing) << length;
	}
	// A changed byte gives some set, or an empty one; whichever it is, it loads,
	// and saving it leaves one whole message.
	std::srand(7);
	for (int round = 0; round < 300; round++) {
		std::string bytes = whole;
		bytes[4 + size_t(std::rand()) % (bytes.size() - 4)] = char(std::rand());
		WriteFile(SettingsFile(), bytes);
		Open("settings", &app, &set);
		EXPECT_EQ(Store::SaveSet(set), B_OK);
		Close(app, set);
		BMessage onDisk;
		EXPECT_TRUE(HoldsWholeMessage(ReadWholeFile(SettingsFile()), &onDisk)) << round;
	}
}

TEST_F(StoreTest, AHugeLengthNeverAllocatesMoreThanTheFileHolds)
{
	ASSERT_EQ(mkdir(fAppDirectory.c_str(), 0777), 0);
	WriteFile(SettingsFile(), LengthBytes(0x7FFFFFF0) + "only a few bytes");

	// In a child whose data limit leaves room for far less than the length.
	const pid_t child = fork();
	if (child == 0) {
		std::ifstream status("/proc/self/status");
		std::string line;
		rlim_t data = 0;
		while (std::getline(status, line)) {
			if (line.compare(0, 7, "VmData:") == 0)
				data = rlim_t(std::strtoull(line.c_str() + 7, nullptr, 10)) * 1024;
		}
		struct rlimit limit;
		getrlimit(RLIMIT_DATA, &limit);
		limit.rlim_cur = data + (256 << 20);
		if (data == 0 || setrlimit(RLIMIT_DATA, &limit) != 0)
			_exit(2);
		PREFAppHandle app = nullptr;
		PREFSetHandle set = nullptr;
		if (Store::Init(kApp, &app) != B_OK)
			_exit(3);
		const status_t loaded = Store::LoadSet(app, "settings", true, &set);
		const bool empty = loaded == B_OK && StringValue(set, "any")[0] == '<';
		_exit(empty ? 0 : 1);
	}
	ASSERT_GT(child, 0);
	int status = 0;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
	EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Statuses --------------------------------------------------------------------------

TEST_F(StoreTest, BadNamesAreBadValuesAndMissingDataOrUnknownApplicationsAreNotFound)
{
	PREFAppHandle app = reinterpret_cast<PREFAppHandle>(1);
	EXPECT_EQ(Store::Init("application/x-vnd.tarvish-cvabdj", &app), B_BAD_VALUE);
	EXPECT_EQ(app, nullptr);
	EXPECT_EQ(Store::Init(nullptr, &app), B_BAD_VALUE);
	EXPECT_EQ(Store::Init(kApp, nullptr), B_BAD_VALUE);
	// None of these started the store.
	EXPECT_EQ(Store::Shutdown(app), PREF_NO_LOCK);

	PREFSetHandle set = nullptr;
	Open("settings", &app, &set);
	EXPECT_EQ(Get(set, "NeverSet").status, PREF_NOT_FOUND);
	int notARecord = 0;
	PREFAppHandle unknown = reinterpret_cast<PREFAppHandle>(&notARecord);
	EXPECT_EQ(Store::Shutdown(unknown), PREF_NOT_FOUND);
	PREFSetHandle none = set;
	EXPECT_EQ(Store::LoadSet(unknown, "settings", true, &none), PREF_NOT_FOUND);
	EXPECT_EQ(none, nullptr);
	Close(app, set);
}

TEST_F(StoreTest, AfterTheLastShutdownEveryCallHasNoLockUntilTheNextInit)
{
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	Open("settings", &app, &set);
	ASSERT_EQ(SetString(set, "unsaved", "lost"), B_OK);
	PREFTransaction transaction = nullptr;
	ASSERT_EQ(Store::BeginTransaction(set, &transaction), B_OK);
	ASSERT_EQ(Store::Shutdown(app), B_OK);

	PREFSetHandle stale = set;
	PREFSetHandle loaded = nullptr;
	PREFTransaction another = nullptr;
	EXPECT_EQ(Store::Shutdown(app), PREF_NO_LOCK);
	EXPECT_EQ(Store::LoadSet(app, "settings", true, &loaded), PREF_NO_LOCK);
	EXPECT_EQ(Store::SaveSet(set), PREF_NO_LOCK);
	EXPECT_EQ(Store::DisposeSet(&stale), PREF_NO_LOCK);
	EXPECT_EQ(Store::SetData(set, "x", "y", 2, B_STRING_TYPE), PREF_NO_LOCK);
	EXPECT_EQ(Get(set, "unsaved").status, PREF_NO_LOCK);
	EXPECT_EQ(Store::BeginTransaction(set, &another), PREF_NO_LOCK);
	EXPECT_EQ(Store::EndTransaction(transaction), PREF_NO_LOCK);

	// The shutdown closed the set's file, so its lock is free again.
	const int fd = open(SettingsFile().c_str(), O_RDWR);
	ASSERT_GE(fd, 0);
	EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
	close(fd);

	// A new init starts afresh, with only what reached the file.
	EXPECT_EQ(ReloadedValue("settings", "unsaved"), kMissing);
}

// Transactions ------------------------------------------------------------------------

TEST_F(StoreTest, TransactionsNestAndHoldTheFileLockUntilTheLastEnd)
{
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	Open("settings", &app, &set);
	const auto lockedElsewhere = [this] {
		const int fd = open(SettingsFile().c_str(), O_RDWR);
		const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0;
		close(fd);
		return locked;
	};
	EXPECT_FALSE(lockedElsewhere());

	PREFTransaction outer = nullptr;
	PREFTransaction inner = nullptr;
	ASSERT_EQ(Store::BeginTransaction(set, &outer), B_OK);
	ASSERT_EQ(Store::BeginTransaction(set, &inner), B_OK);
	EXPECT_EQ(inner, outer);
	EXPECT_TRUE(lockedElsewhere());
	// Saving inside the transaction shares it rather than waiting for itself.
	EXPECT_EQ(Store::SaveSet(set), B_OK);
	EXPECT_EQ(Store::EndTransaction(inner), B_OK);
	EXPECT_TRUE(lockedElsewhere());
	EXPECT_EQ(Store::EndTransaction(outer), B_OK);
	EXPECT_FALSE(lockedElsewhere());

	EXPECT_EQ(Store::BeginTransaction(set, nullptr), B_BAD_VALUE);
	EXPECT_EQ(Store::EndTransaction(nullptr), B_BAD_VALUE);
	Close(app, set);
}

TEST_F(StoreTest, ThreadsLoadingChangingSavingAndDisposingOneSetStayConsistent)
{
	PREFAppHandle app = nullptr;
	ASSERT_EQ(Store::Init(kApp, &app), B_OK);
	// Each thread's last reference destroys the shared record while others reload it.
	std::vector<std::thread> threads;
	std::vector<int> faults(6, 0);
	for (size_t index = 0; index < faults.size(); index++) {
		threads.emplace_back([&, index] {
			const std::string name = "thread" + std::to_string(index);
			for (int round = 0; round < 150; round++) {
				PREFSetHandle set = nullptr;
				const std::string value(size_t(round % 20 * 10 + 1), char('a' + index));
				if (Store::LoadSet(app, "settings", true, &set) != B_OK
					|| SetString(set, name.c_str(), value) != B_OK
					|| Store::SaveSet(set) != B_OK || StringValue(set, name.c_str()) != value
					|| Store::DisposeSet(&set) != B_OK)
					faults[index]++;
			}
		});
	}
	for (std::thread& thread : threads)
		thread.join();
	EXPECT_EQ(faults, std::vector<int>(faults.size(), 0));
	EXPECT_EQ(Store::Shutdown(app), B_OK);
	BMessage onDisk;
	EXPECT_TRUE(HoldsWholeMessage(ReadWholeFile(SettingsFile()), &onDisk));
}

namespace {

// A child process that holds path's exclusive lock for holdMs milliseconds; returns
// once the lock is taken.
pid_t HoldLockInAnotherProcess(const std::string& path, int holdMs)
{
	int ready[2];
	if (pipe(ready) != 0)
		return -1;
	const pid_t child = fork();
	if (child == 0) {
		close(ready[0]);
		const int fd = open(path.c_str(), O_RDWR | O_CREAT, 0666);
		if (fd < 0 || flock(fd, LOCK_EX) != 0)
			_exit(1);
		if (write(ready[1], "x", 1) != 1)
			_exit(1);
		usleep(useconds_t(holdMs) * 1000);
		_exit(0);
	}
	close(ready[1]);
	char byte;
	const bool locked = read(ready[0], &byte, 1) == 1;
	close(ready[0]);
	return locked ? child : -1;
}

bool EndedWell(pid_t child)
{
	int status = 0;
	return waitpid(child, &status, 0) == child && WIFEXITED(status)
		&& WEXITSTATUS(status) == 0;
}

}  // namespace

TEST_F(StoreTest, LoadSaveAndDisposeWaitWhileAnotherProcessHoldsTheFile)
{
	const int holdMs = 300;
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	ASSERT_EQ(Store::Init(kApp, &app), B_OK);
	ASSERT_EQ(mkdir(fAppDirectory.c_str(), 0777), 0);
	const std::function<status_t()> operations[] = {
		[&] { return Store::LoadSet(app, "settings", true, &set); },
		[&] {
			SetString(set, "LastFileSaved", "/books/waited");
			return Store::SaveSet(set);
		},
		[&] { return Store::DisposeSet(&set); },
	};
	for (const auto& operation : operations) {
		const pid_t holder = HoldLockInAnotherProcess(SettingsFile(), holdMs);
		ASSERT_GT(holder, 0);
		const auto start = std::chrono::steady_clock::now();
		EXPECT_EQ(operation(), B_OK);
		EXPECT_GE(std::chrono::steady_clock::now() - start,
			std::chrono::milliseconds(holdMs - 50));
		EXPECT_TRUE(EndedWell(holder));
	}
	EXPECT_EQ(set, nullptr);
	EXPECT_EQ(Store::Shutdown(app), B_OK);
	EXPECT_EQ(ReloadedValue("settings", "LastFileSaved"), "/books/waited");
}

TEST_F(StoreTest, TwoProcessesSavingOneSetAtOnceLeaveOneWholeMessage)
{
	const int kRounds = 60;
	// Each writer's value has its own letter and a length that changes every round,
	// so a torn file shows as a bad length, a damaged message or a mixed value.
	const auto writer = [&](char letter, size_t base, size_t step) {
		PREFAppHandle app = nullptr;
		PREFSetHandle set = nullptr;
		if (Store::Init(kApp, &app) != B_OK
			|| Store::LoadSet(app, "shared", true, &set) != B_OK)
			_exit(2);
		int faults = 0;
		for (int round = 0; round < kRounds; round++) {
			const std::string value(base + step * size_t(round % 9), letter);
			if (SetString(set, "writer", value) != B_OK || Store::SaveSet(set) != B_OK)
				faults++;
			// Under the set's lock the file must hold one whole message.
			PREFTransaction transaction = nullptr;
			if (Store::BeginTransaction(set, &transaction) != B_OK)
				_exit(3);
			BMessage onDisk;
			if (!HoldsWholeMessage(ReadWholeFile(fAppDirectory + "/shared"), &onDisk))
				faults++;
			Store::EndTransaction(transaction);
		}
		Store::DisposeSet(&set);
		Store::Shutdown(app);
		_exit(faults == 0 ? 0 : 1);
	};

	const pid_t first = fork();
	if (first == 0)
		writer('A', 100000, 37000);
	const pid_t second = fork();
	if (second == 0)
		writer('b', 10, 3);
	ASSERT_GT(first, 0);
	ASSERT_GT(second, 0);
	EXPECT_TRUE(EndedWell(first));
	EXPECT_TRUE(EndedWell(second));

	BMessage onDisk;
	ASSERT_TRUE(HoldsWholeMessage(ReadWholeFile(fAppDirectory + "/shared"), &onDisk));
	const std::string value = FoundString(onDisk, "writer");
	ASSERT_NE(value, kMissing);
	EXPECT_EQ(value, std::string(value.size(), value[0]));
}
