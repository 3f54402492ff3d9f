// A Word Services text store whose stretch is one whole string.
// Threading: the looper of the target that serves it.
#ifndef _STRING_TEXT_STORE_H
#define _STRING_TEXT_STORE_H

#include "TextStore.h"

class StringTextStore : public TextStore {
public:
	explicit StringTextStore(std::string text = std::string()) : fText(std::move(text)) {}

	int32 Length() const override { return static_cast<int32>(fText.size()); }
	std::string Get(int32 offset, int32 length) const override;
	status_t Delete(int32 offset, int32 length) override;
	status_t Insert(int32 offset, const std::string& text) override;
	status_t Hilite(int32, int32, bool) override { return B_OK; }

	const std::string& Text() const { return fText; }
	void SetText(const std::string& text) { fText = text; }

private:
	std::string fText;
};

#endif
