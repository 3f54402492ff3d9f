// The on-disk store of the emulated volume indexes. Each device has a directory
// ($XDG_DATA_HOME/cvab-platform/indexes/<device>/) holding one small text file per
// index: a header line, the index's type and flags, then the absolute paths of the
// nodes recorded in it, one a line. Writers hold an flock on the directory's ".lock"
// file and replace an index file by renaming a complete new one, so readers in any
// process see either the old or the new list, never a torn one. A damaged file reads
// as an error, never a crash.
// Threading: static calls, safe from any thread and any process.
#ifndef _INDEX_STORE_H
#define _INDEX_STORE_H

#include <SupportDefs.h>

#include <string>
#include <vector>

struct index_info;

namespace BPrivate {

class IndexStore {
public:
	static status_t Create(dev_t device, const char* name, uint32 type, uint32 flags);
	static status_t Remove(dev_t device, const char* name);
	static status_t Stat(dev_t device, const char* name, index_info* info);
	// The type of the index and the paths recorded in it.
	static status_t ReadNodes(dev_t device, const char* name, uint32* type,
		std::vector<std::string>* paths);
	// The names of the device's indexes, in no particular order.
	static status_t List(dev_t device, std::vector<std::string>* names);
	// Called after an attribute was written: records the node if the attribute is
	// indexed on its device. Failures are ignored (the write itself succeeded).
	static void NoteAttributeWritten(dev_t device, const std::string& path,
		const char* attribute);

	// Reads the text of an index file; B_BAD_DATA when it is damaged beyond use.
	static status_t Parse(const std::string& contents, uint32* type, uint32* flags,
		std::vector<std::string>* paths);

	// Percent-encoding of index names into file names and of paths into lines.
	static std::string EncodeName(const std::string& name);
	static std::string EncodeLine(const std::string& line);
	static bool DecodeLine(const std::string& line, std::string* decoded);
};

}  // namespace BPrivate

#endif
