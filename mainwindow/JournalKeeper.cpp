// Sections: the window's side; the thread's side.
#include "JournalKeeper.h"

#include "BookJournal.h"
#include "BookText.h"
#include "CVABook.h"
#include "ReplacingFile.h"

#include <Message.h>
#include <OS.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A descriptor of the book's file as the ancestor knows it, for the thread to
// read what changed records held; -1 when the path names another file now.
int OpenBase(const std::string& path, const book_file_state& state)
{
	const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	struct stat info;
	if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
			|| info.st_dev != state.device || info.st_ino != state.inode)) {
		close(fd);
		return -1;
	}
	return fd;
}

}  // namespace

JournalKeeper::JournalKeeper(const BMessenger& window, uint32 what)
	: fWindow(window),
	  fWhat(what),
	  fThread([this] { _Run(); })
{
}

JournalKeeper::~JournalKeeper()
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		fQuit = true;
	}
	fWake.notify_all();
	fThread.join();
}

// --- the window's side

void JournalKeeper::StartFromFile(const std::string& bookPath, const BookAncestor& ancestor,
	CVABook* book, bool keepLeft)
{
	journal_base base;
	base.exists = true;
	base.book = bookPath;
	base.digest = ancestor.State().body;
	base.ids = ancestor.Ids();
	base.layout = ancestor.Layout();
	base.writerForm = ancestor.WriterForm();
	base.fd = ancestor.State().exists ? OpenBase(bookPath, ancestor.State()) : -1;
	_Start(std::move(base), JournalBeside(bookPath), book, keepLeft);
}

void JournalKeeper::StartWithoutFile(const std::string& journalPath, const std::string& source,
	CVABook* book, bool keepLeft)
{
	journal_base base;
	base.book = source;
	_Start(std::move(base), journalPath, book, keepLeft);
	fTakeAll = true;
}

void JournalKeeper::_Start(journal_base base, const std::string& path, CVABook* book,
	bool keepLeft)
{
	// A write under way for what came before is dropped by the new generation.
	{
		std::lock_guard<std::mutex> lock(fLock);
		fGeneration++;
		fNewBase = std::move(base);
		fPath = path;
		fSnapshots.clear();
		fAskAt = 0;
	}
	if (!keepLeft) {
		_Remove();
	} else {
		// The journal recovered from is ours now: replaced by the first write,
		// removed when the book is saved or its changes thrown away.
		std::lock_guard<std::mutex> lock(fFileLock);
		if (fWritten.empty())
			fWritten = path;
	}
	fWake.notify_all();
	book->LogChanges(true);
	fActive = true;
	fAsked = false;
	fTakeAll = false;
}

void JournalKeeper::Stop(CVABook* book)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		fGeneration++;
		fNewBase.reset();
		fSnapshots.clear();
		fAskAt = 0;
	}
	_Remove();
	if (book != nullptr)
		book->LogChanges(false);
	fActive = false;
	fAsked = false;
}

void JournalKeeper::_Remove()
{
	std::lock_guard<std::mutex> lock(fFileLock);
	if (!fWritten.empty())
		unlink(fWritten.c_str());
	fWritten.clear();
}

void JournalKeeper::Changed()
{
	if (!fActive || fAsked)
		return;
	fAsked = true;
	{
		std::lock_guard<std::mutex> lock(fLock);
		fAskAt = system_time() + kGatherTime;
	}
	fWake.notify_all();
}

void JournalKeeper::ChangedAll()
{
	fTakeAll = true;
	Changed();
}

// What the book's change log tells, and the whole order only when that is
// not enough; every record only when asked.
void JournalKeeper::TakeSnapshot(CVABook* book)
{
	fAsked = false;
	if (!fActive || book == nullptr)
		return;
	book_change_log log = book->TakeChangeLog();
	journal_snapshot snapshot;
	std::vector<const ABookRecord*> all;
	if (fTakeAll || log.reordered) {
		snapshot.orderChanged = true;
		snapshot.order.reserve(static_cast<size_t>(book->CountRecords()));
		for (const ABookRecord* record = book->FirstRecord(); record != nullptr;
			 record = record->Next()) {
			snapshot.order.push_back(record->Id());
			if (fTakeAll)
				all.push_back(record);
		}
	} else {
		snapshot.added = std::move(log.added);
		snapshot.removed = std::move(log.removed);
	}
	char text[kBookTextBufferSize];
	for (const ABookRecord* record : fTakeAll ? all : log.changed) {
		// The record text is the body's line with a TAB for its line feed.
		const size_t length = BuildRecordText(record, text);
		snapshot.changed.emplace_back(record->Id(), std::string(text, length - 1));
	}
	fTakeAll = false;
	if (!snapshot.orderChanged && snapshot.changed.empty() && snapshot.removed.empty())
		return;
	{
		std::lock_guard<std::mutex> lock(fLock);
		fSnapshots.push_back(std::move(snapshot));
	}
	fWake.notify_all();
}

