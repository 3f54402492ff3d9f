#include "XDesktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

bool OnPath(const std::string& program)
{
	const char* path = getenv("PATH");
	std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
	for (std::string folder; std::getline(folders, folder, ':');) {
		if (access((folder + "/" + program).c_str(), X_OK) == 0)
			return true;
	}
	return false;
}

// Starts a program whose standard error (and output, unless keepOutput) go nowhere,
// and which ends with this process, whatever way it ends.
pid_t Spawn(std::vector<std::string> arguments, int keepFd = -1)
{
	std::vector<char*> argv;
	for (std::string& argument : arguments)
		argv.push_back(argument.data());
	argv.push_back(nullptr);
	const pid_t pid = fork();
	if (pid != 0)
		return pid;
	prctl(PR_SET_PDEATHSIG, SIGKILL);
	const int nowhere = open("/dev/null", O_WRONLY);
	dup2(nowhere, 1);
	dup2(nowhere, 2);
	for (int fd = 3; fd < 1024; fd++) {
		if (fd != keepFd)
			close(fd);
	}
	execvp(argv[0], argv.data());
	_exit(127);
}

void Stop(pid_t pid)
{
	if (pid <= 0)
		return;
	kill(pid, SIGTERM);
	waitpid(pid, nullptr, 0);
}

// True once a window manager announces itself on the root window.
bool ManagerAnnounced(Display* display)
{
	const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
	Atom type = 0;
	int format = 0;
	unsigned long count = 0, after = 0;
	unsigned char* data = nullptr;
	const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1,
		False, XA_WINDOW, &type, &format, &count, &after, &data);
	const bool found = status == Success && count == 1;
	if (data != nullptr)
		XFree(data);
	return found;
}

}  // namespace

XDesktop::XDesktop()
{
	if (!OnPath("Xvfb") || !OnPath("openbox")) {
		fProblem = "Xvfb or openbox is not installed (scripts/setup installs them)";
		return;
	}
	if (StartServer())
		StartManager();
}

// The X server stays until this process ends (it is told to end with it): the
// display server keeps its connection to the last, and Xlib ends a program whose
// connection breaks.
XDesktop::~XDesktop()
{
	Stop(fManager);
}

bool XDesktop::StartServer()
{
	int ends[2];
	if (pipe(ends) != 0) {
		fProblem = "no pipe for the X server's display number";
		return false;
	}
	// Xvfb writes the display number it chose once it takes connections.
	fServer = Spawn({"Xvfb", "-displayfd", std::to_string(ends[1]), "-screen", "0",
		"1024x768x24", "-nolisten", "tcp"}, ends[1]);
	close(ends[1]);
	std::string number;
	pollfd wait = {ends[0], POLLIN, 0};
	char byte = 0;
	while (poll(&wait, 1, 10000) > 0 && read(ends[0], &byte, 1) == 1 && byte != '\n')
		number += byte;
	close(ends[0]);
	if (fServer < 0 || number.empty()) {
		fProblem = "the X server did not start";
		return false;
	}
	setenv("DISPLAY", (":" + number).c_str(), 1);
	return true;
}

bool XDesktop::StartManager()
{
	fManager = Spawn({"openbox", "--sm-disable"});
	Display* display = XOpenDisplay(nullptr);
	bool ready = false;
	for (int attempt = 0; display != nullptr && attempt < 200 && !ready; attempt++) {
		ready = ManagerAnnounced(display);
		if (!ready)
			usleep(50000);
	}
	if (display != nullptr)
		XCloseDisplay(display);
	if (fManager < 0 || !ready) {
		fProblem = "the window manager did not start";
		return false;
	}
	return true;
}
