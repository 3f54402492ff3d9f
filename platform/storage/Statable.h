// BStatable: the stat-based questions shared by entries and nodes.
// Threading: as the object it belongs to; no locking of its own.
#ifndef _STATABLE_H
#define _STATABLE_H

#include <SupportDefs.h>

#include <sys/stat.h>

// A node named by its device and inode, as the node monitor and tracker compare them.
struct node_ref {
	node_ref() : device(-1), node(-1) {}
	node_ref(dev_t device, ino_t node) : device(device), node(node) {}

	bool operator==(const node_ref& other) const
	{
		return device == other.device && node == other.node;
	}
	bool operator!=(const node_ref& other) const { return !(*this == other); }
	bool operator<(const node_ref& other) const
	{
		return device != other.device ? device < other.device : node < other.node;
	}

	dev_t device;
	ino_t node;
};

class BStatable {
public:
	virtual ~BStatable() = default;

	virtual status_t GetStat(struct stat* st) const = 0;

	bool IsFile() const;
	bool IsDirectory() const;
	bool IsSymLink() const;

	status_t GetNodeRef(node_ref* ref) const;
	status_t GetSize(off_t* size) const;
	status_t GetModificationTime(time_t* mtime) const;
	status_t GetPermissions(mode_t* permissions) const;
};

#endif
