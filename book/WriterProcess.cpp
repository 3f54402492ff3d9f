#include "WriterProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

std::string HostName()
{
	char name[256] = {};
	if (gethostname(name, sizeof(name) - 1) != 0)
		return "localhost";
	return name;
}

// Field 22 of /proc/PID/stat; 0 when the process is not there.
uint64 StartOf(pid_t pid)
{
	std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
	std::string line;
	if (!std::getline(file, line))
		return 0;
	// The command name may hold spaces and parentheses: fields count from the last ')'.
	const size_t end = line.rfind(')');
	if (end == std::string::npos || end + 2 > line.size())
		return 0;
	std::istringstream fields(line.substr(end + 2));
	std::string field;
	for (int i = 3; i <= 22 && fields >> field; i++) {
		if (i == 22)
			return strtoull(field.c_str(), nullptr, 10);
	}
	return 0;
}

}  // namespace

writer_process ThisWriter()
{
	static const std::string host = HostName();
	return writer_process{host, getpid(), StartOf(getpid())};
}

bool ProcessGone(pid_t pid)
{
	return pid > 0 && kill(pid, 0) != 0 && errno == ESRCH;
}

bool WriterGone(const writer_process& writer)
{
	if (writer.host != ThisWriter().host)
		return false;
	if (ProcessGone(writer.pid))
		return true;
	const uint64 start = StartOf(writer.pid);
	return start != 0 && writer.start != 0 && start != writer.start;
}
