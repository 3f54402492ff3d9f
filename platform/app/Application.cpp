// BApplication. Sections: construction; the launch messages; running; hooks; info.
#include <Application.h>

#include <Clipboard.h>
#include <EntryRef.h>
#include <Roster.h>
#include <StorageDefs.h>

#include "AppKitHooks.h"
#include "LinkManager.h"
#include "MessagePort.h"
#include "MessengerAccess.h"
#include "SignalWatcher.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

BApplication* be_app = nullptr;
BMessenger be_app_messenger;

namespace BPrivate {

namespace {
std::mutex sCommandLineMutex;
bool sHasCommandLine = false;
std::vector<std::string> sCommandLine;
}  // namespace

AppKitHooks& app_kit_hooks()
{
	static AppKitHooks hooks;
	return hooks;
}

void set_command_line_for_next_application(const std::vector<std::string>& arguments)
{
	std::lock_guard<std::mutex> lock(sCommandLineMutex);
	sCommandLine = arguments;
	sHasCommandLine = true;
}

// The entry_ref of an existing entry, with its real directory path.
status_t ref_for_existing_path(const char* path, entry_ref* ref)
{
	char resolved[PATH_MAX];
	if (path == nullptr || realpath(path, resolved) == nullptr)
		return B_ENTRY_NOT_FOUND;
	std::string full(resolved);
	const size_t slash = full.find_last_of('/');
	std::string directory = slash == 0 ? "/" : full.substr(0, slash);
	std::string leaf = full.substr(slash + 1);
	if (leaf.empty()) {
		// The root names itself.
		directory = "/";
		leaf = ".";
	}
	struct stat info;
	if (stat(directory.c_str(), &info) != 0)
		return B_ENTRY_NOT_FOUND;
	ref->device = info.st_dev;
	ref->directory = info.st_ino;
	ref->set_name(leaf.c_str());
	ref->SetDirectoryPath(directory);
	return B_OK;
}

}  // namespace BPrivate

namespace {

std::vector<std::string> ReadCommandLine()
{
	{
		std::lock_guard<std::mutex> lock(BPrivate::sCommandLineMutex);
		if (BPrivate::sHasCommandLine) {
			BPrivate::sHasCommandLine = false;
			return BPrivate::sCommandLine;
		}
	}
	std::ifstream file("/proc/self/cmdline", std::ios::binary);
	const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	std::vector<std::string> arguments;
	size_t start = 0;
	while (start < all.size()) {
		const size_t end = all.find('\0', start);
		const size_t stop = end == std::string::npos ? all.size() : end;
		arguments.push_back(all.substr(start, stop - start));
		start = stop + 1;
	}
	return arguments;
}

bool ValidSignature(const char* signature)
{
	if (signature == nullptr)
		return false;
	const size_t length = strlen(signature);
	return length > strlen("application/") && length < B_MIME_TYPE_LENGTH
		&& strncasecmp(signature, "application/", strlen("application/")) == 0;
}

}  // namespace

// #pragma mark - construction

BApplication::BApplication(const char* signature)
	: BLooper("application")
{
	_Init(signature, nullptr);
}

BApplication::BApplication(const char* signature, status_t* error)
	: BLooper("application")
{
	_Init(signature, error);
}

void BApplication::_Init(const char* signature, status_t* error)
{
	if (be_app != nullptr)
		fInitStatus = B_ALREADY_RUNNING;
	else if (!ValidSignature(signature))
		fInitStatus = B_BAD_VALUE;
	else
		fInitStatus = B_OK;
	if (signature != nullptr)
		fSignature = signature;
	if (fInitStatus == B_OK) {
		be_app = this;
		be_app_messenger = BMessenger(nullptr, this);
		be_clipboard = new BClipboard("system");
		_PostLaunchMessages();
		_StartListening();
	}
	if (error != nullptr)
		*error = fInitStatus;
}

BApplication::~BApplication()
{
	if (be_app == this) {
		BPrivate::LinkManager::Default().StopListening();
		delete be_clipboard;
		be_clipboard = nullptr;
		be_app = nullptr;
		be_app_messenger = BMessenger();
	}
}

status_t BApplication::InitCheck() const
{
	return fInitStatus;
}

const char* BApplication::Signature() const
{
	return fSignature.c_str();
}

// #pragma mark - the launch messages

// Queued at construction, so they come before anything posted later and before
// ReadyToRun: first the plain arguments, then the refs.
void BApplication::_PostLaunchMessages()
{
	const std::vector<std::string> arguments = ReadCommandLine();
	BMessage argv(B_ARGV_RECEIVED);
	BMessage refs(B_REFS_RECEIVED);
	int32 argc = 0;
	if (!arguments.empty()) {
		argv.AddString("argv", arguments[0]);
		argc++;
	}
	for (size_t i = 1; i < arguments.size(); i++) {
		entry_ref ref;
		struct stat info;
		if (stat(arguments[i].c_str(), &info) == 0
			&& BPrivate::ref_for_existing_path(arguments[i].c_str(), &ref) == B_OK) {
			refs.AddRef("refs", &ref);
		} else {
			argv.AddString("argv", arguments[i]);
			argc++;
		}
	}
	if (argc > 1) {
		argv.AddInt32("argc", argc);
		char cwd[PATH_MAX];
		if (getcwd(cwd, sizeof(cwd)) != nullptr)
			argv.AddString("cwd", cwd);
		PostMessage(&argv);
	}
	if (!refs.IsEmpty())
		PostMessage(&refs);
	PostMessage(B_READY_TO_RUN);
}

