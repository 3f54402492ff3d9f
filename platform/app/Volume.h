// BVolume: a mounted file system, named by its device number.
// Threading: a value; any thread.
#ifndef _VOLUME_H
#define _VOLUME_H

#include <StorageDefs.h>
#include <SupportDefs.h>

#include <sys/types.h>

class BVolume {
public:
	BVolume();
	explicit BVolume(dev_t device);
	BVolume(const BVolume& other) = default;
	BVolume& operator=(const BVolume& other) = default;

	status_t InitCheck() const;
	status_t SetTo(dev_t device);
	void Unset();
	dev_t Device() const;

	status_t GetName(char* name) const;  // at least B_FILE_NAME_LENGTH bytes
	bool KnowsAttr() const;
	bool KnowsQuery() const;
	bool IsReadOnly() const;

	bool operator==(const BVolume& other) const;
	bool operator!=(const BVolume& other) const { return !(*this == other); }

private:
	dev_t fDevice = dev_t(-1);
	status_t fStatus = B_NO_INIT;
};

#endif
