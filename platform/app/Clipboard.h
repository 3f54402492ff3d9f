// BClipboard (be_clipboard): data shared through a named clipboard. Lock takes the
// current contents into Data(); changes stay local until Commit, and Revert throws
// them away.
// Threading: any thread, between Lock and Unlock.
#ifndef _CLIPBOARD_H
#define _CLIPBOARD_H

#include <Locker.h>
#include <Message.h>

#include <memory>
#include <string>

class BClipboard {
public:
	explicit BClipboard(const char* name, bool transient = false);
	virtual ~BClipboard();

	const char* Name() const;
	// How many times the clipboard was committed: as this object last saw it, and now.
	uint32 LocalCount() const;
	uint32 SystemCount() const;

	bool Lock();
	void Unlock();
	bool IsLocked() const;

	status_t Clear();
	status_t Commit();
	// With failIfChanged, refuses (B_ERROR) if someone committed since the last Lock.
	status_t Commit(bool failIfChanged);
	status_t Revert();
	// Valid while locked; the clipboard keeps ownership.
	BMessage* Data() const;

private:
	BClipboard(const BClipboard&) = delete;
	BClipboard& operator=(const BClipboard&) = delete;

	void _Download();

	std::string fName;
	BLocker fLock;
	std::unique_ptr<BMessage> fData;
	uint32 fLocalCount = 0;
};

extern BClipboard* be_clipboard;

#endif
