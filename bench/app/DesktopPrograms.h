// What the benchmarks on a real X desktop share: starting a program quietly and
// stopping it, and finding its window on the screen by name.
// Threading: the benchmark's thread; a Display is used by one thread at a time.
#ifndef _CVAB_DESKTOP_PROGRAMS_H
#define _CVAB_DESKTOP_PROGRAMS_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench_desktop {

// The program arguments[0] started with the rest, its output thrown away.
inline pid_t Start(const std::vector<std::string>& arguments)
{
	const pid_t child = fork();
	if (child == 0) {
		std::vector<char*> argv;
		for (const std::string& argument : arguments)
			argv.push_back(const_cast<char*>(argument.c_str()));
		argv.push_back(nullptr);
		freopen("/dev/null", "w", stdout);
		freopen("/dev/null", "w", stderr);
		execv(argv[0], argv.data());
		_exit(127);
	}
	return child;
}

inline void Stop(pid_t child)
{
	kill(child, SIGTERM);
	int status;
	waitpid(child, &status, 0);
}

// A viewable window of that name anywhere under window; 0 for none.
inline Window Named(Display* display, Window window, const char* name)
{
	char* found = nullptr;
	if (XFetchName(display, window, &found) && found != nullptr) {
		const bool same = strcmp(found, name) == 0;
		XFree(found);
		XWindowAttributes attributes;
		if (same && XGetWindowAttributes(display, window, &attributes)
			&& attributes.map_state == IsViewable)
			return window;
	}
	Window root, parent, *children = nullptr;
	unsigned count = 0;
	Window result = 0;
	if (XQueryTree(display, window, &root, &parent, &children, &count)) {
		for (unsigned i = 0; i < count && result == 0; i++)
			result = Named(display, children[i], name);
		XFree(children);
	}
	return result;
}

}  // namespace bench_desktop

#endif
