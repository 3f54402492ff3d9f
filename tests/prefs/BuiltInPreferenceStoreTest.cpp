// The built-in store against real files in a temporary settings directory: paths,
// records and their counts, the file format and its damaged forms, statuses, and
// transactions between threads and processes.
#include "../book/FileTestSupport.h"

#include <BuiltInPreferenceStore.h>

#include <FindDirectory.h>
#include <Message.h>
#include <OS.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
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
const std::string kMissing = "<missing>";
const std::string kDamaged = "<damaged>";

std::string LengthBytes(int32 length)
{
	return std::string(reinterpret_cast<const char*>(&length), sizeof(length));
}

// The string the file at path holds under name: kDamaged unless the file holds
// one whole message after its length, kMissing when the message lacks the name.
std::string OnDisk(const std::string& path, const char* name = "")
{
	const std::string bytes = Contents(path);
	int32 length = 0;
	if (bytes.size() >= sizeof(length))
		std::memcpy(&length, bytes.data(), sizeof(length));
	BMessage message;
	if (length <= 0 || size_t(length) > bytes.size() - 4
		|| message.Unflatten(bytes.data() + 4, size_t(length)) != B_OK)
		return kDamaged;
	const void* data = nullptr;
	ssize_t size = 0;
	if (message.FindData(name, B_STRING_TYPE, 0, &data, &size) != B_OK)
		return kMissing;
	return std::string(static_cast<const char*>(data), size_t(size));
}

// A set's value under name if it has the given type, kMissing when it has none,
// or "<status>".
std::string Value(PREFSetHandle set, const char* name, type_code type = B_STRING_TYPE)
{
	const void* data = nullptr;
	ssize_t size = 0;
	type_code found = 0;
	const status_t status = Store::GetData(set, name, &data, &size, &found);
	if (status == PREF_NOT_FOUND)
		return kMissing;
	if (status != B_OK || found != type)
		return "<" + std::to_string(status) + ">";
	return std::string(static_cast<const char*>(data), size_t(size));
}

status_t SetString(PREFSetHandle set, const char* name, const std::string& value)
{
	return Store::SetData(set, name, value.data(), ssize_t(value.size()), B_STRING_TYPE);
}

bool EndedWell(pid_t child)
{
	int status = 0;
	return waitpid(child, &status, 0) == child && WIFEXITED(status)
		&& WEXITSTATUS(status) == 0;
}

// The process's data in bytes as its limit counts them; 0 when unknown.
rlim_t DataInUse()
{
	std::ifstream status("/proc/self/status");
	for (std::string line; std::getline(status, line);) {
		if (line.compare(0, 7, "VmData:") == 0)
			return rlim_t(std::strtoull(line.c_str() + 7, nullptr, 10)) * 1024;
	}
	return 0;
}

class StoreTest : public testing::Test {
protected:
	void SetUp() override
	{
		setenv("XDG_CONFIG_HOME", fHome.Path().c_str(), 1);
		setenv("XDG_DATA_HOME", (fHome / "data").c_str(), 1);
	}

	// Init and LoadSet into fApp and fSet, both expected to succeed.
	void Open(const char* setName = "settings")
	{
		ASSERT_EQ(Store::Init(kApp, &fApp), B_OK);
		ASSERT_EQ(Store::LoadSet(fApp, setName, true, &fSet), B_OK);
	}

	void Close()
	{
		EXPECT_EQ(Store::DisposeSet(&fSet), B_OK);
		EXPECT_EQ(Store::Shutdown(fApp), B_OK);
	}

	// The "settings" set's string value as a fresh store loads it.
	std::string ReloadedValue(const char* name)
	{
		Open();
		const std::string value = Value(fSet, name);
		Close();
		return value;
	}

	std::string File(const std::string& setName = "settings") const
	{
		return fAppDirectory + "/" + setName;
	}

	// Takes the settings file's lock through a file of its own, as another process
	// would; closing the descriptor drops it.
	int LockFile() const
	{
		const int fd = open(File().c_str(), O_RDWR | O_CREAT, 0666);
		EXPECT_EQ(flock(fd, LOCK_EX), 0);
		return fd;
	}

