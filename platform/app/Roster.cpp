#include <Roster.h>

#include <List.h>
#include <Messenger.h>

#include "AppKitHooks.h"
#include "MessengerAccess.h"
#include "RunningApps.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const BRoster sRoster;

// Starts program with arguments, detached: a middle child forks the program and exits
// at once, so the program is reparented and never becomes our zombie. The program's
// pid comes back through one pipe; an exec failure comes back through another, which
// closes on a successful exec.
status_t SpawnDetached(const std::vector<std::string>& command, team_id* team)
{
	int pidPipe[2];
	int errorPipe[2];
	if (pipe2(pidPipe, O_CLOEXEC) != 0)
		return status_from_errno(errno);
	if (pipe2(errorPipe, O_CLOEXEC) != 0) {
		close(pidPipe[0]);
		close(pidPipe[1]);
		return status_from_errno(errno);
	}
	std::vector<char*> argv;
	for (const std::string& part : command)
		argv.push_back(const_cast<char*>(part.c_str()));
	argv.push_back(nullptr);

	const pid_t middle = fork();
	if (middle < 0) {
		for (int fd : {pidPipe[0], pidPipe[1], errorPipe[0], errorPipe[1]})
			close(fd);
		return status_from_errno(errno);
	}
	if (middle == 0) {
		const pid_t program = fork();
		if (program == 0) {
			setsid();
			execvp(argv[0], argv.data());
			const int error = errno;
			(void)!write(errorPipe[1], &error, sizeof(error));
			_exit(127);
		}
		(void)!write(pidPipe[1], &program, sizeof(program));
		_exit(program < 0 ? 1 : 0);
	}
	close(pidPipe[1]);
	close(errorPipe[1]);
	int status = 0;
	while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
	}
	pid_t program = -1;
	const ssize_t gotPid = read(pidPipe[0], &program, sizeof(program));
	close(pidPipe[0]);
	int execError = 0;
	ssize_t gotError;
	do {
		gotError = read(errorPipe[0], &execError, sizeof(execError));
	} while (gotError < 0 && errno == EINTR);
	close(errorPipe[0]);
	if (gotPid != ssize_t(sizeof(program)) || program < 0)
		return B_LAUNCH_FAILED;
	if (gotError == ssize_t(sizeof(execError)))
		return B_LAUNCH_FAILED_EXECUTABLE;
	if (team != nullptr)
		*team = program;
	return B_OK;
}

bool IsBrowser(const char* signature)
{
	return signature != nullptr && strcasecmp(signature, CVAB_BROWSER_SIGNATURE) == 0;
}

status_t LaunchBrowser(const std::vector<std::string>& arguments, team_id* team)
{
	const char* opener = getenv("CVAB_URL_OPENER");
	std::vector<std::string> command{opener != nullptr && *opener ? opener : "xdg-open"};
	command.insert(command.end(), arguments.begin(), arguments.end());
	return SpawnDetached(command, team);
}

// The arguments a launch message stands for: its "argv" strings after argv[0], or
// the paths of its "refs".
void ArgumentsOf(const BMessage& message, std::vector<std::string>* arguments)
{
	const char* text = nullptr;
	if (message.what == B_ARGV_RECEIVED) {
		for (int32 i = 1; message.FindString("argv", i, &text) == B_OK; i++)
			arguments->push_back(text);
	}
	entry_ref ref;
	for (int32 i = 0; message.FindRef("refs", i, &ref) == B_OK; i++) {
		if (ref.name != nullptr && !ref.DirectoryPath().empty())
			arguments->push_back(ref.DirectoryPath() + "/" + ref.name);
	}
}

status_t FillInfo(const BPrivate::AppRecord& record, app_info* info)
{
	if (info == nullptr)
		return B_BAD_VALUE;
	info->thread = record.thread;
	info->team = record.team;
	info->port = record.port;
	info->flags = record.flags;
	strncpy(info->signature, record.signature.c_str(), sizeof(info->signature) - 1);
	info->signature[sizeof(info->signature) - 1] = '\0';
	entry_ref ref;
	if (BPrivate::ref_for_existing_path(record.executable.c_str(), &ref) == B_OK)
		info->ref = ref;
	return B_OK;
}

BMessenger MessengerOf(const BPrivate::AppRecord& record)
{
	return BPrivate::MessengerAccess::Make(record.team, record.port, B_PREFERRED_TOKEN);
}

// Hands a launch to the running instance, if there is one.
bool DeliverToRunning(const char* signature, BMessage* message, team_id* team,
	status_t* status)
{
	BPrivate::AppRecord record;
	if (!BPrivate::RunningApps::Find(signature, -1, &record))
		return false;
	*status = MessengerOf(record).SendMessage(message, static_cast<BHandler*>(nullptr), 5000000);
	if (*status == B_OK)
		*status = B_ALREADY_RUNNING;
	if (team != nullptr)
		*team = record.team;
	return true;
}

status_t StartRecorded(const char* signature, const std::vector<std::string>& arguments,
	team_id* team)
{
	std::string executable;
	const status_t status = BPrivate::RunningApps::RecordedExecutable(signature, &executable);
	if (status != B_OK)
		return status;
	std::vector<std::string> command{executable};
	command.insert(command.end(), arguments.begin(), arguments.end());
	return SpawnDetached(command, team);
}

}  // namespace

