// Index files are shared on disk and may be damaged: reading any bytes must give an
// error or a usable index, and whatever the store writes must read back the same.
#include <IndexStore.h>

#include <cstdlib>
#include <string>

using BPrivate::IndexStore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string input(reinterpret_cast<const char*>(data), size);

	uint32 type = 0, flags = 0;
	std::vector<std::string> paths;
	if (IndexStore::Parse(input, &type, &flags, &paths) == B_OK) {
		// Written out again the way the store writes, it must read back unchanged.
		std::string again = "cvab-index 1\ntype " + std::to_string(type) + "\nflags "
			+ std::to_string(flags) + "\n";
		for (const std::string& path : paths)
			again += IndexStore::EncodeLine(path) + "\n";
		uint32 type2 = 0, flags2 = 0;
		std::vector<std::string> paths2;
		if (IndexStore::Parse(again, &type2, &flags2, &paths2) != B_OK || type2 != type
			|| flags2 != flags || paths2 != paths) {
			std::abort();
		}
	}

	// Any text without NUL survives its line encoding.
	if (input.find('\0') == std::string::npos) {
		std::string decoded;
		const std::string encoded = IndexStore::EncodeLine(input);
		if (encoded.find('\n') != std::string::npos
			|| !IndexStore::DecodeLine(encoded, &decoded) || decoded != input) {
			std::abort();
		}
	}
	std::string ignored;
	IndexStore::DecodeLine(input, &ignored);
	IndexStore::EncodeName(input);
	return 0;
}
