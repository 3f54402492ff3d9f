// The text a Word Services text target serves: one stretch, read and rewritten
// by offsets from its start. A string (StringTextStore) or a text view's
// selection keeps it.
// Threading: the looper of the target that serves it.
#ifndef _TEXT_STORE_H
#define _TEXT_STORE_H

#include <SupportDefs.h>

#include <string>

class TextStore {
public:
	virtual ~TextStore() = default;
	// The served stretch, from its start.
	virtual int32 Length() const = 0;
	virtual std::string Get(int32 offset, int32 length) const = 0;
	virtual status_t Delete(int32 offset, int32 length) = 0;
	virtual status_t Insert(int32 offset, const std::string& text) = 0;
	virtual status_t Hilite(int32 offset, int32 length, bool on) = 0;
};

#endif
