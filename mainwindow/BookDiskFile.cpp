// Sections: reading; the file changed on disk; writing.
#include "BookDiskFile.h"

#include "BookFile.h"
#include "BookFileWatcher.h"
#include "BookLock.h"
#include "ContactFileOpener.h"
#include "ReadOnlyBookFile.h"

#include <Directory.h>
#include <Entry.h>
#include <Looper.h>
#include <Messenger.h>
#include <Path.h>

#include <cassert>

namespace {

// How long a reload waits for another program's save to end before it looks
// again later: the window's thread must not hang on it.
constexpr bigtime_t kReloadLockTimeout = 100000;

// Reads the book under its lock, so that another program's save is not read
// half-done: its body and then its ids are renamed into place. kBookBusyError
// when that save goes on longer than timeout and busyIsError. A book nobody
// ever saved with a lock is read without one, and so no lock file is made
// beside a file that is only looked at.
status_t LoadLocked(const entry_ref& ref, bigtime_t timeout, bool busyIsError, CVABook* book,
	std::string* path, book_read_losses* losses, BookAncestor* ancestor,
	const BookAncestor* before = nullptr)
{
	BPath target;
	if (BEntry(&ref, true).GetPath(&target) != B_OK
		|| !BEntry(BookLock::LockPath(target.Path()).c_str()).Exists())
		return LoadBookFile(&ref, book, path, losses, ancestor, before);
	BookLock lock(target.Path());
	if (lock.Acquire(timeout) == kBookBusyError && busyIsError)
		return kBookBusyError;
	return LoadBookFile(&ref, book, path, losses, ancestor, before);
}

}  // namespace

BookDiskFile::BookDiskFile(BLooper* window, uint32 changedWhat)
	: fWindow(window),
	  fChangedWhat(changedWhat)
{
}

BookDiskFile::~BookDiskFile() = default;

void BookDiskFile::_AssertLocked() const
{
	assert(fWindow->IsLocked());
}

bool BookDiskFile::BodyOnDisk() const
{
	return fRef.name != nullptr && BEntry(&fRef, true).Exists();
}

// --- reading

status_t BookDiskFile::Read(const entry_ref& ref, CVABook* book, read_outcome* outcome)
{
	_AssertLocked();
	BPath path;
	if (BEntry(&ref, true).GetPath(&path) == B_OK) {
		const ReadOnlyBookFile file(path.Path());
		outcome->failure = ReadOnlyBookFile::DescribeRefusal(file.InitCheck(), file.Info());
		if (!outcome->failure.empty()) {
			// Not known, so never written over, as any file that could not be read.
			fRef = ref;
			fPath = path.Path();
			return file.InitCheck();
		}
	}
	ContactFileOpener::outcome imported;
	if (ContactFileOpener::Read(ref, book, &imported)) {
		outcome->imported = true;
		BPath source;
		if (BEntry(&ref, true).GetPath(&source) == B_OK)
			outcome->sourcePath = source.Path();
		outcome->importNotes = imported.summary;
		return B_OK;
	}
	const status_t status = LoadLocked(ref, kSaveLockTimeout, false, book, &fPath,
		&outcome->losses, &fAncestor);
	// A file not there yet is watched too: whoever makes it first is read.
	fKnowsFile = status == B_OK || status == B_ENTRY_NOT_FOUND;
	if (!fKnowsFile)
		outcome->failure = DescribeFileError(status);
	fRef = ref;
	if (fKnowsFile && !fPath.empty())
		RemoveSaveLeftovers(fPath);
	_Watch();
	return status;
}

// --- the file changed on disk

// One watch for the file the window now writes; none for a book without one of
// its own (new, imported, unreadable), or a folder that cannot be watched (its
// saves still merge).
void BookDiskFile::_Watch()
{
	if (!fKnowsFile || fPath.empty()) {
		fWatcher.reset();
		return;
	}
	if (fWatcher != nullptr && fWatcher->Path() == fPath)
		return;
	fWatcher.reset();
	fWatcher = std::make_unique<BookFileWatcher>(fPath, fAncestor.State(), BMessenger(fWindow),
		fChangedWhat);
	if (fWatcher->InitCheck() != B_OK)
		fWatcher.reset();
}

// Only a file other than the one last read or saved counts, so the events of
// the window's own saves end here.
BookDiskFile::disk_change BookDiskFile::LookAgain() const
{
	_AssertLocked();
	book_file_state now;
	if (!fKnowsFile || fWatcher == nullptr || StatBookFile(fPath, &now) != B_OK)
		return disk_change::kNone;
	const book_file_state& known = fAncestor.State();
	if (now.exists ? known.exists && known.SameFile(now) : !known.exists)
		return disk_change::kNone;
	return now.exists ? disk_change::kChanged : disk_change::kGone;
}

status_t BookDiskFile::ReadAnew(fresh_read* fresh)
{
	_AssertLocked();
	const status_t status = LoadLocked(fRef, kReloadLockTimeout, true, &fresh->book, nullptr,
		&fresh->losses, &fresh->ancestor, &fAncestor);
	if (status == kBookBusyError && fWatcher != nullptr)
		fWatcher->Poke();
	return status;
}

void BookDiskFile::TakeAnew(CVABook* book, fresh_read* fresh)
{
	_AssertLocked();
	book->MakeEmpty();
	for (const ABookRecord* record = fresh->book.FirstRecord(); record != nullptr;
		 record = record->Next()) {
		ABookRecord* copy = book->AddRecord(record->Id());
		for (int32 field = 0; field < kBookFieldCount; field++)
			copy->SetField(field, record->Field(field));
	}
	fAncestor = std::move(fresh->ancestor);
	if (fWatcher != nullptr)
		fWatcher->SetKnown(fAncestor.State());
}

// --- writing

status_t BookDiskFile::Choose(const entry_ref& directory, const char* name)
{
	_AssertLocked();
	entry_ref ref;
	BDirectory folder(&directory);
	BEntry entry(&folder, name);
	const status_t status = entry.GetRef(&ref);
	if (status != B_OK)
		return status;
	fRef = ref;
	BPath chosen;
	if (BEntry(&ref, true).GetPath(&chosen) != B_OK || fPath != chosen.Path()) {
		fKnowsFile = false;
		_Watch();
	}
	return B_OK;
}

status_t BookDiskFile::WriteFrame(const book_frame& frame)
{
	_AssertLocked();
	return SaveBookFrame(&fRef, frame);
}

// The file it was read from or last saved to is merged with what other programs
// wrote there since (the window's values win a field changed on both sides, the
// other ones go to the conflict log); a file chosen in the save panel is
// replaced.
status_t BookDiskFile::WriteWhole(CVABook* book, const book_frame& frame)
{
	_AssertLocked();
	fLastSave = book_save_result();
	status_t status;
	if (fKnowsFile) {
		status = SaveBookMerging(&fRef, book, frame, &fAncestor, book_save_options(),
			&fLastSave);
	} else {
		status = SaveBookFile(&fRef, book, frame, &fLastSave.path, &fAncestor);
	}
	if (status == B_OK)
		fKnowsFile = true;
	return status;
}

bool BookDiskFile::NoteWritten(const std::string& path)
{
	_AssertLocked();
	const bool moved = !path.empty() && path != fPath;
	if (moved)
		fPath = path;
	_Watch();
	if (fWatcher != nullptr)
		fWatcher->SetKnown(fAncestor.State());
	return moved;
}
