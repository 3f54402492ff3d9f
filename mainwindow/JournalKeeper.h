// Keeps the journal of a book window's unsaved changes (BookJournal.h) on
// disk, within a second of each change, so that a kill or a crash loses none
// of them. A change only asks for a snapshot: once the changes of the moment
// have come (however many), the window is asked and takes one from the book's
// change log (CVABook.h: the records changed, added and removed since the
// last one; the whole order only after a sort), never reading the rest of the
// book; this keeper's own thread composes the journal and writes it
// (JournalComposer.h), never the window's. The journal goes beside the book, or to the state folder where
// the book's folder takes no new file or another running program keeps its
// journal there.
// Threading: the window's thread, or with the window locked; its own thread
// only posts to the window and never locks it.
#ifndef _JOURNAL_KEEPER_H
#define _JOURNAL_KEEPER_H

#include "BookAncestor.h"
#include "JournalComposer.h"

#include <Messenger.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CVABook;
class ReplacingFile;

class JournalKeeper {
public:
	// what is posted to window when a snapshot is wanted.
	JournalKeeper(const BMessenger& window, uint32 what);
	// Ends its thread. The journal stays on disk, as a kill would leave it:
	// Stop first where the changes were saved or thrown away.
	~JournalKeeper();

	JournalKeeper(const JournalKeeper&) = delete;
	JournalKeeper& operator=(const JournalKeeper&) = delete;

	// The book is as its file at bookPath holds it (read, saved, read anew):
	// changes from here on are kept against that file. The journal on disk
	// goes, unless keepLeft: then the one at the new journal's place (just
	// recovered from), or the one written last, stays until the first write
	// replaces it.
	// book is the window's, whose change log it starts.
	void StartFromFile(const std::string& bookPath, const BookAncestor& ancestor,
		CVABook* book, bool keepLeft = false);
	// A book with no file of its own: its journal, at journalPath, holds every
	// record. source names the file the contacts came from ("" for none).
	void StartWithoutFile(const std::string& journalPath, const std::string& source,
		CVABook* book, bool keepLeft = false);
	// Nothing is unsaved any more (saved, or thrown away): the journal on disk
	// goes, and nothing is written until the next start.
	void Stop(CVABook* book);

	// The book changed: a snapshot is asked for soon.
	void Changed();
	// The same, for a book that may differ from its base in ways its change
	// log does not tell (recovered, or its file gone): the snapshot takes
	// every record.
	void ChangedAll();
	// The window's answer: with the window locked.
	void TakeSnapshot(CVABook* book);

	// Waits until every snapshot taken is on disk (for tests and benches).
	void Flush();
	// Where the journal was last written ("" when it is not on disk).
	std::string WrittenPath() const;

	// How long changes are let come before a snapshot is asked for.
	static constexpr bigtime_t kGatherTime = 300000;

private:
	void _Start(journal_base base, const std::string& path, CVABook* book, bool keepLeft);
	void _Run();
	void _Write(uint64 generation);
	status_t _Prepare(const book_journal& journal, std::string* path,
		std::unique_ptr<ReplacingFile>* file) const;
	std::string _ChoosePath(const book_journal& journal) const;
	void _Remove();

	const BMessenger fWindow;
	const uint32 fWhat;

	// The window's side.
	bool fActive = false;
	bool fAsked = false;
	bool fTakeAll = false;

	// Shared with the thread, under fLock.
	mutable std::mutex fLock;
	std::condition_variable fWake;
	uint64 fGeneration = 0;
	std::optional<journal_base> fNewBase;
	std::string fPath;
	std::vector<journal_snapshot> fSnapshots;
	bigtime_t fAskAt = 0;
	bool fBusy = false;
	bool fQuit = false;

	// The thread's own; the rename of a journal and its removal under fFileLock.
	JournalComposer fComposer;
	mutable std::mutex fFileLock;
	std::string fWritten;
	uint64 fWrittenGeneration = 0;

	std::thread fThread;
};

#endif