void JournalKeeper::Flush()
{
	std::unique_lock<std::mutex> lock(fLock);
	fWake.wait(lock, [this] { return fSnapshots.empty() && !fBusy && !fNewBase; });
}

std::string JournalKeeper::WrittenPath() const
{
	std::lock_guard<std::mutex> lock(fFileLock);
	return fWritten;
}

// --- the thread's side

void JournalKeeper::_Run()
{
	std::unique_lock<std::mutex> lock(fLock);
	while (!fQuit) {
		if (fNewBase || !fSnapshots.empty()) {
			std::optional<journal_base> base = std::move(fNewBase);
			fNewBase.reset();
			std::vector<journal_snapshot> snapshots = std::move(fSnapshots);
			fSnapshots.clear();
			const uint64 generation = fGeneration;
			fBusy = true;
			lock.unlock();
			if (base)
				fComposer.Start(std::move(*base));
			for (journal_snapshot& snapshot : snapshots)
				fComposer.Take(std::move(snapshot));
			if (!snapshots.empty())
				_Write(generation);
			lock.lock();
			fBusy = false;
			fWake.notify_all();
			continue;
		}
		const bigtime_t now = system_time();
		if (fAskAt != 0 && now >= fAskAt) {
			fAskAt = 0;
			lock.unlock();
			BMessage message(fWhat);
			fWindow.SendMessage(&message, static_cast<BHandler*>(nullptr), 100000);
			lock.lock();
		} else if (fAskAt != 0) {
			fWake.wait_for(lock, std::chrono::microseconds(fAskAt - now));
		} else {
			fWake.wait(lock);
		}
	}
}

// Where to write: beside the book unless a journal another program (alive, or
// ended before its changes were recovered) keeps there; the state folder then,
// and where the book's folder takes no new file.
std::string JournalKeeper::_ChoosePath(const book_journal& journal) const
{
	std::string path;
	{
		std::lock_guard<std::mutex> lock(fLock);
		path = fPath;
	}
	if (!journal.hasBase || path == WrittenPath())
		return path;
	book_journal there;
	struct stat info;
	if (lstat(path.c_str(), &info) == 0
		&& (ReadJournalFile(path, &there) != B_OK || there.writer != ThisWriter()))
		return JournalInStateFolder(journal.book);
	return path;
}

// The new journal file, written but not yet in place: beside the book, or in
// the state folder when that is where it goes or the book's folder takes no
// new file.
status_t JournalKeeper::_Prepare(const book_journal& journal, std::string* path,
	std::unique_ptr<ReplacingFile>* file) const
{
	*path = _ChoosePath(journal);
	status_t status = B_OK;
	for (int attempt = 0; attempt < 2; attempt++) {
		if (!journal.hasBase || *path != JournalBeside(journal.book))
			MakeJournalFolder();
		*file = std::make_unique<ReplacingFile>(*path, file_access::Private());
		status = (*file)->Open();
		if (status == B_OK || *path != JournalBeside(journal.book))
			break;
		*path = JournalInStateFolder(journal.book);
	}
	return status == B_OK ? (*file)->Write(JournalText(journal)) : status;
}

// Under the file lock: a journal of a generation that was saved or thrown away
// meanwhile is never put in place.
void JournalKeeper::_Write(uint64 generation)
{
	book_journal journal;
	const bool changes = fComposer.Compose(&journal);
	std::string path;
	std::unique_ptr<ReplacingFile> file;
	const status_t status = changes ? _Prepare(journal, &path, &file) : B_OK;
	std::lock_guard<std::mutex> lock(fFileLock);
	{
		std::lock_guard<std::mutex> current(fLock);
		if (generation != fGeneration)
			return;
	}
	if (!changes) {
		// Nothing differs from the file any more.
		if (!fWritten.empty())
			unlink(fWritten.c_str());
		fWritten.clear();
		return;
	}
	if (status != B_OK || file->Commit() != B_OK)
		return;
	if (!file->Note().empty())
		fprintf(stderr, "%s: %s\n", program_invocation_short_name, file->Note().c_str());
	if (!fWritten.empty() && fWritten != path)
		unlink(fWritten.c_str());
	fWritten = path;
}
