// Unflattens arbitrary bytes; whatever is accepted must flatten to bytes that
// unflatten again to the same flattened form.
#include <Message.h>

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	BMessage message;
	if (message.Unflatten(reinterpret_cast<const char*>(data), size) != B_OK)
		return 0;
	std::string first(size_t(message.FlattenedSize()), '\0');
	if (message.Flatten(first.data(), ssize_t(first.size())) != B_OK)
		abort();
	BMessage again;
	if (again.Unflatten(first.data(), first.size()) != B_OK)
		abort();
	std::string second(size_t(again.FlattenedSize()), '\0');
	if (again.Flatten(second.data(), ssize_t(second.size())) != B_OK || first != second)
		abort();
	// Reading every field back must stay within the data too.
	const char* name = nullptr;
	type_code type = 0;
	int32 count = 0;
	for (int32 i = 0; again.GetInfo(B_ANY_TYPE, i, &name, &type, &count) == B_OK; i++) {
		for (int32 j = 0; j < count; j++) {
			const void* item = nullptr;
			ssize_t itemSize = 0;
			again.FindData(name, type, j, &item, &itemSize);
			const char* text = nullptr;
			again.FindString(name, j, &text);
			BMessage nested;
			again.FindMessage(name, j, &nested);
		}
	}
	return 0;
}