	// Whether the settings file's lock is held, seen through a file of its own.
	bool LockedElsewhere() const
	{
		const int fd = open(File().c_str(), O_RDWR);
		const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0;
		close(fd);
		return locked;
	}

	ScratchDir fHome;
	const std::string fAppDirectory = fHome / "_LP_" + kApp;
	PREFAppHandle fApp = nullptr;
	PREFSetHandle fSet = nullptr;
};

}  // namespace

TEST_F(StoreTest, SetsLiveInFoldersMadeOnTheirFirstLoadAndPathsTooLongOrBlockedAreRefused)
{
	ASSERT_FALSE(std::filesystem::exists(fAppDirectory));
	Open("windows/main/frame");
	EXPECT_EQ(std::filesystem::file_size(File("windows/main/frame")), 0u);
	EXPECT_EQ(Value(fSet, "LastFileSaved"), kMissing);
	const auto load = [&](const std::string& name) {
		PREFSetHandle set = nullptr;
		const status_t status = Store::LoadSet(fApp, name.c_str(), true, &set);
		EXPECT_EQ(set == nullptr, status != B_OK) << name;
		if (status == B_OK && SetString(set, "who", "user") == B_OK)
			return Store::SaveSet(set);
		return status;
	};
	char settings[1024];
	ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, -1, true, settings,
		sizeof(settings)), B_OK);
	// directory + "/_LP_" + app + "/" + set + NUL fills the 1,024 bytes exactly.
	const size_t room = 1024 - std::strlen(settings) - 5 - std::strlen(kApp) - 1 - 1;
	std::string longest;
	while (longest.size() + 100 < room)
		longest += std::string(99, 'a') + "/";
	longest += std::string(room - longest.size(), 'b');
	EXPECT_EQ(load(longest + "b"), PREF_PATH_TOO_LONG);
	EXPECT_EQ(load(longest), B_OK);
	EXPECT_EQ(OnDisk(File(longest), "who"), "user");

	// A file where a folder should be, and a folder where the file should be.
	WriteContents(File("plain"), "x");
	EXPECT_EQ(load("plain/inside"), B_NOT_A_DIRECTORY);
	ASSERT_EQ(mkdir(File("folder").c_str(), 0777), 0);
	EXPECT_EQ(load("folder"), B_IS_A_DIRECTORY);
	Close();  // the last shutdown destroys every set
	EXPECT_EQ(std::filesystem::file_size(File("windows/main/frame")), 0u);  // never saved
}

TEST_F(StoreTest, SetsAndApplicationsAreSharedUntilTheirLastRelease)
{
	Open();
	ASSERT_EQ(SetString(fSet, "LastFileSaved", "/books/a"), B_OK);
	PREFSetHandle second = nullptr;
	ASSERT_EQ(Store::LoadSet(fApp, "settings", true, &second), B_OK);
	EXPECT_EQ(second, fSet);
	EXPECT_EQ(Store::DisposeSet(&fSet), B_OK);
	EXPECT_EQ(fSet, second);  // still referenced: kept, handle not cleared
	EXPECT_EQ(Value(second, "LastFileSaved"), "/books/a");
	EXPECT_EQ(Store::DisposeSet(&second), B_OK);
	EXPECT_EQ(second, nullptr);
	// Gone for good: a new load reads the file, which never saw the value.
	ASSERT_EQ(Store::LoadSet(fApp, "settings", true, &fSet), B_OK);
	EXPECT_EQ(Value(fSet, "LastFileSaved"), kMissing);

	// Applications are counted by their exact name, each with its own sets.
	PREFAppHandle again = nullptr;
	PREFAppHandle other = nullptr;
	PREFSetHandle theirs = nullptr;
	ASSERT_EQ(Store::Init(kApp, &again), B_OK);
	ASSERT_EQ(Store::Init("X-VND.TARVISH-CVABDJ", &other), B_OK);
	EXPECT_EQ(again, fApp);
	ASSERT_EQ(Store::LoadSet(other, "settings", true, &theirs), B_OK);
	EXPECT_TRUE(std::filesystem::exists(fHome / "_LP_X-VND.TARVISH-CVABDJ/settings"));
	// One shutdown of a name counted twice keeps it and its sets.
	EXPECT_EQ(Store::Shutdown(again), B_OK);
	EXPECT_EQ(SetString(fSet, "still", "here"), B_OK);
	EXPECT_EQ(Value(fSet, "still"), "here");
	EXPECT_EQ(Store::Shutdown(fApp), B_OK);
	// Its sets went with it; the other application's did not.
	EXPECT_EQ(Store::LoadSet(fApp, "settings", true, &fSet), PREF_NOT_FOUND);
	EXPECT_EQ(SetString(theirs, "alive", "yes"), B_OK);
	EXPECT_EQ(Store::DisposeSet(&theirs), B_OK);
	EXPECT_EQ(Store::Shutdown(other), B_OK);
}

