// Volume indexes, emulated: an index is recorded for its device in a store on disk
// shared by the user's processes ($XDG_DATA_HOME/cvab-platform/indexes/<device>/).
// Writing an indexed attribute through BNode records the node in the index; queries
// then test the node's live attribute. As the platform's C calls do, these return 0
// on success and -1 with errno set to the platform's status code on failure.
// Threading: safe from any thread and any process (the store locks itself).
#ifndef _FS_INDEX_H
#define _FS_INDEX_H

#include <SupportDefs.h>

#include <time.h>

typedef struct index_info {
	uint32 type;
	off_t size;
	time_t modification_time;
	time_t creation_time;
	uid_t uid;
	gid_t gid;
} index_info;

#ifdef __cplusplus
extern "C" {
#endif

// errno B_FILE_EXISTS for an index already there; B_NOT_ALLOWED for the reserved
// names "name", "size" and "last_modified".
int fs_create_index(dev_t device, const char* name, uint32 type, uint32 flags);
// errno B_ENTRY_NOT_FOUND for an index that is not there.
int fs_remove_index(dev_t device, const char* name);
int fs_stat_index(dev_t device, const char* name, struct index_info* info);

#ifdef __cplusplus
}
#endif

#endif
