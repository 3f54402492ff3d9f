#include "AccessibleApplication.h"

#include "AccessibleWindow.h"

#include <algorithm>
#include <unistd.h>

namespace BPrivate {

namespace {

// The program's file name, as the desktop lists it.
std::string ProgramName()
{
	char path[4096];
	const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	if (length <= 0)
		return "";
	const std::string full(path, (size_t)length);
	return full.substr(full.find_last_of('/') + 1);
}

}  // namespace

AccessibleApplication::AccessibleApplication()
	: Accessible(nullptr, nullptr, ATK_ROLE_APPLICATION)
{
	fName = ProgramName();
}

void AccessibleApplication::Add(AccessibleWindow* window)
{
	fWindows.push_back(AccessibleRef(window->Atk()));
}

bool AccessibleApplication::Refresh()
{
	fWindows.erase(std::remove_if(fWindows.begin(), fWindows.end(),
		[](const AccessibleRef& window) { return Of(window.Get())->IsDefunct(); }),
		fWindows.end());
	fChildren.clear();
	for (const AccessibleRef& window : fWindows) {
		auto* node = static_cast<AccessibleWindow*>(Of(window.Get()));
		node->Update();
		if (node->IsShowing())
			fChildren.push_back(window);
	}
	return true;
}

}  // namespace BPrivate
