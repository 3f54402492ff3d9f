// Volume information. On Linux a volume is a mounted file system, named by its
// device number (st_dev); the list comes from /proc/self/mountinfo.
// Threading: safe from any thread.
#ifndef _FS_INFO_H
#define _FS_INFO_H

#include <OS.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

// Volume flags, with the platform's values.
#define B_FS_IS_READONLY 0x00000001
#define B_FS_IS_REMOVABLE 0x00000002
#define B_FS_IS_PERSISTENT 0x00000004
#define B_FS_IS_SHARED 0x00000008
#define B_FS_HAS_MIME 0x00010000
#define B_FS_HAS_ATTR 0x00020000
#define B_FS_HAS_QUERY 0x00040000

typedef struct fs_info {
	dev_t dev;
	ino_t root;
	uint32 flags;
	off_t block_size;
	off_t io_size;
	off_t total_blocks;
	off_t free_blocks;
	off_t total_nodes;
	off_t free_nodes;
	char device_name[128];
	char volume_name[B_FILE_NAME_LENGTH];
	char fsh_name[B_OS_NAME_LENGTH];
} fs_info;

#ifdef __cplusplus
extern "C" {
#endif

// The device that holds path; on failure a negative status, so test the result as
// (status_t)dev < 0.
dev_t dev_for_path(const char* path);

// Walks the mounted volumes: start with *cookie = 0; a negative status
// (B_BAD_VALUE) after the last one.
dev_t next_dev(int32* cookie);

// 0, or -1 with errno set to the platform's status code. B_FS_HAS_ATTR is set where
// the volume keeps user extended attributes (probed at its root), and then
// B_FS_HAS_QUERY too, the indexes being emulated; volume_name is the mount point.
int fs_stat_dev(dev_t device, fs_info* info);

#ifdef __cplusplus
}
#endif

#endif
