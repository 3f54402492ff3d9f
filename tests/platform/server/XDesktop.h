// A private X desktop for one test program: a virtual X server (Xvfb) on a display
// number it picks for itself, so tests running side by side never meet, with a
// window manager (openbox) that decorates windows as a user's desktop does.
// Threading: started and stopped by the main thread, before and after the tests.
#ifndef _X_DESKTOP_H
#define _X_DESKTOP_H

#include <string>
#include <sys/types.h>

class XDesktop {
public:
	// Starts both and points DISPLAY at the server; on failure Problem() says why.
	XDesktop();
	// Stops the window manager; the server ends with the process.
	~XDesktop();
	XDesktop(const XDesktop&) = delete;
	XDesktop& operator=(const XDesktop&) = delete;

	bool IsRunning() const { return fProblem.empty(); }
	const std::string& Problem() const { return fProblem; }

private:
	bool StartServer();
	bool StartManager();

	pid_t fServer = -1;
	pid_t fManager = -1;
	std::string fProblem;
};

#endif