TEST_F(StoreTest, ValuesKeepTheirTypeAndAShorterSaveLeavesBytesThatLoadingIgnores)
{
	Open();
	const char raw[] = {'a', '\0', 'b', '\xff'};
	ASSERT_EQ(SetString(fSet, "LastFileSaved", std::string(600, 'L')), B_OK);
	ASSERT_EQ(Store::SetData(fSet, "raw", raw, sizeof(raw), B_RAW_TYPE), B_OK);
	// Setting a name again replaces it, whatever its type was.
	ASSERT_EQ(Store::SetData(fSet, "changes", raw, sizeof(raw), B_RAW_TYPE), B_OK);
	ASSERT_EQ(SetString(fSet, "changes", "now a string"), B_OK);
	ASSERT_EQ(Store::SaveSet(fSet), B_OK);
	// On disk: the message's length, then the message, and nothing more.
	const std::string longFile = Contents(File());
	EXPECT_EQ(longFile.substr(0, 4), LengthBytes(int32(longFile.size() - 4)));
	EXPECT_EQ(OnDisk(File(), "LastFileSaved"), std::string(600, 'L'));

	ASSERT_EQ(SetString(fSet, "LastFileSaved", "/books/friends"), B_OK);
	ASSERT_EQ(Store::SaveSet(fSet), B_OK);
	Close();
	EXPECT_EQ(std::filesystem::file_size(File()), longFile.size());  // never truncated

	Open();
	EXPECT_EQ(Value(fSet, "LastFileSaved"), "/books/friends");
	EXPECT_EQ(Value(fSet, "changes"), "now a string");
	EXPECT_EQ(Value(fSet, "raw", B_RAW_TYPE), std::string(raw, sizeof(raw)));
	Close();
}

TEST_F(StoreTest, CutOrDamagedFilesLoadEmptyAreLeftAloneAndTheNextSaveRepairs)
{
	Open();
	ASSERT_EQ(SetString(fSet, "LastFileSaved", "/books/friends"), B_OK);
	ASSERT_EQ(Store::SaveSet(fSet), B_OK);
	Close();
	const std::string whole = Contents(File());
	const std::string flat = whole.substr(4);
	const std::string garbage = "this is no flattened message at all";

	// Lengths negative, zero, one or far beyond the file, a message that is none,
	// and every cut-off file.
	std::vector<std::string> damaged{LengthBytes(-5) + flat, LengthBytes(0) + flat,
		LengthBytes(int32(flat.size() + 1)) + flat, LengthBytes(0x7FFFFFF0) + flat,
		LengthBytes(int32(garbage.size())) + garbage};
	for (size_t length = 0; length < whole.size(); length++)
		damaged.push_back(whole.substr(0, length));
	// The data limit leaves room for far less than the largest length: loading
	// must never allocate more than the file holds.
	struct rlimit limit;
	ASSERT_EQ(getrlimit(RLIMIT_DATA, &limit), 0);
	const struct rlimit unlimited = limit;
	limit.rlim_cur = DataInUse() + (256 << 20);
	ASSERT_GT(limit.rlim_cur, rlim_t(256 << 20));
	ASSERT_EQ(setrlimit(RLIMIT_DATA, &limit), 0);
	for (const std::string& bytes : damaged) {
		WriteContents(File(), bytes);
		EXPECT_EQ(ReloadedValue("LastFileSaved"), kMissing) << bytes.size() << " bytes";
		EXPECT_EQ(Contents(File()), bytes);
	}
	ASSERT_EQ(setrlimit(RLIMIT_DATA, &unlimited), 0);

	// A save over a damaged file leaves one whole message.
	WriteContents(File(), LengthBytes(int32(garbage.size())) + garbage);
	Open();
	ASSERT_EQ(SetString(fSet, "LastFileSaved", "/books/repaired"), B_OK);
	EXPECT_EQ(Store::SaveSet(fSet), B_OK);
	Close();
	EXPECT_EQ(OnDisk(File(), "LastFileSaved"), "/books/repaired");
}

