// The bytes of a set's file: an int32 length in the machine's byte order, then the
// flattened message; whatever follows is left over from a longer earlier version.
// Threading: any thread; the caller holds the file's exclusive lock.
#ifndef _PREFERENCE_SET_FILE_H
#define _PREFERENCE_SET_FILE_H

#include <SupportDefs.h>

class BMessage;

// Reads the set in fd into data, which must be empty. A short file, a length that
// overruns the file, or a damaged message leave data empty and still succeed, so
// the next save repairs the file; only a failed read or allocation is an error.
status_t ReadPreferenceSetFile(int fd, BMessage* data);

// Writes data at the start of fd. The file is not truncated.
status_t WritePreferenceSetFile(int fd, const BMessage& data);

#endif
