#include "BookFileWatcher.h"

#include "RecordIdFile.h"

#include <Errors.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// What another program's save does to the folder: a write in place, a new
// file renamed over the book, a delete, a rename away. Attributes alone (a
// frame stored, a touch) are no change of the records.
constexpr uint32 kFolderEvents = IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MODIFY
	| IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// A burst that goes on (a program saving over and over) is reported this often
// all the same.
constexpr bigtime_t kLongestWait = 1000000;

bigtime_t Now()
{
	return std::chrono::duration_cast<std::chrono::microseconds>(
		std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

BookFileWatcher::BookFileWatcher(const std::string& path, const book_file_state& known,
	const BMessenger& target, uint32 what, bigtime_t settle)
	: fPath(path),
	  fTarget(target),
	  fWhat(what),
	  fSettle(settle),
	  fKnown(known)
{
	const size_t slash = path.rfind('/');
	if (slash == std::string::npos || slash + 1 == path.size()) {
		fStatus = B_BAD_VALUE;
		return;
	}
	fName = path.substr(slash + 1);
	fIdsName = RecordIdFileName(fName);
	const std::string folder = slash == 0 ? std::string("/") : path.substr(0, slash);
	fInotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
	fWake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
	if (fInotify < 0 || fWake < 0 || inotify_add_watch(fInotify, folder.c_str(), kFolderEvents) < 0) {
		fStatus = status_from_errno(errno);
		return;
	}
	fStatus = B_OK;
	fThread = std::thread([this] { _Run(); });
}

BookFileWatcher::~BookFileWatcher()
{
	if (fThread.joinable()) {
		fStopping = true;
		Poke();
		fThread.join();
	}
	if (fInotify >= 0)
		close(fInotify);
	if (fWake >= 0)
		close(fWake);
}

void BookFileWatcher::SetKnown(const book_file_state& known)
{
	const std::lock_guard<std::mutex> lock(fKnownLock);
	fKnown = known;
}

void BookFileWatcher::Poke()
{
	if (fWake < 0)
		return;
	const uint64_t one = 1;
	[[maybe_unused]] const ssize_t written = write(fWake, &one, sizeof(one));
}

// Waits for events; once they stop for the settle time (or have gone on for
// the longest wait), posts once.
void BookFileWatcher::_Run()
{
	bigtime_t first = -1;
	bigtime_t last = -1;
	while (!fStopping) {
		int timeout = -1;
		if (first >= 0) {
			const bigtime_t due = std::min(last + fSettle, first + kLongestWait);
			timeout = static_cast<int>(std::max<bigtime_t>(0, (due - Now() + 999) / 1000));
		}
		pollfd waiting[2] = {{fInotify, POLLIN, 0}, {fWake, POLLIN, 0}};
		if (poll(waiting, 2, timeout) < 0 && errno != EINTR)
			return;
		if (fStopping)
			return;
		bool changed = false;
		if ((waiting[1].revents & POLLIN) != 0) {
			uint64_t count;
			[[maybe_unused]] const ssize_t got = read(fWake, &count, sizeof(count));
			changed = true;
		}
		if ((waiting[0].revents & POLLIN) != 0 && _ReadEvents() && !_FileIsKnown())
			changed = true;
		const bigtime_t now = Now();
		if (changed) {
			first = first < 0 ? now : first;
			last = now;
		}
		if (first >= 0 && now >= std::min(last + fSettle, first + kLongestWait)) {
			_Post();
			first = -1;
		}
	}
}

// Whether any event waiting concerns the book or its ids, or the folder's
// watch itself (the folder gone or moved, events lost).
bool BookFileWatcher::_ReadEvents()
{
	alignas(inotify_event) char buffer[4096];
	bool concerned = false;
	ssize_t got;
	while ((got = read(fInotify, buffer, sizeof(buffer))) > 0) {
		for (const char* at = buffer; at < buffer + got;) {
			const auto* event = reinterpret_cast<const inotify_event*>(at);
			if ((event->mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0)
				concerned = true;
			else if (event->len > 0 && (fName == event->name || fIdsName == event->name))
				concerned = true;
			at += sizeof(inotify_event) + event->len;
		}
	}
	return concerned;
}

// Whether the file is (still, or again) the one the window knows. The events
// of a save are often read before the window learns of the file it saved:
// those count, and the window finds nothing new.
bool BookFileWatcher::_FileIsKnown()
{
	book_file_state now;
	if (StatBookFile(fPath, &now) != B_OK)
		return false;
	const std::lock_guard<std::mutex> lock(fKnownLock);
	return now.exists ? fKnown.exists && fKnown.SameFile(now) : !fKnown.exists;
}

// Never waits long on a busy window: a window that is closing joins this
// thread. A message that could not be delivered is simply dropped; the window
// looks at the file again with the next change.
void BookFileWatcher::_Post()
{
	BMessage message(fWhat);
	fTarget.SendMessage(&message, static_cast<BHandler*>(nullptr), 100000);
}
