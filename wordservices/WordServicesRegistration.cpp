// Sections: one node; the executable, then the per-user file.
#include "WordServicesRegistration.h"

#include "WordServicesDefs.h"

#include <Directory.h>
#include <Entry.h>
#include <FindDirectory.h>
#include <Node.h>
#include <Query.h>
#include <TypeConstants.h>
#include <Volume.h>
#include <fs_index.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// --- one node

// The index on device, created when missing; created tells whether this call
// made it.
status_t EnsureIndex(dev_t device, bool* created)
{
	*created = false;
	index_info info;
	if (fs_stat_index(device, kWordServicesServerAttr, &info) == 0)
		return B_OK;
	if (fs_create_index(device, kWordServicesServerAttr, B_INT32_TYPE, 0) == 0) {
		*created = true;
		return B_OK;
	}
	// Another process may have made it meanwhile.
	return errno == B_FILE_EXISTS ? B_OK : static_cast<status_t>(errno);
}

bool HasAttr(const BNode& node, const char* name)
{
	attr_info info;
	return node.GetAttrInfo(name, &info) == B_OK;
}

bool WriteInt32(BNode* node, const char* name, int32 value)
{
	return node->WriteAttr(name, B_INT32_TYPE, 0, &value, sizeof(value)) == sizeof(value);
}

bool WriteString(BNode* node, const char* name, const std::string& value)
{
	return node->WriteAttr(name, B_STRING_TYPE, 0, value.c_str(), value.size() + 1)
		== static_cast<ssize_t>(value.size() + 1);
}

// The registration's steps on one node: the server attribute when the index is new or
// the attribute missing (or the node is not in the index yet), the menu
// attributes when there are none, the signature when missing. Then whether the
// query finds it with its menu strings.
status_t RegisterNode(const std::string& path, const char* signature,
	const std::vector<std::string>& menuStrings, bool* wrote)
{
	BNode node(path.c_str());
	if (node.InitCheck() != B_OK)
		return node.InitCheck();
	struct stat st;
	if (stat(path.c_str(), &st) != 0)
		return B_ENTRY_NOT_FOUND;
	bool created = false;
	const status_t indexStatus = EnsureIndex(st.st_dev, &created);
	if (indexStatus != B_OK)
		return indexStatus;
	if (created || !HasAttr(node, kWordServicesServerAttr) || !QueryFindsServer(path)) {
		*wrote |= WriteInt32(&node, kWordServicesServerAttr, 1);
	}
	if (!HasAttr(node, kMenuStringCountAttr)) {
		// The strings first: a client that sees the count finds them all.
		for (size_t i = 0; i < menuStrings.size(); i++) {
			*wrote |= WriteString(&node, (kMenuStringAttrPrefix + std::to_string(i)).c_str(),
				menuStrings[i]);
		}
		*wrote |= WriteInt32(&node, kMenuStringCountAttr,
			static_cast<int32>(menuStrings.size()));
	}
	if (!HasAttr(node, kAppSignatureAttr)) {
		*wrote |= WriteString(&node, kAppSignatureAttr, signature);
	}
	if (!HasAttr(node, kMenuStringCountAttr) || !HasAttr(node, kAppSignatureAttr))
		return B_NOT_ALLOWED;
	return QueryFindsServer(path) ? B_OK : B_NOT_ALLOWED;
}

status_t MakePerUserFile(const std::string& path, const char* executablePath)
{
	const std::string folder = path.substr(0, path.rfind('/'));
	const std::string parent = folder.substr(0, folder.rfind('/'));
	create_directory(parent.c_str(), 0700);
	create_directory(folder.c_str(), 0700);
	struct stat st;
	if (stat(path.c_str(), &st) == 0)
		return S_ISREG(st.st_mode) ? B_OK : B_NOT_A_DIRECTORY;
	const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
	if (fd < 0)
		return errno == EEXIST ? B_OK : status_from_errno(errno);
	const std::string note = std::string(executablePath) + "\n";
	const bool written = write(fd, note.data(), note.size()) == static_cast<ssize_t>(note.size());
	close(fd);
	return written ? B_OK : B_IO_ERROR;
}

}  // namespace

// --- the executable, then the per-user file

bool QueryFindsServer(const std::string& path)
{
	struct stat st;
	if (stat(path.c_str(), &st) != 0)
		return false;
	BVolume volume(st.st_dev);
	BQuery query;
	if (query.SetVolume(&volume) != B_OK || query.SetPredicate(kWordServicesQuery) != B_OK
		|| query.Fetch() != B_OK) {
		return false;
	}
	entry_ref ref;
	while (query.GetNextRef(&ref) == B_OK) {
		BEntry entry(&ref);
		struct stat found;
		if (entry.GetStat(&found) == B_OK && found.st_dev == st.st_dev
			&& found.st_ino == st.st_ino) {
			return true;
		}
	}
	return false;
}

std::string PerUserRegistrationPath(const char* signature)
{
	char base[B_PATH_NAME_LENGTH];
	if (find_directory(B_USER_DATA_DIRECTORY, 0, true, base, sizeof(base)) != B_OK)
		return std::string();
	std::string name = signature;
	for (char& c : name) {
		if (c == '/')
			c = '_';
	}
	return std::string(base) + "/cvab/word-services/" + name;
}

word_services_registration RegisterWordServicesServer(const char* executablePath,
	const char* signature, const std::vector<std::string>& menuStrings)
{
	word_services_registration result;
	result.path = executablePath;
	result.status = RegisterNode(executablePath, signature, menuStrings, &result.wrote);
	if (result.status == B_OK)
		return result;

	// The executable is not the user's to write (or its volume keeps no
	// attributes): the registration the query finds is the user's own file.
	const status_t executableStatus = result.status;
	result.path = PerUserRegistrationPath(signature);
	result.perUser = true;
	if (result.path.empty()) {
		result.status = executableStatus;
		return result;
	}
	result.status = MakePerUserFile(result.path, executablePath);
	if (result.status == B_OK)
		result.status = RegisterNode(result.path, signature, menuStrings, &result.wrote);
	return result;
}
