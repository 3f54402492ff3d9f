// Add-on images over the dynamic loader. The application image is listed first
// by get_next_image_info, then every add-on loaded through load_add_on.
#include <image.h>

#include <cstring>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const image_id kAppImageId = 1;

struct AddOn {
	void* handle;
	std::string path;
	int32 sequence;
};

struct ImageTable {
	std::mutex mutex;
	std::map<image_id, AddOn> addOns;
	image_id nextId = kAppImageId + 1;
	int32 nextSequence = 1;
};

ImageTable& Table()
{
	static ImageTable* table = new ImageTable;  // outlives static destructors
	return *table;
}

std::string ExecutablePath()
{
	char path[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	if (length < 0)
		return std::string();
	return std::string(path, size_t(length));
}

void FillInfo(image_info* info, image_id id, image_type type, const std::string& path,
	int32 sequence)
{
	std::memset(info, 0, sizeof(*info));
	info->id = id;
	info->type = type;
	info->sequence = sequence;
	std::strncpy(info->name, path.c_str(), sizeof(info->name) - 1);
	struct stat st;
	if (stat(path.c_str(), &st) == 0) {
		info->device = st.st_dev;
		info->node = st.st_ino;
	}
}

}  // namespace

extern "C" image_id load_add_on(const char* path)
{
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
	if (handle == nullptr) {
		// A path to an existing file that will not load is not an executable;
		// anything else was not found.
		struct stat st;
		bool exists = std::strchr(path, '/') != nullptr && stat(path, &st) == 0;
		return exists ? B_NOT_AN_EXECUTABLE : B_ENTRY_NOT_FOUND;
	}
	ImageTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	image_id id = table.nextId++;
	table.addOns[id] = AddOn{handle, path, table.nextSequence++};
	return id;
}

extern "C" status_t unload_add_on(image_id image)
{
	void* handle;
	{
		ImageTable& table = Table();
		std::lock_guard<std::mutex> lock(table.mutex);
		auto found = table.addOns.find(image);
		if (found == table.addOns.end())
			return B_BAD_IMAGE_ID;
		handle = found->second.handle;
		table.addOns.erase(found);
	}
	dlclose(handle);
	return B_OK;
}

extern "C" status_t get_image_symbol(image_id image, const char* name, int32 /*symbolType*/,
	void** location)
{
	if (name == nullptr || location == nullptr)
		return B_BAD_VALUE;
	void* handle;
	{
		ImageTable& table = Table();
		std::lock_guard<std::mutex> lock(table.mutex);
		auto found = table.addOns.find(image);
		if (found == table.addOns.end())
			return B_BAD_IMAGE_ID;
		handle = found->second.handle;
	}
	dlerror();
	void* symbol = dlsym(handle, name);
	if (symbol == nullptr)
		return B_MISSING_SYMBOL;
	*location = symbol;
	return B_OK;
}

extern "C" status_t get_image_info(image_id image, image_info* info)
{
	if (info == nullptr)
		return B_BAD_VALUE;
	if (image == kAppImageId) {
		FillInfo(info, kAppImageId, B_APP_IMAGE, ExecutablePath(), 0);
		return B_OK;
	}
	ImageTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	auto found = table.addOns.find(image);
	if (found == table.addOns.end())
		return B_BAD_IMAGE_ID;
	FillInfo(info, found->first, B_ADD_ON_IMAGE, found->second.path, found->second.sequence);
	return B_OK;
}

extern "C" status_t get_next_image_info(team_id team, int32* cookie, image_info* info)
{
	if (cookie == nullptr || info == nullptr)
		return B_BAD_VALUE;
	if (team != B_CURRENT_TEAM && team != getpid())
		return B_BAD_TEAM_ID;
	if (*cookie == 0) {
		FillInfo(info, kAppImageId, B_APP_IMAGE, ExecutablePath(), 0);
		*cookie = kAppImageId;
		return B_OK;
	}
	// The cookie is the id of the image handed out last; add-on ids only grow.
	ImageTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	auto next = table.addOns.upper_bound(*cookie);
	if (next == table.addOns.end())
		return B_ENTRY_NOT_FOUND;
	FillInfo(info, next->first, B_ADD_ON_IMAGE, next->second.path, next->second.sequence);
	*cookie = next->first;
	return B_OK;
}
