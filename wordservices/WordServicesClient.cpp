// Sections: finding servers; reaching one; the request.
#include "WordServicesClient.h"

#include "WordServicesDefs.h"

#include <Entry.h>
#include <Node.h>
#include <OS.h>
#include <Path.h>
#include <Query.h>
#include <Roster.h>
#include <TypeConstants.h>
#include <Volume.h>
#include <fs_info.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// --- finding servers

// The devices of every mounted volume, the user's data folder's first.
std::vector<dev_t> MountedDevices()
{
	std::vector<dev_t> devices;
	auto add = [&devices](dev_t device) {
		if (std::find(devices.begin(), devices.end(), device) == devices.end())
			devices.push_back(device);
	};
	if (const char* data = getenv("XDG_DATA_HOME")) {
		if (const dev_t device = dev_for_path(data); static_cast<status_t>(device) >= 0)
			add(device);
	}
	int32 cookie = 0;
	for (dev_t device; static_cast<status_t>(device = next_dev(&cookie)) >= 0;)
		add(device);
	return devices;
}

std::string ReadString(BNode* node, const char* name)
{
	attr_info info;
	if (node->GetAttrInfo(name, &info) != B_OK || info.size <= 0 || info.size > 4096)
		return std::string();
	std::string value(info.size, '\0');
	const ssize_t read = node->ReadAttr(name, B_STRING_TYPE, 0, value.data(), value.size());
	if (read <= 0)
		return std::string();
	value.resize(read);
	value.resize(strnlen(value.c_str(), value.size()));
	return value;
}

}  // namespace

status_t ReadWordServer(const char* path, word_server* server)
{
	BNode node(path);
	if (node.InitCheck() != B_OK)
		return node.InitCheck();
	int32 count = 0;
	if (node.ReadAttr(kMenuStringCountAttr, B_INT32_TYPE, 0, &count, sizeof(count))
			!= sizeof(count)
		|| count < 0 || count > 100) {
		return B_BAD_DATA;
	}
	server->path = path;
	server->signature = ReadString(&node, kAppSignatureAttr);
	server->menuStrings.clear();
	for (int32 i = 0; i < count; i++)
		server->menuStrings.push_back(
			ReadString(&node, (kMenuStringAttrPrefix + std::to_string(i)).c_str()));
	return server->signature.empty() ? B_BAD_DATA : B_OK;
}

std::vector<word_server> FindWordServers()
{
	std::vector<word_server> servers;
	std::set<std::string> signatures;
	for (const dev_t device : MountedDevices()) {
		BVolume volume(device);
		BQuery query;
		if (query.SetVolume(&volume) != B_OK || query.SetPredicate(kWordServicesQuery) != B_OK
			|| query.Fetch() != B_OK) {
			continue;
		}
		entry_ref ref;
		while (query.GetNextRef(&ref) == B_OK) {
			BPath path(&ref);
			word_server server;
			if (path.InitCheck() != B_OK || ReadWordServer(path.Path(), &server) != B_OK)
				continue;
			if (signatures.insert(server.signature).second)
				servers.push_back(server);
		}
	}
	return servers;
}

// --- reaching one

std::string ServerExecutable(const word_server& server)
{
	if (access(server.path.c_str(), X_OK) == 0)
		return server.path;
	std::ifstream file(server.path);
	std::string line;
	std::getline(file, line);
	return access(line.c_str(), X_OK) == 0 ? line : std::string();
}

namespace {

// Starts the program detached from this one; no waiting for it.
status_t Spawn(const std::string& executable)
{
	const pid_t child = fork();
	if (child < 0)
		return status_from_errno(errno);
	if (child == 0) {
		// A grandchild, so that nobody has to reap the server.
		if (fork() == 0) {
			setsid();
			execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
		}
		_exit(0);
	}
	waitpid(child, nullptr, 0);
	return B_OK;
}

}  // namespace

status_t ReachWordServer(const char* signature, bool launch, bigtime_t timeout,
	BMessenger* server, const std::string& executable)
{
	status_t status = B_OK;
	*server = BMessenger(signature, -1, &status);
	if (status == B_OK && server->IsValid())
		return B_OK;
	if (!launch)
		return B_NAME_NOT_FOUND;
	status = be_roster->Launch(signature);
	if (status != B_OK && status != B_ALREADY_RUNNING) {
		if (executable.empty())
			return status;
		status = Spawn(executable);
		if (status != B_OK)
			return status;
	}
	const bigtime_t deadline = system_time() + timeout;
	while (system_time() < deadline) {
		*server = BMessenger(signature, -1, &status);
		if (status == B_OK && server->IsValid())
			return B_OK;
		snooze(50000);
	}
	return B_TIMED_OUT;
}

// --- the request

status_t SendWordServicesRequest(const BMessenger& server, int32 index,
	const std::vector<BMessenger>& targets, const BMessenger& replyTo, bigtime_t timeout)
{
	BMessage request(kWordServicesRequest);
	request.AddInt32("Index", index);
	for (const BMessenger& target : targets)
		request.AddMessenger("Target", target);
	return server.SendMessage(&request, replyTo, timeout);
}
