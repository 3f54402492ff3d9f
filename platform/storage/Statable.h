// BStatable: the stat-based questions shared by entries and nodes.
// Threading: as the object it belongs to; no locking of its own.
#ifndef _STATABLE_H
#define _STATABLE_H

#include <SupportDefs.h>

#include <sys/stat.h>

class BStatable {
public:
	virtual ~BStatable() = default;

	virtual status_t GetStat(struct stat* st) const = 0;

	bool IsFile() const;
	bool IsDirectory() const;
	bool IsSymLink() const;

	status_t GetSize(off_t* size) const;
	status_t GetModificationTime(time_t* mtime) const;
	status_t GetPermissions(mode_t* permissions) const;
};

#endif