TEST_F(StoreTest, BadCallsAreRefusedTransactionsNestAndTheLastShutdownEndsEverything)
{
	PREFAppHandle app = reinterpret_cast<PREFAppHandle>(1);
	EXPECT_EQ(Store::Init("application/x-vnd.tarvish-cvabdj", &app), B_BAD_VALUE);
	EXPECT_EQ(app, nullptr);
	EXPECT_EQ(Store::Init(nullptr, &app), B_BAD_VALUE);
	EXPECT_EQ(Store::Init(kApp, nullptr), B_BAD_VALUE);
	EXPECT_EQ(Store::Shutdown(app), PREF_NO_LOCK);  // none of these started the store

	Open();
	EXPECT_EQ(Value(fSet, "NeverSet"), kMissing);
	int notARecord = 0;
	PREFAppHandle unknown = reinterpret_cast<PREFAppHandle>(&notARecord);
	EXPECT_EQ(Store::Shutdown(unknown), PREF_NOT_FOUND);
	PREFSetHandle none = fSet;
	EXPECT_EQ(Store::LoadSet(unknown, "settings", true, &none), PREF_NOT_FOUND);
	EXPECT_EQ(none, nullptr);
	EXPECT_EQ(Store::BeginTransaction(fSet, nullptr), B_BAD_VALUE);
	EXPECT_EQ(Store::EndTransaction(nullptr), B_BAD_VALUE);

	// Transactions nest and hold the file's lock until the last end; saving inside
	// one shares it rather than waiting for itself.
	EXPECT_FALSE(LockedElsewhere());
	PREFTransaction transaction = nullptr;
	PREFTransaction inner = nullptr;
	ASSERT_EQ(Store::BeginTransaction(fSet, &transaction), B_OK);
	ASSERT_EQ(Store::BeginTransaction(fSet, &inner), B_OK);
	EXPECT_EQ(inner, transaction);
	EXPECT_EQ(Store::SaveSet(fSet), B_OK);
	EXPECT_EQ(Store::EndTransaction(inner), B_OK);
	EXPECT_TRUE(LockedElsewhere());
	EXPECT_EQ(Store::EndTransaction(transaction), B_OK);
	EXPECT_FALSE(LockedElsewhere());

	// After the last shutdown every call has no lock until the next init, even
	// with a transaction still open, and the set's file is closed.
	ASSERT_EQ(SetString(fSet, "unsaved", "lost"), B_OK);
	ASSERT_EQ(Store::BeginTransaction(fSet, &transaction), B_OK);
	ASSERT_EQ(Store::Shutdown(fApp), B_OK);
	EXPECT_FALSE(LockedElsewhere());
	PREFSetHandle stale = fSet;
	PREFSetHandle loaded = nullptr;
	PREFTransaction another = nullptr;
	EXPECT_EQ(Store::Shutdown(fApp), PREF_NO_LOCK);
	EXPECT_EQ(Store::LoadSet(fApp, "settings", true, &loaded), PREF_NO_LOCK);
	EXPECT_EQ(Store::SaveSet(fSet), PREF_NO_LOCK);
	EXPECT_EQ(Store::DisposeSet(&stale), PREF_NO_LOCK);
	EXPECT_EQ(Store::SetData(fSet, "x", "y", 2, B_STRING_TYPE), PREF_NO_LOCK);
	EXPECT_EQ(Value(fSet, "unsaved"), "<" + std::to_string(PREF_NO_LOCK) + ">");
	EXPECT_EQ(Store::BeginTransaction(fSet, &another), PREF_NO_LOCK);
	EXPECT_EQ(Store::EndTransaction(transaction), PREF_NO_LOCK);
	EXPECT_EQ(ReloadedValue("unsaved"), kMissing);
}

