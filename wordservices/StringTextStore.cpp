#include "StringTextStore.h"

std::string StringTextStore::Get(int32 offset, int32 length) const
{
	return fText.substr(offset, length);
}

status_t StringTextStore::Delete(int32 offset, int32 length)
{
	fText.erase(offset, length);
	return B_OK;
}

status_t StringTextStore::Insert(int32 offset, const std::string& text)
{
	fText.insert(offset, text);
	return B_OK;
}
