// Path helpers shared by the storage kit's classes: lexical normalising, resolving
// an entry to its real directory and leaf, and turning refs back into paths.
// Threading: pure functions over their arguments; safe from any thread.
#ifndef _STORAGE_PATHS_H
#define _STORAGE_PATHS_H

#include <SupportDefs.h>

#include <string>
#include <string_view>

struct entry_ref;

namespace BPrivate {

// Collapses doubled slashes, "." and ".." of an absolute path without asking the file
// system; ".." at the root stays at the root.
std::string normalize_lexically(std::string_view absolutePath);

// Makes a path absolute against the current directory (not normalised).
status_t make_absolute(const char* path, std::string* absolutePath);

// An entry resolved to the real path of its directory and its leaf name. The
// directory must exist; the leaf need not. With traverse, symbolic links at the leaf
// are followed (up to B_MAX_SYMLINKS). The root is named by directory "/" and leaf ".".
struct ResolvedEntry {
	std::string directory;
	std::string leaf;

	std::string Path() const;
};
status_t resolve_entry(const char* path, bool traverse, ResolvedEntry* entry);

// The absolute path a ref names, from the directory path it carries.
status_t path_for_ref(const entry_ref& ref, std::string* path);

// Fills a ref for an already resolved entry (device and inode of its directory).
status_t ref_for_resolved(const ResolvedEntry& entry, entry_ref* ref);

}  // namespace BPrivate

#endif
