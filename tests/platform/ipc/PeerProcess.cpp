#include "PeerProcess.h"

#include <OS.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

IsolatedRuntime::IsolatedRuntime()
{
	char pattern[] = "/tmp/cvab-ipc-XXXXXX";
	const char* root = mkdtemp(pattern);
	EXPECT_NE(root, nullptr);
	fRoot = root != nullptr ? root : "/tmp";
	mkdir((fRoot + "/run").c_str(), 0700);
	setenv("XDG_RUNTIME_DIR", (fRoot + "/run").c_str(), 1);
	setenv("XDG_DATA_HOME", (fRoot + "/data").c_str(), 1);
	setenv("CVAB_PEER_RECORD", RecordFile().c_str(), 1);
}

IsolatedRuntime::~IsolatedRuntime()
{
	const std::string command = "rm -rf '" + fRoot + "'";
	if (system(command.c_str()) != 0)
		fprintf(stderr, "could not remove %s\n", fRoot.c_str());
}

PeerProcess::PeerProcess(const char* signature)
{
	int output[2];
	if (pipe(output) != 0)
		return;
	setenv("CVAB_PEER_SIGNATURE", signature, 1);
	fPid = fork();
	if (fPid == 0) {
		dup2(output[1], STDOUT_FILENO);
		close(output[0]);
		close(output[1]);
		execl(CVAB_IPC_PEER, CVAB_IPC_PEER, static_cast<char*>(nullptr));
		_exit(127);
	}
	close(output[1]);
	// "ready <pid>" once the peer listens and runs.
	FILE* stream = fdopen(output[0], "r");
	char line[64] = {};
	if (fPid < 0 || stream == nullptr || fgets(line, sizeof(line), stream) == nullptr
		|| std::string(line).rfind("ready", 0) != 0) {
		ADD_FAILURE() << "the peer did not start";
		if (fPid > 0)
			Kill(SIGKILL);
		fPid = -1;
	}
	if (stream != nullptr)
		fclose(stream);
}

PeerProcess::~PeerProcess()
{
	if (fPid > 0) {
		kill(fPid, SIGCONT);
		kill(fPid, SIGKILL);
		Wait(5000000);
	}
}

int PeerProcess::Wait(bigtime_t timeout)
{
	if (fPid <= 0)
		return -1;
	const bigtime_t deadline = system_time() + timeout;
	do {
		int status = 0;
		if (waitpid(fPid, &status, WNOHANG) == fPid) {
			fPid = -1;
			return status;
		}
		snooze(2000);
	} while (system_time() < deadline);
	return -1;
}

void PeerProcess::Kill(int signal)
{
	if (fPid > 0)
		kill(fPid, signal);
}

std::string WaitForRecord(const std::string& path, int lines, bigtime_t timeout)
{
	const bigtime_t deadline = system_time() + timeout;
	std::string text;
	do {
		std::ifstream file(path);
		std::stringstream contents;
		contents << file.rdbuf();
		text = contents.str();
		if (std::count(text.begin(), text.end(), '\n') >= lines)
			return text;
		snooze(5000);
	} while (system_time() < deadline);
	return text;
}