// Other applications find this one by its signature through the roster's records,
// and reach it through its socket. Without them the application still runs, alone.
void BApplication::_StartListening()
{
	BPrivate::AppRecord record;
	record.port = fPort->Token();
	record.thread = getpid();
	record.flags = B_MULTIPLE_LAUNCH;
	record.signature = fSignature;
	char executable[PATH_MAX];
	const ssize_t length = readlink("/proc/self/exe", executable, sizeof(executable) - 1);
	if (length > 0)
		record.executable.assign(executable, size_t(length));
	const status_t status = BPrivate::LinkManager::Default().StartListening(record);
	if (status != B_OK)
		fprintf(stderr, "%s: cannot listen for other applications: %s\n", fSignature.c_str(),
			strerror(errno));
}

// #pragma mark - running

thread_id BApplication::Run()
{
	if (fRunCalled)
		return B_ERROR;
	fRunCalled = true;
	fThread = find_thread(nullptr);
	fPort->SetLooperThread(fThread);
	// The constructor's lock goes; the loop locks around each dispatch.
	while (IsLocked())
		Unlock();
	// Asked to end by a signal, the application quits as if from its menu; a second
	// signal while its windows close changes nothing.
	const BPrivate::SignalWatcher signals(this);
	_Loop();
	// No window thread may outlive the application object it uses, even when
	// QuitRequested agreed without asking the windows.
	if (auto quitAllWindows = BPrivate::app_kit_hooks().quitAllWindows)
		quitAllWindows(true);
	return fThread;
}

void BApplication::Quit()
{
	if (!fRunCalled || find_thread(nullptr) == fThread) {
		fTerminating = true;
		return;
	}
	_PostQuit();
}

bool BApplication::QuitRequested()
{
	auto quitAllWindows = BPrivate::app_kit_hooks().quitAllWindows;
	return quitAllWindows == nullptr || quitAllWindows(false);
}

void BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler != this) {
		BLooper::DispatchMessage(message, handler);
		return;
	}
	switch (message->what) {
		case B_READY_TO_RUN:
			if (!fReadyToRunCalled) {
				fReadyToRunCalled = true;
				ReadyToRun();
			}
			break;
		case B_REFS_RECEIVED:
			RefsReceived(message);
			break;
		case B_ARGV_RECEIVED: {
			std::vector<std::string> strings;
			const char* text = nullptr;
			for (int32 i = 0; message->FindString("argv", i, &text) == B_OK; i++)
				strings.push_back(text);
			std::vector<char*> pointers;
			for (std::string& string : strings)
				pointers.push_back(string.data());
			pointers.push_back(nullptr);
			ArgvReceived(int32(strings.size()), pointers.data());
			break;
		}
		case B_ABOUT_REQUESTED:
			AboutRequested();
			break;
		case B_PULSE:
			Pulse();
			break;
		default:
			BLooper::DispatchMessage(message, handler);
			break;
	}
}

// #pragma mark - hooks

void BApplication::ReadyToRun()
{
}

void BApplication::RefsReceived(BMessage*)
{
}

void BApplication::ArgvReceived(int32, char**)
{
}

void BApplication::AboutRequested()
{
}

void BApplication::Pulse()
{
}

void BApplication::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

// #pragma mark - info

status_t BApplication::GetSupportedSuites(BMessage* data)
{
	if (data == nullptr)
		return B_BAD_VALUE;
	const status_t status = data->AddString("suites", "suite/vnd.Be-application");
	return status != B_OK ? status : BLooper::GetSupportedSuites(data);
}

bool BApplication::IsLaunching() const
{
	return !fReadyToRunCalled;
}

status_t BApplication::GetAppInfo(app_info* info) const
{
	if (info == nullptr)
		return B_BAD_VALUE;
	info->thread = fThread >= 0 ? fThread : getpid();
	info->team = getpid();
	info->port = fPort->Token();
	info->flags = B_MULTIPLE_LAUNCH;
	strncpy(info->signature, fSignature.c_str(), sizeof(info->signature) - 1);
	info->signature[sizeof(info->signature) - 1] = '\0';
	char executable[PATH_MAX];
	const ssize_t length = readlink("/proc/self/exe", executable, sizeof(executable) - 1);
	if (length <= 0)
		return B_ERROR;
	executable[length] = '\0';
	return BPrivate::ref_for_existing_path(executable, &info->ref);
}

void BApplication::SetCursor(const void* cursor)
{
	if (auto setCursor = BPrivate::app_kit_hooks().setCursor)
		setCursor(cursor);
}
