// Volume information.
// Threading: safe from any thread.
#ifndef _FS_INFO_H
#define _FS_INFO_H

#include <SupportDefs.h>

#ifdef __cplusplus
extern "C" {
#endif

// The device that holds path; on failure a negative status, so test the result as
// (status_t)dev < 0.
dev_t dev_for_path(const char* path);

#ifdef __cplusplus
}
#endif

#endif