TEST_F(StoreTest, CallsWaitForAnotherHolderOfTheFileAndAWaitingSaveJoinsADisposeThatTookIt)
{
	const auto hold = std::chrono::milliseconds(300);
	ASSERT_EQ(Store::Init(kApp, &fApp), B_OK);
	ASSERT_EQ(mkdir(fAppDirectory.c_str(), 0777), 0);
	const std::function<status_t()> operations[] = {
		[&] { return Store::LoadSet(fApp, "settings", true, &fSet); },
		[&] {
			SetString(fSet, "LastFileSaved", "/books/waited");
			return Store::SaveSet(fSet);
		},
		[&] { return Store::DisposeSet(&fSet); },
	};
	for (const auto& operation : operations) {
		const int fd = LockFile();
		std::thread holder([&] {
			std::this_thread::sleep_for(hold);
			close(fd);
		});
		const auto start = std::chrono::steady_clock::now();
		EXPECT_EQ(operation(), B_OK);
		EXPECT_GE(std::chrono::steady_clock::now() - start, hold * 5 / 6);
		holder.join();
	}
	EXPECT_EQ(fSet, nullptr);

	// A save waits for the file holding "prefs sem"; a dispose that takes the file
	// meanwhile waits for "prefs sem", so the save must join its transaction. The
	// two once waited for each other for ever, which the alarm ends.
	PREFSetHandle second = nullptr;
	ASSERT_EQ(Store::LoadSet(fApp, "settings", true, &fSet), B_OK);
	ASSERT_EQ(Store::LoadSet(fApp, "settings", true, &second), B_OK);
	const int fd = LockFile();
	std::thread saving([&, set = fSet] { EXPECT_EQ(Store::SaveSet(set), B_OK); });
	std::this_thread::sleep_for(hold / 40);  // the save's back-off lasts 10 ms or more
	alarm(20);
	close(fd);
	EXPECT_EQ(Store::DisposeSet(&second), B_OK);
	saving.join();
	alarm(0);
	EXPECT_EQ(Store::Shutdown(fApp), B_OK);
	EXPECT_EQ(ReloadedValue("LastFileSaved"), "/books/waited");
}

TEST_F(StoreTest, ThreadsOfTwoProcessesSavingSetsAtOnceLeaveEachOneWholeMessage)
{
	// In each process threads load, change, save and dispose of "settings", so a
	// last reference destroys the shared record while others reload it, and the
	// main thread saves "shared" and looks at its file under the set's lock. Each
	// value has its process's letter and, in "shared", a length that changes every
	// round, so a torn file shows as damage or a mixed value.
	const auto writer = [&](char letter, size_t base, size_t step) {
		if (Store::Init(kApp, &fApp) != B_OK
			|| Store::LoadSet(fApp, "shared", true, &fSet) != B_OK)
			_exit(2);
		std::vector<std::thread> threads;
		for (int index = 0; index < 3; index++) {
			threads.emplace_back([&, index] {
				const std::string name = "thread" + std::to_string(index);
				for (int round = 0; round < 60; round++) {
					const std::string value(size_t(round % 20 * 10 + 1), letter);
					PREFSetHandle set = nullptr;
					if (Store::LoadSet(fApp, "settings", true, &set) != B_OK
						|| SetString(set, name.c_str(), value) != B_OK
						|| Store::SaveSet(set) != B_OK || Value(set, name.c_str()) != value
						|| Store::DisposeSet(&set) != B_OK)
						_exit(1);
				}
			});
		}
		for (int round = 0; round < 60; round++) {
			const std::string value(base + step * size_t(round % 9), letter);
			PREFTransaction transaction = nullptr;
			if (SetString(fSet, "writer", value) != B_OK || Store::SaveSet(fSet) != B_OK
				|| Store::BeginTransaction(fSet, &transaction) != B_OK
				|| OnDisk(File("shared")) == kDamaged
				|| Store::EndTransaction(transaction) != B_OK)
				_exit(1);
		}
		for (std::thread& thread : threads)
			thread.join();
		_exit(Store::Shutdown(fApp) == B_OK ? 0 : 1);
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
	for (const std::string& value :
			{OnDisk(File("shared"), "writer"), OnDisk(File(), "thread0")}) {
		ASSERT_NE(value, kDamaged);
		ASSERT_NE(value, kMissing);
		EXPECT_EQ(value, std::string(value.size(), value[0]));
	}
}
