// What a document needs of the window that owns it: the list area it builds and
// removes, the rebuild of that list, and the window's lock, which also guards the
// document (see CVABook.h). The main window implements it.
// Threading: Lock/Unlock from any thread; the list calls as each one documents.
#ifndef _BOOK_OWNER_H
#define _BOOK_OWNER_H

class BookOwner {
public:
	virtual ~BookOwner();

	// Creates the record list and its scroll view; locks the window itself.
	virtual void BuildRecordList() = 0;
	// Removes and deletes the record list's scroll view and forgets the list.
	// Called with the owner locked.
	virtual void RemoveRecordList() = 0;
	// Rebuilds every row from the document; locks the window itself.
	virtual void ReloadList() = 0;

	// The owner window's recursive lock (a window's Lock/Unlock/IsLocked);
	// IsLocked tells whether the calling thread holds it.
	virtual bool Lock() = 0;
	virtual void Unlock() = 0;
	virtual bool IsLocked() const = 0;
};

// Holds an owner's lock for a scope; a null owner is never locked.
class BookOwnerLocker {
public:
	explicit BookOwnerLocker(BookOwner* owner)
		: fOwner(owner != nullptr && owner->Lock() ? owner : nullptr)
	{
	}
	~BookOwnerLocker()
	{
		if (fOwner != nullptr)
			fOwner->Unlock();
	}

	BookOwnerLocker(const BookOwnerLocker&) = delete;
	BookOwnerLocker& operator=(const BookOwnerLocker&) = delete;

	bool IsLocked() const { return fOwner != nullptr; }

private:
	BookOwner* const fOwner;
};

#endif
