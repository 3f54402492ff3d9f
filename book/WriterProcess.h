// Who wrote a file that stands for unsaved work (a journal, a backup, a
// temporary file): the host, the process and its start, so that a later
// process can tell a writer that is gone (its work left behind by a kill or a
// crash) from one that is still at it. A home shared between hosts keeps the
// host apart: a process of another host is never taken for gone.
// Threading: pure functions and /proc reads; safe from any thread.
#ifndef _WRITER_PROCESS_H
#define _WRITER_PROCESS_H

#include <SupportDefs.h>

#include <string>
#include <sys/types.h>

struct writer_process {
	std::string host;
	pid_t pid = 0;
	uint64 start = 0;  // the process's start, in clock ticks since boot

	bool operator==(const writer_process&) const = default;
};

// This process.
writer_process ThisWriter();

// Whether the writer has ended: a process of this host that no longer runs,
// or whose id now names a later process. A writer of another host is never
// known to be gone.
bool WriterGone(const writer_process& writer);

// Whether the process of this host with that id has ended.
bool ProcessGone(pid_t pid);

#endif
