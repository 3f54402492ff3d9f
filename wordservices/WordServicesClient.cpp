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

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <cerrno>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// --- finding servers

std::string Unescape(const std::string& field)
{
	// /proc/self/mountinfo writes space, tab, newline and backslash as \ooo.
	std::string out;
	for (size_t i = 0; i < field.size(); i++) {
		if (field[i] == '\\' && i + 3 < field.size() + 0 && isdigit(field[i + 1])) {
			out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
			i += 3;
		} else {
			out += field[i];
		}
	}
	return out;
}

// The devices of every mounted volume, the user's data folder's first.
std::vector<dev_t> MountedDevices()
{
	std::vector<dev_t> devices;
	auto add = [&devices](const std::string& path) {
		struct stat st;
		if (stat(path.c_str(), &st) == 0
			&& std::find(devices.begin(), devices.end(), st.st_dev) == devices.end()) {
			devices.push_back(st.st_dev);
		}
	};
	if (const char* data = getenv("XDG_DATA_HOME"))
		add(data);
	std::ifstream mounts("/proc/self/mountinfo");
	std::string line;
	while (std::getline(mounts, line)) {
		std::istringstream fields(line);
		std::string id, parent, numbers, root, mountPoint;
		if (fields >> id >> parent >> numbers >> root >> mountPoint)
			add(Unescape(mountPoint));
	}
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
