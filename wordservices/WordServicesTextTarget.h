// The client's text target of Word Services: a handler that answers the
// scripting messages a server sends to one stretch of text:
//   B_GET_PROPERTY "Size" (direct): int32 "result", the stretch's length in bytes;
//   B_GET_PROPERTY "Text" (range index, range; or reverse range): string "result";
//   B_SET_PROPERTY "Text" (reverse range, counted from the end of the stretch):
//     without "data" deletes the range; with string "data" inserts it where the
//     range starts; int32 "error" in the reply;
//   B_SET_PROPERTY "BackgroundHilite" (reverse range) with bool "data".
// The text itself is kept by a TextStore: a string, or a text view's selection.
// Threading: the looper the handler is added to.
#ifndef _WORD_SERVICES_TEXT_TARGET_H
#define _WORD_SERVICES_TEXT_TARGET_H

#include "TextStore.h"

#include <Handler.h>

#include <string>

class WordServicesTextTarget : public BHandler {
public:
	// The target does not own store.
	WordServicesTextTarget(TextStore* store, const char* name = "word services target");

	BHandler* ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier,
		int32 what, const char* property) override;
	void MessageReceived(BMessage* message) override;

private:
	// A range of the text: valid when ranged; direct for the whole text.
	struct Stretch {
		int32 offset = 0;
		int32 length = 0;
		bool ranged = false;
		bool direct = false;
	};

	Stretch _StretchOf(const BMessage& specifier, int32 what) const;
	void _Answer(BMessage* message, const std::string& property, const Stretch& stretch);
	void _Reply(BMessage* message, status_t error, const std::string* result = nullptr,
		const int32* size = nullptr);

	TextStore* fStore;
};

#endif