const BRoster* be_roster = &sRoster;

bool BRoster::IsRunning(const char* signature) const
{
	BPrivate::AppRecord record;
	return BPrivate::RunningApps::Find(signature, -1, &record);
}

team_id BRoster::TeamFor(const char* signature) const
{
	BPrivate::AppRecord record;
	return BPrivate::RunningApps::Find(signature, -1, &record) ? record.team : B_ERROR;
}

void BRoster::GetAppList(BList* teamIDList) const
{
	if (teamIDList == nullptr)
		return;
	for (const BPrivate::AppRecord& record : BPrivate::RunningApps::List())
		teamIDList->AddItem(reinterpret_cast<void*>(intptr_t(record.team)));
}

void BRoster::GetAppList(const char* signature, BList* teamIDList) const
{
	if (teamIDList == nullptr || signature == nullptr)
		return;
	for (const BPrivate::AppRecord& record : BPrivate::RunningApps::List()) {
		if (strcasecmp(record.signature.c_str(), signature) == 0)
			teamIDList->AddItem(reinterpret_cast<void*>(intptr_t(record.team)));
	}
}

status_t BRoster::GetAppInfo(const char* signature, app_info* info) const
{
	BPrivate::AppRecord record;
	if (signature == nullptr || info == nullptr)
		return B_BAD_VALUE;
	if (!BPrivate::RunningApps::Find(signature, -1, &record))
		return B_ERROR;
	return FillInfo(record, info);
}

status_t BRoster::GetRunningAppInfo(team_id team, app_info* info) const
{
	BPrivate::AppRecord record;
	if (info == nullptr)
		return B_BAD_VALUE;
	if (!BPrivate::RunningApps::FindTeam(team, &record))
		return B_BAD_TEAM_ID;
	return FillInfo(record, info);
}

status_t BRoster::FindApp(const char* signature, entry_ref* app) const
{
	if (signature == nullptr || app == nullptr)
		return B_BAD_VALUE;
	std::string executable;
	const status_t status = BPrivate::RunningApps::RecordedExecutable(signature, &executable);
	if (status != B_OK)
		return status;
	return BPrivate::ref_for_existing_path(executable.c_str(), app);
}

BRoster::BRoster() = default;
BRoster::~BRoster() = default;

status_t BRoster::Launch(const char* mimeType, int argc, const char* const* args,
	team_id* appTeam) const
{
	if (mimeType == nullptr || argc < 0 || (argc > 0 && args == nullptr))
		return B_BAD_VALUE;
	std::vector<std::string> arguments;
	for (int i = 0; i < argc; i++) {
		if (args[i] == nullptr)
			return B_BAD_VALUE;
		arguments.push_back(args[i]);
	}
	if (IsBrowser(mimeType))
		return LaunchBrowser(arguments, appTeam);
	BMessage argv(B_ARGV_RECEIVED);
	argv.AddString("argv", mimeType);
	for (const std::string& argument : arguments)
		argv.AddString("argv", argument);
	argv.AddInt32("argc", int32(arguments.size() + 1));
	status_t status = B_OK;
	if (DeliverToRunning(mimeType, &argv, appTeam, &status))
		return status;
	return StartRecorded(mimeType, arguments, appTeam);
}

status_t BRoster::Launch(const char* mimeType, BMessage* initialMessage, team_id* appTeam) const
{
	if (mimeType == nullptr)
		return B_BAD_VALUE;
	std::vector<std::string> arguments;
	if (initialMessage != nullptr)
		ArgumentsOf(*initialMessage, &arguments);
	if (IsBrowser(mimeType))
		return LaunchBrowser(arguments, appTeam);
	status_t status = B_OK;
	if (initialMessage != nullptr && DeliverToRunning(mimeType, initialMessage, appTeam, &status))
		return status;
	if (initialMessage == nullptr) {
		BPrivate::AppRecord record;
		if (BPrivate::RunningApps::Find(mimeType, -1, &record)) {
			if (appTeam != nullptr)
				*appTeam = record.team;
			return B_ALREADY_RUNNING;
		}
	}
	return StartRecorded(mimeType, arguments, appTeam);
}

status_t BRoster::Launch(const char* mimeType, BList* messageList, team_id* appTeam) const
{
	if (mimeType == nullptr)
		return B_BAD_VALUE;
	std::vector<std::string> arguments;
	for (int32 i = 0; messageList != nullptr && i < messageList->CountItems(); i++) {
		if (auto* message = static_cast<BMessage*>(messageList->ItemAt(i)))
			ArgumentsOf(*message, &arguments);
	}
	if (IsBrowser(mimeType))
		return LaunchBrowser(arguments, appTeam);
	BPrivate::AppRecord record;
	if (BPrivate::RunningApps::Find(mimeType, -1, &record)) {
		const BMessenger target = MessengerOf(record);
		for (int32 i = 0; messageList != nullptr && i < messageList->CountItems(); i++) {
			if (auto* message = static_cast<BMessage*>(messageList->ItemAt(i)))
				target.SendMessage(message, static_cast<BHandler*>(nullptr), 5000000);
		}
		if (appTeam != nullptr)
			*appTeam = record.team;
		return B_ALREADY_RUNNING;
	}
	return StartRecorded(mimeType, arguments, appTeam);
}
